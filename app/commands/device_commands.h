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
