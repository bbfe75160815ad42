#include "base/settings.h"

#include <cstring>

std::int32_t CentredOrigin(std::int32_t screenSize, std::int32_t windowSize) {
    const std::int32_t origin = (screenSize - windowSize) / 2;  // C++ truncates toward zero
    return origin < 0 ? 0 : origin;
}

void InstallDefaults(AppSettings& s, std::int32_t screenWidth, std::int32_t screenHeight) {
    std::memcpy(s.magic, kSettingsMagic, sizeof s.magic);
    s.showWave = 0;
    s.showSpectrum = 1;
    s.cepstrumMode = 0;
    s.holdTrace = 0;
    s.calRequest = 0;
    s.colourSpectrum = 1;
    s.windowKind = kWindowHanning;
    s.winHeight = kDefaultWindowHeight;
    s.winWidth = kDefaultWindowWidth;
    s.winX = CentredOrigin(screenWidth, kDefaultWindowWidth);
    s.winY = CentredOrigin(screenHeight, s.winHeight);
    s.splitRatio = 0.4;
    s.fftLength = 4096;
    s.halfLength = 2048;
    s.selX0 = 0.1;
    s.selY0 = 0.1;
    s.sampleRate = 44100;
    s.deviceIndex = 0;
    s.pauseMs = 10;
    s.selX1 = 0.9;
    s.selY1 = 0.9;
    s.logGrid = 1;
    s.runState = kRun;
    s.frameCount = 0;
    s.activeSpan = 400.0;
    s.activeOffset = 150.0;
    s.cepOffset = 150.0;
    s.specOffset = 150.0;
    s.specSpan = 400.0;
    s.cepSpan = 400.0;
}

bool HasSettingsMagic(const AppSettings& s) {
    return std::memcmp(s.magic, kSettingsMagic, sizeof s.magic) == 0;
}
