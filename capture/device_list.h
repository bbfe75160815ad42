// The items of the Device menu: one per wave-input device that answers its
// capability query, command id 2000 + the device's own number, text its name.
// A device whose query fails leaves a gap in the ids.
#pragma once

#include <string>
#include <vector>

#include "capture/audio_input.h"

// Command id of device 0's menu item; device d has kDeviceCommandFirst + d.
inline constexpr int kDeviceCommandFirst = 2000;

struct DeviceMenuItem {
    int commandId;
    std::string name;
};

std::vector<DeviceMenuItem> DeviceMenuItems(AudioInput& input);
