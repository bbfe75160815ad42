#include "app/status/status_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string>

namespace {

TEST(StatusText, DefaultsWithTwentyFiveFrames) {
    AppSettings s{};
    InstallDefaults(s, 1920, 1080);
    s.frameCount = 25;
    char out[kStatusTextBytes];
    FormatStatus(out, s);
    EXPECT_STREQ(out, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 25fps");
    // A file playing in place of the live input: only the state differs.
    s.sampleRate = 11025;
    FormatStatus(out, s, InputStatus{InputState::kFlowing, 0, true, {}});
    EXPECT_STREQ(out, " FILE, 11025Hz, 4096pt, hanning, Log, 10msec, 25fps");
    s.runState = kStop;
    FormatStatus(out, s, InputStatus{InputState::kFlowing, 0, true, {}});
    EXPECT_STREQ(out, " STOP, 11025Hz, 4096pt, hanning, Log, 10msec, 25fps");
}

TEST(StatusText, EveryTableEntryAndOutsiders) {
    struct Case { std::int32_t run, window; std::uint8_t grid; const char* text; };
    const Case cases[] = {
        {1, 0, 0, " STOP, 44100Hz, 4096pt, none, Linear, 10msec, 0fps"},
        {2, 2, 1, " \x81\x9CREC.., 44100Hz, 4096pt, hamming, Log, 10msec, 0fps"},
        {0, 3, 1, " RUN, 44100Hz, 4096pt, blackman, Log, 10msec, 0fps"},
        {3, 4, 2, " ?, 44100Hz, 4096pt, ?, ?, 10msec, 0fps"},
        {-1, -1, 255, " ?, 44100Hz, 4096pt, ?, ?, 10msec, 0fps"},
    };
    for (const Case& c : cases) {
        AppSettings s{};
        InstallDefaults(s, 1920, 1080);
        s.runState = c.run;
        s.windowKind = c.window;
        s.logGrid = c.grid;
        char out[kStatusTextBytes];
        FormatStatus(out, s);
        EXPECT_STREQ(out, c.text);
    }
}

// Without fresh samples RUN/REC name the reason in place of the frame rate;
// STOP keeps its figure. Dropped blocks follow in every state; in RUN, why
// the last take ended by itself comes last.
TEST(StatusText, InputStateAndDroppedBlocks) {
    struct Case {
        std::int32_t run;
        InputState state;
        std::uint32_t dropped;
        const char* text;
        AverageChoice average{};
        TakeEnd end = TakeEnd::kNone;
        bool cal = false;
        int channels = 1;
        int channel = kChannelLeft;
        std::optional<BandChoice> bands{};
        int overview = -1;  // a file plays whose overview is this far
    };
    const Case cases[] = {
        {0, InputState::kNoInput, 0, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, no input"},
        {2, InputState::kNoInput, 0, " \x81\x9CREC.., 44100Hz, 4096pt, hanning, Log, 10msec, no input"},
        {0, InputState::kFilling, 0, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, filling"},
        {1, InputState::kNoInput, 0, " STOP, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps"},
        {0, InputState::kFlowing, 12, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, 12 dropped"},
        {2, InputState::kFilling, 3, " \x81\x9CREC.., 44100Hz, 4096pt, hanning, Log, 10msec, filling, 3 dropped"},
        // The spectrum's averaging, named last.
        {0, InputState::kFlowing, 0, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, avg slow",
         {AverageMode::kExponential, 1.0, 16}},
        {0, InputState::kFlowing, 2, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, 2 dropped, avg 0.5s",
         {AverageMode::kExponential, 0.5, 16}},
        {1, InputState::kFlowing, 0, " STOP, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, avg 8",
         {AverageMode::kLinear, 1.0, 8}},
        {0, InputState::kFlowing, 0, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, max hold",
         {AverageMode::kMaxHold, 1.0, 16}},
        {0, InputState::kFlowing, 0, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, take ended: 4 GiB file",
         {}, TakeEnd::kSizeLimit},
        {0, InputState::kFlowing, 2, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, 2 dropped, take ended: disk too slow",
         {}, TakeEnd::kQueueFull},
        {1, InputState::kFlowing, 0, " STOP, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps", {}, TakeEnd::kWriteFailed},
        {1, InputState::kFlowing, 0, " STOP, CAL, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps", {}, TakeEnd::kNone, true},
        // A source of several channels names the one that plays; a mono one does not.
        {0, InputState::kFlowing, 0, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, avg slow, right",
         {AverageMode::kExponential, 1.0, 16}, TakeEnd::kNone, false, 2, kChannelRight},
        {0, InputState::kFlowing, 0, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, mix", {}, TakeEnd::kNone, false, 2, kChannelMix},
        {0, InputState::kFlowing, 0, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, ch 7", {}, TakeEnd::kNone, false, 8, 7},
        {0, InputState::kFlowing, 0, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps", {}, TakeEnd::kNone, false, 1, kChannelLeft},
        // The band view names its width and weighting before the averaging.
        {0, InputState::kFlowing, 0, " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, 1/3 oct A, avg slow",
         {AverageMode::kExponential, 1.0, 16}, TakeEnd::kNone, false, 1, kChannelLeft, BandChoice{3, BandWeighting::kA}},
        {1, InputState::kFlowing, 0, " STOP, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, 1/24 oct C",
         {}, TakeEnd::kNone, false, 1, kChannelLeft, BandChoice{24, BandWeighting::kC}},
        // A file's overview being computed: how far, at the very end.
        {0, InputState::kFlowing, 0, " FILE, 44100Hz, 4096pt, hanning, Log, 10msec, 7fps, right, overview 42%", {},
         TakeEnd::kNone, false, 2, kChannelRight, {}, 42},
    };
    for (const Case& c : cases) {
        AppSettings s{};
        InstallDefaults(s, 1920, 1080);
        s.runState = c.run;
        s.frameCount = 7;
        char out[kStatusTextBytes];
        FormatStatus(out, s,
                     InputStatus{c.state, c.dropped, c.overview >= 0, c.average, c.end, c.cal, c.channels, c.channel,
                                 c.bands, c.overview});
        EXPECT_STREQ(out, c.text);
    }
}

TEST(StatusText, ExtremeNumbersStayInsideTheBuffer) {
    AppSettings s{};
    InstallDefaults(s, 1920, 1080);
    s.sampleRate = INT_MIN;
    s.fftLength = INT_MIN;
    s.pauseMs = INT_MIN;
    s.frameCount = INT_MIN;
    char out[kStatusTextBytes];
    std::memset(out, 'x', sizeof out);
    FormatStatus(out, s);
    EXPECT_LT(std::strlen(out), kStatusTextBytes);
    EXPECT_NE(std::string(out).find("-2147483648fps"), std::string::npos);
    // The widest line the program can show ends whole, not cut by the buffer.
    FormatWidestStatus(out);
    EXPECT_LT(std::strlen(out), kStatusTextBytes - 1) << out;
}

}  // namespace
