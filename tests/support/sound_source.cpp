#include "support/sound_source.h"

#include <cstdint>
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

double ZeroCrossingHz(const std::vector<double>& x, int rateHz) {
    double first = -1, last = -1;
    int crossings = 0;
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i - 1] < 0 && x[i] >= 0) {
            const double t = (i - 1) + (-x[i - 1]) / (x[i] - x[i - 1]);
            if (crossings == 0) {
                first = t;
            }
            last = t;
            ++crossings;
        }
    }
    return crossings < 2 ? 0.0 : (crossings - 1) * rateHz / (last - first);
}

std::vector<double> Pcm16Samples(const std::vector<unsigned char>& bytes, std::size_t offset) {
    std::vector<double> samples;
    for (std::size_t i = offset; i + 1 < bytes.size(); i += 2) {
        samples.push_back(static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return samples;
}

}  // namespace testsupport
