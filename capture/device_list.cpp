#include "capture/device_list.h"

std::vector<InputDevice> ListInputDevices(AudioInput& input) {
    std::vector<InputDevice> devices;
    const int count = input.DeviceCount();
    for (int d = 0; d < count; ++d) {
        std::string name;
        if (input.DeviceName(static_cast<unsigned>(d), name)) {
            devices.push_back({static_cast<unsigned>(d), std::move(name)});
        }
    }
    return devices;
}
