// The Device menu's command ids and the device numbers they stand for: device
// d's item has the id IDM_DEVICE_FIRST + d. This is the one place where a
// device's number and its menu id meet; the capture knows only numbers, the
// menu and the commands go through these functions.
//
// Pure arithmetic, any thread.
#pragma once

#include "resources/resource_ids.h"

// Highest number of input devices that have a selectable menu item.
inline constexpr int kSelectableDevices = 6;

// The command id of device `number`'s menu item (every listed device has one).
constexpr int DeviceCommandId(int number) { return IDM_DEVICE_FIRST + number; }

// The device a command selects: its number when `id` is the item of one of
// the first kSelectableDevices devices, else -1 (another command, or a device
// listed past them, whose item does nothing).
constexpr int SelectedDevice(int id) {
    return id >= IDM_DEVICE_FIRST && id < IDM_DEVICE_FIRST + kSelectableDevices ? id - IDM_DEVICE_FIRST : -1;
}

// Audio endpoints with a menu item, of each kind (capture, loopback).
inline constexpr int kEndpointItems = 16;
static_assert(IDM_ENDPOINT_FIRST + kEndpointItems == IDM_LOOPBACK_FIRST);

// The item of capture endpoint `index` (in the system's order), or of render
// endpoint `index` for loopback.
constexpr int EndpointCommandId(int index, bool loopback) {
    return (loopback ? IDM_LOOPBACK_FIRST : IDM_ENDPOINT_FIRST) + index;
}

// The endpoint item a command stands for: its index among the capture
// endpoints, or among the render endpoints plus kEndpointItems; -1 for
// another command.
constexpr int SelectedEndpointItem(int id) {
    return id >= IDM_ENDPOINT_FIRST && id < IDM_LOOPBACK_FIRST + kEndpointItems ? id - IDM_ENDPOINT_FIRST : -1;
}
