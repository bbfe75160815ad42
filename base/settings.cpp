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
    s.colorSpectrum = 1;
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

AppSettings SnapshotSettings(const AppSettings& s) {
    AppSettings c;
    std::memcpy(c.pad6, s.pad6, sizeof c.pad6);
    std::memcpy(c.pad49, s.pad49, sizeof c.pad49);
    std::memcpy(c.pad60, s.pad60, sizeof c.pad60);
    std::memcpy(c.pad105, s.pad105, sizeof c.pad105);
    std::memcpy(c.pad164, s.pad164, sizeof c.pad164);
    std::memcpy(c.magic, s.magic, sizeof c.magic);
    c.showWave = LoadShared(s.showWave);
    c.showSpectrum = LoadShared(s.showSpectrum);
    c.holdTrace = LoadShared(s.holdTrace);
    c.cepstrumMode = LoadShared(s.cepstrumMode);
    c.pitchOn = LoadShared(s.pitchOn);
    c.calRequest = LoadShared(s.calRequest);
    c.windowKind = LoadShared(s.windowKind);
    c.winX = LoadShared(s.winX);
    c.winY = LoadShared(s.winY);
    c.winWidth = LoadShared(s.winWidth);
    c.winHeight = LoadShared(s.winHeight);
    c.fftLength = LoadShared(s.fftLength);
    c.halfLength = LoadShared(s.halfLength);
    c.sampleRate = LoadShared(s.sampleRate);
    c.deviceIndex = LoadShared(s.deviceIndex);
    c.pauseMs = LoadShared(s.pauseMs);
    c.logGrid = LoadShared(s.logGrid);
    c.runState = LoadShared(s.runState);
    c.frameCount = LoadShared(s.frameCount);
    c.selY0 = LoadShared(s.selY0);
    c.selX0 = LoadShared(s.selX0);
    c.selX1 = LoadShared(s.selX1);
    c.selY1 = LoadShared(s.selY1);
    c.splitRatio = LoadShared(s.splitRatio);
    c.colorSpectrum = LoadShared(s.colorSpectrum);
    c.activeSpan = LoadShared(s.activeSpan);
    c.activeOffset = LoadShared(s.activeOffset);
    c.specSpan = LoadShared(s.specSpan);
    c.specOffset = LoadShared(s.specOffset);
    c.cepSpan = LoadShared(s.cepSpan);
    c.cepOffset = LoadShared(s.cepOffset);
    c.upperHeight = LoadShared(s.upperHeight);
    return c;
}
