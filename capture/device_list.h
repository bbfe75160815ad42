// The wave-input devices by number: one entry per device that answers its
// capability query, in the order of their numbers, with its name. A device
// whose query fails is left out, so the numbers may have gaps. The capture
// speaks of devices only by these numbers; what the menu makes of them is
// the menu's business.
//
// Threads: whoever owns the AudioInput (ListInputDevices calls it).
#pragma once

#include <string>
#include <vector>

#include "capture/audio_input.h"

struct InputDevice {
    unsigned number;  // the device's own number in the system's wave-input list
    std::string name;
};

std::vector<InputDevice> ListInputDevices(AudioInput& input);
