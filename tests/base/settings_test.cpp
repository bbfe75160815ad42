#include "base/settings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/program/published_settings.h"
#include "base/live_view.h"

namespace {

// The record is the file: every field's offset and the total size are the
// file format, so check them at run time too (the header pins them at compile
// time) through a byte image written by hand.
TEST(SettingsRecord, FieldsLandAtTheirFileOffsets) {
    AppSettings s{};
    s.windowKind = 0x01020304;
    s.logGrid = 0xAB;
    s.runState = 2;
    s.selY0 = 0.25;
    s.colourSpectrum = 1;
    s.upperHeight = -7;
    std::memcpy(s.magic, "Quorel00", 8);

    unsigned char bytes[kSettingsBytes];
    ASSERT_EQ(sizeof s, sizeof bytes);
    std::memcpy(bytes, &s, sizeof bytes);

    EXPECT_EQ(bytes[8], 0x04);  // little-endian i32 at 8
    EXPECT_EQ(bytes[11], 0x01);
    EXPECT_EQ(bytes[48], 0xAB);
    EXPECT_EQ(bytes[52], 2);
    double sel;
    std::memcpy(&sel, bytes + 64, 8);
    EXPECT_EQ(sel, 0.25);
    EXPECT_EQ(bytes[104], 1);
    std::int32_t upper;
    std::memcpy(&upper, bytes + 160, 4);
    EXPECT_EQ(upper, -7);
    EXPECT_EQ(std::memcmp(bytes + 168, "Quorel00", 8), 0);
}

TEST(SettingsRecord, PaddingSurvivesACopy) {
    AppSettings s{};
    s.pad6[0] = 0x5A;
    s.pad164[3] = 0xC3;
    AppSettings copy = s;
    EXPECT_EQ(copy.pad6[0], 0x5A);
    EXPECT_EQ(copy.pad164[3], 0xC3);
}

// The workers' copy of the record (status line, drawing) leaves out no
// field; the live view state takes its fields from the loaded image and at
// exit gives back exactly those, unchanged, so an unchanged session writes an
// unchanged file.
TEST(SettingsRecord, CopiesHoldEveryByte) {
    AppSettings s;
    auto* bytes = reinterpret_cast<unsigned char*>(&s);
    for (std::size_t i = 0; i < sizeof s; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 1);
    PublishedSettings published;
    published.Publish(s);
    const AppSettings copy = published.Copy();
    EXPECT_EQ(std::memcmp(&copy, &s, sizeof s), 0);

    LiveViewState live;
    live.LoadFrom(s);
    AppSettings back;
    auto* backBytes = reinterpret_cast<unsigned char*>(&back);
    for (std::size_t i = 0; i < sizeof s; ++i) backBytes[i] = static_cast<unsigned char>(~bytes[i]);
    live.SaveTo(back);
    std::size_t taken = 0;
    for (std::size_t i = 0; i < sizeof s; ++i) taken += backBytes[i] == bytes[i] ? 1 : 0;
    // Spans, offsets, split and selection (11 doubles), height and frame count.
    EXPECT_EQ(taken, 11 * sizeof(double) + 2 * sizeof(std::int32_t));
}

TEST(SettingsDefaults, FirstStartValues) {
    AppSettings s{};
    InstallDefaults(s, 1920, 1080);
    EXPECT_TRUE(HasSettingsMagic(s));
    EXPECT_EQ(s.showWave, 0);
    EXPECT_EQ(s.showSpectrum, 1);
    EXPECT_EQ(s.holdTrace, 0);
    EXPECT_EQ(s.cepstrumMode, 0);
    EXPECT_EQ(s.calRequest, 0);
    EXPECT_EQ(s.colourSpectrum, 1);
    EXPECT_EQ(s.windowKind, kWindowHanning);
    EXPECT_EQ(s.winWidth, 600);
    EXPECT_EQ(s.winHeight, 500);
    EXPECT_EQ(s.winX, 660);
    EXPECT_EQ(s.winY, 290);
    EXPECT_EQ(s.fftLength, 4096);
    EXPECT_EQ(s.halfLength, 2048);
    EXPECT_EQ(s.sampleRate, 44100);
    EXPECT_EQ(s.deviceIndex, 0);
    EXPECT_EQ(s.pauseMs, 10);
    EXPECT_EQ(s.logGrid, 1);
    EXPECT_EQ(s.runState, kRun);
    EXPECT_EQ(s.frameCount, 0);
    EXPECT_EQ(s.selY0, 0.1);
    EXPECT_EQ(s.selX0, 0.1);
    EXPECT_EQ(s.selX1, 0.9);
    EXPECT_EQ(s.selY1, 0.9);
    EXPECT_EQ(s.splitRatio, 0.4);
    EXPECT_EQ(s.activeSpan, 400.0);
    EXPECT_EQ(s.activeOffset, 150.0);
    EXPECT_EQ(s.specSpan, 400.0);
    EXPECT_EQ(s.specOffset, 150.0);
    EXPECT_EQ(s.cepSpan, 400.0);
    EXPECT_EQ(s.cepOffset, 150.0);
}

TEST(SettingsDefaults, LeavePitchUpperHeightAndPaddingAlone) {
    AppSettings s{};
    s.pitchOn = 1;
    s.upperHeight = 123;
    s.pad49[1] = 9;
    s.runState = kRec;
    InstallDefaults(s, 800, 600);
    EXPECT_EQ(s.pitchOn, 1);
    EXPECT_EQ(s.upperHeight, 123);
    EXPECT_EQ(s.pad49[1], 9);
    EXPECT_EQ(s.runState, kRun);
}

TEST(SettingsDefaults, CentringTruncatesAndClampsAtZero) {
    struct Case { std::int32_t screen, size, origin; };
    const Case cases[] = {
        {1920, 600, 660}, {1081, 500, 290}, {601, 600, 0}, {599, 600, 0}, {0, 600, 0}, {-3, 0, 0}, {1024, 600, 212},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CentredOrigin(c.screen, c.size), c.origin) << c.screen << " " << c.size;
    }
}

}  // namespace
