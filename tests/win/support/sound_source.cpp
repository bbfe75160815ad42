#include "support/sound_source.h"

#include <string>

#include "capture/winmm_input_win.h"

namespace testsupport {

int DeviceNumber(const char* name) {
    WinmmInput input;
    for (int d = 0; d < input.DeviceCount(); ++d) {
        std::string found;
        if (input.DeviceName(static_cast<unsigned>(d), found) && found == name) {
            return d;
        }
    }
    return -1;
}

}  // namespace testsupport
