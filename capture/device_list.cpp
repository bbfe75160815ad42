#include "capture/device_list.h"

std::vector<DeviceMenuItem> DeviceMenuItems(AudioInput& input) {
    std::vector<DeviceMenuItem> items;
    const int count = input.DeviceCount();
    for (int d = 0; d < count; ++d) {
        std::string name;
        if (input.DeviceName(static_cast<unsigned>(d), name)) {
            items.push_back({kDeviceCommandFirst + d, std::move(name)});
        }
    }
    return items;
}
