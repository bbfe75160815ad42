// AppSettings: the one record of every user setting and of the display state
// that survives a restart.
//
// Layout: exactly the 176 bytes of "param.bin", little-endian, natural
// alignment, with the padding spelled out so that it passes unchanged from one
// file to the next. The static_asserts below pin every offset; the record is
// read and written raw.
//
// Threads: the image belongs to the user-interface thread, which alone
// writes it. The workers read copies of it that the user-interface thread
// hands them after each change; what they change while running (zoom,
// heights, split, frame count, selection) lives in LiveViewState
// (base/live_view.h) and reaches the image when it is saved.
#pragma once

#include <cstddef>
#include <cstdint>

enum RunState : std::int32_t { kRun = 0, kStop = 1, kRec = 2 };
enum WindowKind : std::int32_t { kWindowNone = 0, kWindowHanning = 1, kWindowHamming = 2, kWindowBlackman = 3 };

inline constexpr char kSettingsMagic[8] = {'Q', 'u', 'o', 'r', 'e', 'l', '0', '0'};
inline constexpr std::size_t kSettingsBytes = 176;

// Default outer size of the main window on a first start, pixels.
inline constexpr std::int32_t kDefaultWindowWidth = 600;
inline constexpr std::int32_t kDefaultWindowHeight = 500;

struct AppSettings {
    std::uint8_t showWave;       // the waveform trace is drawn in the upper view
    std::uint8_t showSpectrum;   // the spectrum/cepstrum trace is drawn
    std::uint8_t holdTrace;      // traces accumulate (background not restored)
    std::uint8_t cepstrumMode;   // analysis path is the cepstrum
    std::uint8_t pitchOn;        // pitch gate of the cepstrum view
    std::uint8_t calRequest;     // 1: a CAL was pending when the file was written (the live
                                 // request is the calibration's, analysis/cepstrum.h)
    std::uint8_t pad6[2];
    std::int32_t windowKind;     // WindowKind
    std::int32_t winX;           // main window outer rectangle, screen pixels
    std::int32_t winY;
    std::int32_t winWidth;
    std::int32_t winHeight;
    std::int32_t fftLength;      // analysis frame length N, samples
    std::int32_t halfLength;     // N / 2
    std::int32_t sampleRate;     // Hz
    std::int32_t deviceIndex;    // position in the system's wave-input list
    std::int32_t pauseMs;        // sleep before each frame, milliseconds
    std::uint8_t logGrid;        // 1: logarithmic frequency axis
    std::uint8_t pad49[3];
    std::int32_t runState;       // RunState
    std::int32_t frameCount;     // frames since the last status refresh
    std::uint8_t pad60[4];
    double selY0;                // selection block, fractions of (height - 1) / (width - 1)
    double selX0;
    double selX1;
    double selY1;
    double splitRatio;           // divider top / client height
    std::uint8_t colourSpectrum;  // filled, coloured spectrum
    std::uint8_t pad105[7];
    double activeSpan;           // value span of the full upper-view height, this frame
    double activeOffset;         // pixel row of value 0, this frame
    double specSpan;             // stored span/offset of the spectrum display
    double specOffset;
    double cepSpan;              // stored span/offset of the cepstrum display
    double cepOffset;
    std::int32_t upperHeight;    // upper plot view height, refreshed every frame
    std::uint8_t pad164[4];
    char magic[8];               // "Quorel00", no terminator
};

static_assert(sizeof(AppSettings) == kSettingsBytes);
static_assert(offsetof(AppSettings, showWave) == 0);
static_assert(offsetof(AppSettings, showSpectrum) == 1);
static_assert(offsetof(AppSettings, holdTrace) == 2);
static_assert(offsetof(AppSettings, cepstrumMode) == 3);
static_assert(offsetof(AppSettings, pitchOn) == 4);
static_assert(offsetof(AppSettings, calRequest) == 5);
static_assert(offsetof(AppSettings, windowKind) == 8);
static_assert(offsetof(AppSettings, winX) == 12);
static_assert(offsetof(AppSettings, winY) == 16);
static_assert(offsetof(AppSettings, winWidth) == 20);
static_assert(offsetof(AppSettings, winHeight) == 24);
static_assert(offsetof(AppSettings, fftLength) == 28);
static_assert(offsetof(AppSettings, halfLength) == 32);
static_assert(offsetof(AppSettings, sampleRate) == 36);
static_assert(offsetof(AppSettings, deviceIndex) == 40);
static_assert(offsetof(AppSettings, pauseMs) == 44);
static_assert(offsetof(AppSettings, logGrid) == 48);
static_assert(offsetof(AppSettings, runState) == 52);
static_assert(offsetof(AppSettings, frameCount) == 56);
static_assert(offsetof(AppSettings, selY0) == 64);
static_assert(offsetof(AppSettings, selX0) == 72);
static_assert(offsetof(AppSettings, selX1) == 80);
static_assert(offsetof(AppSettings, selY1) == 88);
static_assert(offsetof(AppSettings, splitRatio) == 96);
static_assert(offsetof(AppSettings, colourSpectrum) == 104);
static_assert(offsetof(AppSettings, activeSpan) == 112);
static_assert(offsetof(AppSettings, activeOffset) == 120);
static_assert(offsetof(AppSettings, specSpan) == 128);
static_assert(offsetof(AppSettings, specOffset) == 136);
static_assert(offsetof(AppSettings, cepSpan) == 144);
static_assert(offsetof(AppSettings, cepOffset) == 152);
static_assert(offsetof(AppSettings, upperHeight) == 160);
static_assert(offsetof(AppSettings, magic) == 168);

// Centres a window of the given outer size on a screen: (screen - size) / 2,
// truncated toward zero, 0 when negative.
std::int32_t CentredOrigin(std::int32_t screenSize, std::int32_t windowSize);

// Installs the first-start defaults and the magic. `pitchOn`, `upperHeight`
// and the padding are left as they are (a file with a wrong magic keeps them).
// Screen sizes are those of the primary screen, pixels.
void InstallDefaults(AppSettings& s, std::int32_t screenWidth, std::int32_t screenHeight);

// True when the record carries the magic "Quorel00".
bool HasSettingsMagic(const AppSettings& s);
