#include "app/settings/settings_load.h"

#include "app/settings/extra_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr ScreenMetrics kScreen{1920, 1080, 3840, 1080};
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A valid file image with some values away from the defaults.
AppSettings StoredRecord() {
    AppSettings s{};
    InstallDefaults(s, 1920, 1080);
    s.fftLength = 8192;
    s.halfLength = 4096;
    s.sampleRate = 48000;
    s.windowKind = kWindowBlackman;
    s.winX = 100;
    s.winY = 50;
    s.winWidth = 800;
    s.winHeight = 700;
    s.pitchOn = 1;
    s.calRequest = 1;
    s.selX0 = 0.3;
    s.specSpan = 250.0;
    return s;
}

std::vector<unsigned char> Image(const AppSettings& s) {
    std::vector<unsigned char> bytes(sizeof s);
    std::memcpy(bytes.data(), &s, sizeof s);
    return bytes;
}

TEST(SettingsLoad, MissingFileGivesDefaultsCentred) {
    struct Case { ScreenMetrics screen; std::int32_t x, y; };
    for (const Case& c : {Case{kScreen, 660, 290}, Case{{590, 400, 590, 400}, 0, 0}}) {
        AppSettings s{};
        EXPECT_FALSE(LoadSettingsImage(s, nullptr, 0, c.screen));
        EXPECT_TRUE(HasSettingsMagic(s));
        EXPECT_EQ(s.winX, c.x);
        EXPECT_EQ(s.winY, c.y);
        EXPECT_EQ(s.winWidth, 600);
        EXPECT_EQ(s.fftLength, 4096);
        EXPECT_EQ(s.runState, kRun);
    }
}

TEST(SettingsLoad, ValidFileIsUsedAsStoredButStartsInRun) {
    AppSettings stored = StoredRecord();
    stored.runState = kRec;
    stored.frameCount = 77;
    auto bytes = Image(stored);
    AppSettings s{};
    ASSERT_TRUE(LoadSettingsImage(s, bytes.data(), bytes.size(), kScreen));
    EXPECT_EQ(s.runState, kRun);
    EXPECT_EQ(s.frameCount, 0);
    stored.runState = kRun;
    stored.frameCount = 0;
    EXPECT_EQ(std::memcmp(&s, &stored, sizeof s), 0) << "everything else round-trips byte for byte";
}

TEST(SettingsLoad, ShortOrWronglyMarkedFilesAreRejected) {
    AppSettings stored = StoredRecord();
    auto full = Image(stored);

    // Short: nothing of it is used, not even on a second load over a record
    // that already carries the magic.
    AppSettings s{};
    InstallDefaults(s, 1920, 1080);
    EXPECT_FALSE(LoadSettingsImage(s, full.data(), kSettingsBytes - 1, kScreen));
    EXPECT_EQ(s.fftLength, 4096);
    EXPECT_EQ(s.pitchOn, 0);

    // Wrong magic: defaults, but the pitch option passes through.
    auto wrong = full;
    wrong[175] = '1';
    AppSettings t{};
    EXPECT_FALSE(LoadSettingsImage(t, wrong.data(), wrong.size(), kScreen));
    EXPECT_EQ(t.fftLength, 4096);
    EXPECT_EQ(t.sampleRate, 44100);
    EXPECT_EQ(t.pitchOn, 1);
    EXPECT_TRUE(HasSettingsMagic(t));

    // Longer than the record: the first 176 bytes count.
    auto longer = full;
    longer.resize(400, 0xEE);
    AppSettings u{};
    EXPECT_TRUE(LoadSettingsImage(u, longer.data(), longer.size(), kScreen));
    EXPECT_EQ(u.fftLength, 8192);
}

TEST(SettingsLoad, WindowIsKeptOnThePrimaryScreen) {
    struct Case { std::int32_t x, y, wantX, wantY; };
    const Case cases[] = {
        {100, 50, 100, 50},       // on screen: kept
        {1921, 50, 560, 190},     // right of the screen: centred with its size
        {100, 1081, 560, 190},    // below
        {-500, -20, -500, -20},   // left of / above: a monitor there, kept
        {1920, 1080, 1920, 1080}, // exactly at the edge is not past it
    };
    for (const Case& c : cases) {
        AppSettings stored = StoredRecord();
        stored.winX = c.x;
        stored.winY = c.y;
        auto bytes = Image(stored);
        AppSettings s{};
        ASSERT_TRUE(LoadSettingsImage(s, bytes.data(), bytes.size(), kScreen));
        EXPECT_EQ(s.winX, c.wantX) << c.x << "," << c.y;
        EXPECT_EQ(s.winY, c.wantY) << c.x << "," << c.y;
        EXPECT_EQ(s.winWidth, 800);
    }
}

// One unsafe value per field, and what it must become.
TEST(SettingsLoad, UnsafeValuesAreReplaced) {
    struct Case {
        const char* what;
        std::function<void(AppSettings&)> spoil;
        std::function<bool(const AppSettings&)> repaired;
    };
    const Case cases[] = {
        {"length not a power of two", [](AppSettings& s) { s.fftLength = 3000; s.halfLength = 1500; },
         [](const AppSettings& s) { return s.fftLength == 4096 && s.halfLength == 2048; }},
        {"length too large", [](AppSettings& s) { s.fftLength = 65536; s.halfLength = 32768; },
         [](const AppSettings& s) { return s.fftLength == 4096 && s.halfLength == 2048; }},
        {"length zero", [](AppSettings& s) { s.fftLength = 0; s.halfLength = 0; },
         [](const AppSettings& s) { return s.fftLength == 4096 && s.halfLength == 2048; }},
        {"half length off", [](AppSettings& s) { s.halfLength = 100; },
         [](const AppSettings& s) { return s.fftLength == 8192 && s.halfLength == 4096; }},
        {"pause negative", [](AppSettings& s) { s.pauseMs = -1; }, [](const AppSettings& s) { return s.pauseMs == 10; }},
        {"pause too long", [](AppSettings& s) { s.pauseMs = 1001; }, [](const AppSettings& s) { return s.pauseMs == 10; }},
        {"rate too low", [](AppSettings& s) { s.sampleRate = 7999; }, [](const AppSettings& s) { return s.sampleRate == 44100; }},
        {"rate too high", [](AppSettings& s) { s.sampleRate = 192001; }, [](const AppSettings& s) { return s.sampleRate == 44100; }},
        {"selection NaN", [](AppSettings& s) { s.selY1 = kNaN; },
         [](const AppSettings& s) { return s.selY0 == 0.1 && s.selX0 == 0.1 && s.selX1 == 0.9 && s.selY1 == 0.9; }},
        {"selection outside", [](AppSettings& s) { s.selX0 = -0.01; },
         [](const AppSettings& s) { return s.selX0 == 0.1 && s.selX1 == 0.9; }},
        {"split infinite", [](AppSettings& s) { s.splitRatio = kInf; }, [](const AppSettings& s) { return s.splitRatio == 0.4; }},
        {"split above one", [](AppSettings& s) { s.splitRatio = 1.5; }, [](const AppSettings& s) { return s.splitRatio == 0.4; }},
        {"span zero", [](AppSettings& s) { s.specSpan = 0.0; }, [](const AppSettings& s) { return s.specSpan == 400.0; }},
        {"span NaN", [](AppSettings& s) { s.cepSpan = kNaN; }, [](const AppSettings& s) { return s.cepSpan == 400.0; }},
        {"active span negative", [](AppSettings& s) { s.activeSpan = -3.0; }, [](const AppSettings& s) { return s.activeSpan == 400.0; }},
        {"offset infinite", [](AppSettings& s) { s.specOffset = -kInf; }, [](const AppSettings& s) { return s.specOffset == 150.0; }},
        {"offset NaN", [](AppSettings& s) { s.activeOffset = kNaN; }, [](const AppSettings& s) { return s.activeOffset == 150.0; }},
        {"span beyond the wheel", [](AppSettings& s) { s.specSpan = 1e300; }, [](const AppSettings& s) { return s.specSpan == 400.0; }},
        {"span next to zero", [](AppSettings& s) { s.cepSpan = 1e-300; }, [](const AppSettings& s) { return s.cepSpan == 400.0; }},
        {"offset far above", [](AppSettings& s) { s.specOffset = 1e300; }, [](const AppSettings& s) { return s.specOffset == 150.0; }},
        {"offset far below", [](AppSettings& s) { s.cepOffset = -1e300; }, [](const AppSettings& s) { return s.cepOffset == 150.0; }},
        {"view height negative", [](AppSettings& s) { s.upperHeight = -7; }, [](const AppSettings& s) { return s.upperHeight == 0; }},
        {"width zero", [](AppSettings& s) { s.winWidth = 0; },
         [](const AppSettings& s) { return s.winWidth == 600 && s.winHeight == 500 && s.winX == 660 && s.winY == 290; }},
        {"height wider than all screens", [](AppSettings& s) { s.winHeight = 1081; },
         [](const AppSettings& s) { return s.winWidth == 600 && s.winHeight == 500; }},
    };
    for (const Case& c : cases) {
        AppSettings stored = StoredRecord();
        c.spoil(stored);
        auto bytes = Image(stored);
        AppSettings s{};
        ASSERT_TRUE(LoadSettingsImage(s, bytes.data(), bytes.size(), kScreen)) << c.what;
        EXPECT_TRUE(c.repaired(s)) << c.what;
    }
}

TEST(SettingsLoad, ValuesMerelyOffTheMenuAreKept) {
    AppSettings stored = StoredRecord();
    stored.sampleRate = 11025;
    stored.pauseMs = 20;
    stored.windowKind = 9;
    stored.logGrid = 4;
    stored.deviceIndex = 12;
    stored.specSpan = 1e5;
    stored.cepOffset = -90000.0;
    stored.upperHeight = 1;
    stored.splitRatio = 0.0;
    auto bytes = Image(stored);
    AppSettings s{};
    ASSERT_TRUE(LoadSettingsImage(s, bytes.data(), bytes.size(), kScreen));
    EXPECT_EQ(SanitizeSettings(s, kScreen), 0);
    EXPECT_EQ(s.sampleRate, 11025);
    EXPECT_EQ(s.pauseMs, 20);
    EXPECT_EQ(s.windowKind, 9);
    EXPECT_EQ(s.logGrid, 4);
    EXPECT_EQ(s.deviceIndex, 12);
    EXPECT_EQ(s.specSpan, 1e5);
    EXPECT_EQ(s.cepOffset, -90000.0);
    EXPECT_EQ(s.upperHeight, 1);
    EXPECT_EQ(s.splitRatio, 0.0);
}

// "tavrin.ini": what a text leaves in force, hand-edited, damaged or huge.
TEST(ExtraSettingsLoad, WhatEachTextLeavesInForce) {
    const std::string longest(kStoredDeviceNameMaxBytes, 'a');
    const std::string hugeLine(kExtraSettingsMaxLineBytes + 1, 'x');
    // Comment lines that leave room for exactly "input_device=M\n" below the read limit.
    std::string filler;
    while (filler.size() + 7 <= kExtraSettingsMaxBytes - 16) filler += "#3456\r\n";
    filler.resize(kExtraSettingsMaxBytes - 16, '#');
    filler += "\n";
    struct Case {
        const char* what;
        std::string text;
        std::string device;
    };
    const Case cases[] = {
        {"plain", "input_device=Monitor of SineOut\n", "Monitor of SineOut"},
        {"mark, CRLF, blanks around", "\xEF\xBB\xBF input_device\t= Mic \r\n", "Mic"},
        {"no line end at the end", "input_device=Mic", "Mic"},
        {"non-ASCII name", "input_device=\xE3\x83\x9E\xE3\x82\xA4\xE3\x82\xAF\r\n",
         "\xE3\x83\x9E\xE3\x82\xA4\xE3\x82\xAF"},
        {"unknown keys and comments around",
         "# note\nvolume=11\n;input_device=X\n\ninput_device=Line\nlater key = 3\n", "Line"},
        {"of two, the last counts", "input_device=A\ninput_device=B\n", "B"},
        {"empty file", "", ""},
        {"no '='", "input_device Mic\n", ""},
        {"key in other case", "INPUT_DEVICE=Mic\n", ""},
        {"invalid UTF-8", "input_device=Mic\xFF\n", ""},
        {"overlong UTF-8", "input_device=\xC0\xAF\n", ""},
        {"surrogate", "input_device=\xED\xA0\x80\n", ""},
        {"cut sequence", "input_device=\xE3\x83", ""},
        {"control character", "input_device=Mi\x01" "c\n", ""},
        {"NUL", std::string("input_device=M\0c\n", 17), ""},
        {"bad value after a good one", "input_device=Mic\ninput_device=\xFF\n", ""},
        {"longest name", "input_device=" + longest + "\n", longest},
        {"name too long", "input_device=" + longest + "b\n", ""},
        {"huge line skipped, next read", hugeLine + "\ninput_device=Mic\n", "Mic"},
        {"huge value", "input_device=" + hugeLine + "\n", ""},
        {"line longer than the limit", "input_device=Mic" + std::string(kExtraSettingsMaxLineBytes, ' ') + "\n", ""},
        {"last line inside the limit", filler + "input_device=M\nmore\n", "M"},
        {"line cut at the limit", filler + "input_device=Mic\n", ""},
        {"past the limit", filler + "input_device=M\ninput_device=Mic\n", "M"},
        {"huge file", "input_device=Mic\n" + std::string(16 * kExtraSettingsMaxBytes, 'x'), "Mic"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseExtraSettings(c.text).inputDevice, c.device) << c.what;
    }
}

// Whatever the bytes, what is read is storable and written back reads the same.
TEST(ExtraSettingsLoad, RandomBytesGiveARecordThatRoundTrips) {
    std::mt19937 random(2026);
    const std::string pieces[] = {"input_device", "=", "\n", "\r", " ", "\xEF\xBB\xBF", "\xFF", "\xE3\x83", "Mic", "#"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int parts = std::uniform_int_distribution<int>(0, 200)(random);
        for (int p = 0; p < parts; ++p) {
            if (random() % 2 == 0) {
                text += pieces[random() % std::size(pieces)];
            } else {
                text += static_cast<char>(random() % 256);
            }
        }
        const ExtraSettings read = ParseExtraSettings(text);
        EXPECT_EQ(read.inputDevice, StorableDeviceName(read.inputDevice)) << "round " << round;
        EXPECT_EQ(ParseExtraSettings(SerializeExtraSettings(read)), read) << "round " << round;
    }
}

TEST(ExtraSettingsSave, TheWrittenTextReadsBackTheSameRecord) {
    struct Case {
        std::string device;
        std::string text;
        std::string readBack;
    };
    const Case cases[] = {
        {"Mic", "input_device=Mic\r\n", "Mic"},
        {"", "input_device=\r\n", ""},
        {"  Monitor of SineOut\t", "input_device=Monitor of SineOut\r\n", "Monitor of SineOut"},
        // A name that would add a line of its own is not written.
        {"Mic\r\nvolume=11", "input_device=\r\n", ""},
        {"\xE3\x83\x9E", "input_device=\xE3\x83\x9E\r\n", "\xE3\x83\x9E"},
    };
    // The measuring choices at their defaults follow the device's line.
    const std::string defaults = "colour_map=rainbow\r\naverage=off\r\naverage_seconds=1\r\naverage_frames=16\r\n"
                                 "input_path=wave\r\nendpoint_id=\r\nchannel=left\r\nrecord_format=16\r\nband_view=off\r\nband_fraction=3\r\nweighting=Z\r\n";
    for (const Case& c : cases) {
        ExtraSettings extra;
        extra.inputDevice = c.device;
        const std::string text = SerializeExtraSettings(extra);
        EXPECT_EQ(text, c.text + defaults) << c.device;
        EXPECT_EQ(ParseExtraSettings(text).inputDevice, c.readBack) << c.device;
    }
}

// The colour map and the averaging: what a hand-edited text leaves in force,
// and that it is written back as read.
TEST(ExtraSettingsLoad, MeasuringChoicesReadLenientlyAndRoundTrip) {
    struct Case {
        const char* text;
        ColourMap map;
        AverageChoice average;
        bool bandView = false;
        BandChoice bands = {};
        std::map<std::string, double> calibrations = {};
        bool endpointInput = false;
        const char* endpointId = "";
    };
    const Case cases[] = {
        {"colour_map=magma\naverage=exponential\naverage_seconds=0.125\n", ColourMap::kMagma,
         {AverageMode::kExponential, 0.125, 16}},
        {"colour_map = grey \r\naverage=linear\r\naverage_frames=4\r\n", ColourMap::kGrey,
         {AverageMode::kLinear, 1.0, 4}},
        {"average=max\naverage_seconds=2.5\n", ColourMap::kRainbow, {AverageMode::kMaxHold, 2.5, 16}},
        // Values the keys cannot take leave the defaults.
        {"colour_map=Magma\naverage=fast\naverage_seconds=0\naverage_frames=1000\n", ColourMap::kRainbow, {}},
        {"average_seconds=1s\naverage_frames=-3\naverage_seconds=nan\n", ColourMap::kRainbow, {}},
        {"band_view=on\nband_fraction=12\nweighting=A\n", ColourMap::kRainbow, {}, true, {12, BandWeighting::kA}},
        // Only the offered fractions and the named weightings.
        {"band_view=yes\nband_fraction=4\nweighting=a\n", ColourMap::kRainbow, {}, false, {}},
        // One calibration per input; an offset out of range, a line without a
        // name and a name with a control character are skipped.
        {"calibration=20.5 Mic  one \ncalibration=-3 (file)\ncalibration=1e9 Mic\ncalibration=7\n"
         "calibration=1 A\x01B\ncalibration=-4.25 (file)\n",
         ColourMap::kRainbow, {}, false, {}, {{"Mic  one", 20.5}, {"(file)", -4.25}}},
        // The way in: an endpoint is kept by its ID.
        {"input_path=endpoint\nendpoint_id= {0.0.1.00000000}.{5d3e} \n", ColourMap::kRainbow, {}, false, {}, {}, true,
         "{0.0.1.00000000}.{5d3e}"},
        {"input_path=Endpoint\nendpoint_id=a\x01" "b\n", ColourMap::kRainbow, {}, false, {}, {}, false, ""},
    };
    for (const Case& c : cases) {
        const ExtraSettings read = ParseExtraSettings(c.text);
        EXPECT_EQ(read.colourMap, c.map) << c.text;
        EXPECT_EQ(read.average, c.average) << c.text;
        EXPECT_EQ(read.bandView, c.bandView) << c.text;
        EXPECT_EQ(read.bands, c.bands) << c.text;
        EXPECT_EQ(read.calibrations, c.calibrations) << c.text;
        EXPECT_EQ(read.endpointInput, c.endpointInput) << c.text;
        EXPECT_EQ(read.endpointId, c.endpointId) << c.text;
        EXPECT_EQ(ParseExtraSettings(SerializeExtraSettings(read)), read) << c.text;
    }
}

// The channel and the recording format: names and numbers as a hand-edited
// text gives them, nonsense leaving the defaults, written back as read.
TEST(ExtraSettingsLoad, SourceChoicesReadLenientlyAndRoundTrip) {
    struct Case {
        const char* text;
        int channel;
        RecordFormat format;
    };
    const Case cases[] = {
        {"channel=right\nrecord_format=24\n", kChannelRight, RecordFormat::kPcm24},
        {"channel = mix \r\nrecord_format=float\r\n", kChannelMix, RecordFormat::kFloat32},
        {"channel=5\n", 5, RecordFormat::kPcm16},
        {"channel=2\n", kChannelRight, RecordFormat::kPcm16},
        {"channel=9\nrecord_format=32\n", kChannelLeft, RecordFormat::kPcm16},
        {"channel=0\nrecord_format=Float\n", kChannelLeft, RecordFormat::kPcm16},
        {"channel=Right\nchannel=-1\n", kChannelLeft, RecordFormat::kPcm16},
    };
    for (const Case& c : cases) {
        const ExtraSettings read = ParseExtraSettings(c.text);
        EXPECT_EQ(read.channel, c.channel) << c.text;
        EXPECT_EQ(read.recordFormat, c.format) << c.text;
        EXPECT_EQ(ParseExtraSettings(SerializeExtraSettings(read)), read) << c.text;
    }
}

}  // namespace
