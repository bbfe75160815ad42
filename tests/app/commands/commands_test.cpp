#include "app/commands/commands.h"
#include "app/commands/menu_marks.h"
#include "app/commands/device_commands.h"
#include "app/commands/take_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

// Writes down every call, in order, and answers like the program: the pitch
// item's check mark comes from the menu marks of the current settings.
class RecordingTarget : public CommandTarget {
public:
    explicit RecordingTarget(const AppSettings& s) : settings_(s) {}
    std::vector<std::string> calls;
    bool startSucceeds = true;

    void ShowAbout() override { calls.push_back("about"); }
    void Exit() override { calls.push_back("exit"); }
    bool IsPitchChecked() override { return ComputeMenuMarks(settings_).IsChecked(IDM_VIEW_PITCH); }
    void SetUpperCursor(ViewCursor c) override { calls.push_back(c == ViewCursor::kArrow ? "arrow" : "cross"); }
    void StopRecording() override { calls.push_back("stoprec"); }
    void PauseCapture() override { calls.push_back("pause"); }
    bool StartRecording() override { calls.push_back("startrec"); return startSucceeds; }
    void ReopenCapture() override { calls.push_back("reopen"); }
    void RequestCalibration() override { calls.push_back("calibrate"); }
    void ClearCalibration() override { calls.push_back("clearcal"); }
    void SetupAnalysis() override { calls.push_back("setup"); }
    void UpdateScaleLabels() override { calls.push_back("labels"); }
    void Relayout() override { calls.push_back("relayout"); }
    void RefreshStatus() override { calls.push_back("status"); }
    void SyncMenu() override { calls.push_back("menu"); }

private:
    const AppSettings& settings_;
};

using Calls = std::vector<std::string>;

AppSettings Defaults() {
    AppSettings s{};
    InstallDefaults(s, 1920, 1080);
    return s;
}

TEST(Commands, EachIdChangesItsSettingAndTakesItsActions) {
    struct Case {
        int id;
        Calls calls;
        bool (*check)(const AppSettings&);
    };
    const Case cases[] = {
        {IDM_ABOUT, {"about", "status", "menu"}, [](const AppSettings&) { return true; }},
        {IDM_EXIT, {"exit"}, [](const AppSettings&) { return true; }},
        {DeviceCommandId(3), {"reopen", "status", "menu"}, [](const AppSettings& s) { return s.deviceIndex == 3; }},
        {DeviceCommandId(6), {"status", "menu"}, [](const AppSettings& s) { return s.deviceIndex == 0; }},
        {IDM_DEVICE_NONE, {"status", "menu"}, [](const AppSettings&) { return true; }},
        {IDM_VIEW_WAVE, {"arrow", "relayout", "status", "menu"},
         [](const AppSettings& s) { return s.showWave == 1 && s.showSpectrum == 0 && s.cepstrumMode == 0; }},
        {IDM_VIEW_WAVE_FFT, {"cross", "relayout", "status", "menu"},
         [](const AppSettings& s) { return s.showWave == 1 && s.showSpectrum == 1; }},
        {IDM_VIEW_CEPSTRUM, {"cross", "relayout", "status", "menu"},
         [](const AppSettings& s) { return s.cepstrumMode == 1 && s.pitchOn == 0 && s.showWave == 0; }},
        {IDM_CAL, {"calibrate", "status", "menu"}, [](const AppSettings& s) { return s.calRequest == 0; }},
        {IDM_CAL_CLEAR, {"clearcal", "status", "menu"}, [](const AppSettings&) { return true; }},
        {IDM_WINDOW_BLACKMAN, {"status", "menu"}, [](const AppSettings& s) { return s.windowKind == kWindowBlackman; }},
        {IDM_WINDOW_NONE, {"status", "menu"}, [](const AppSettings& s) { return s.windowKind == kWindowNone; }},
        {IDM_PAUSE_1, {"status", "menu"}, [](const AppSettings& s) { return s.pauseMs == 1; }},
        {IDM_PAUSE_500, {"status", "menu"}, [](const AppSettings& s) { return s.pauseMs == 500; }},
        {IDM_RATE_8000, {"reopen", "labels", "clearcal", "relayout", "status", "menu"},
         [](const AppSettings& s) { return s.sampleRate == 8000; }},
        {IDM_RATE_192000, {"reopen", "labels", "clearcal", "relayout", "status", "menu"},
         [](const AppSettings& s) { return s.sampleRate == 192000; }},
        {IDM_LENGTH_16384, {"clearcal", "setup", "labels", "relayout", "status", "menu"},
         [](const AppSettings& s) { return s.fftLength == 16384 && s.halfLength == 8192; }},
        {IDM_LENGTH_1024, {"clearcal", "setup", "labels", "relayout", "status", "menu"},
         [](const AppSettings& s) { return s.fftLength == 1024 && s.halfLength == 512; }},
        {IDM_GRID_LINEAR, {"labels", "relayout", "status", "menu"}, [](const AppSettings& s) { return s.logGrid == 0; }},
        {IDM_COLOUR_OFF, {"relayout", "status", "menu"}, [](const AppSettings& s) { return s.colourSpectrum == 0; }},
    };
    for (const Case& c : cases) {
        AppSettings s = Defaults();
        RecordingTarget target(s);
        ExecuteCommand(s, c.id, false, target);
        EXPECT_EQ(target.calls, c.calls) << c.id;
        EXPECT_TRUE(c.check(s)) << c.id;
    }
}

TEST(Commands, RunStopRecTransitions) {
    struct Case { std::int32_t from; int id; bool recording; std::int32_t to; Calls actions; };
    const Case cases[] = {
        {kRun, IDM_RUN, false, kRun, {"reopen"}},
        {kRun, IDM_STOP, false, kStop, {"stoprec", "pause"}},
        {kRun, IDM_REC, false, kRec, {"startrec"}},
        {kStop, IDM_RUN, false, kRun, {"reopen"}},
        {kStop, IDM_STOP, false, kStop, {"stoprec", "pause"}},
        {kStop, IDM_REC, false, kRec, {"reopen", "startrec"}},
        {kRec, IDM_RUN, true, kRec, {"reopen"}},
        {kRec, IDM_STOP, true, kStop, {"stoprec", "pause"}},
        {kRec, IDM_REC, true, kRec, {}},
        {kRun, IDM_PLAY_TOGGLE, false, kStop, {"stoprec", "pause"}},
        {kStop, IDM_PLAY_TOGGLE, false, kRun, {"reopen"}},
        {kRec, IDM_PLAY_TOGGLE, true, kStop, {"stoprec", "pause"}},
    };
    for (const Case& c : cases) {
        AppSettings s = Defaults();
        s.runState = c.from;
        RecordingTarget target(s);
        ExecuteCommand(s, c.id, c.recording, target);
        Calls expected = c.actions;
        expected.push_back("status");
        expected.push_back("menu");
        EXPECT_EQ(s.runState, c.to) << c.from << " " << c.id;
        EXPECT_EQ(target.calls, expected) << c.from << " " << c.id;
    }
}

TEST(Commands, FailedRecordingStartShowsRun) {
    AppSettings s = Defaults();
    s.runState = kStop;
    RecordingTarget target(s);
    target.startSucceeds = false;
    ExecuteCommand(s, IDM_REC, false, target);
    EXPECT_EQ(s.runState, kRun);
}

TEST(Commands, RateChangeWhileRecordingEndsTheFileFirst) {
    AppSettings s = Defaults();
    s.runState = kRec;
    RecordingTarget target(s);
    ExecuteCommand(s, IDM_RATE_48000, true, target);
    EXPECT_EQ(s.runState, kRun);
    EXPECT_EQ(s.sampleRate, 48000);
    EXPECT_EQ(target.calls, (Calls{"stoprec", "reopen", "labels", "clearcal", "relayout", "status", "menu"}));

    // Choosing the rate already in force changes nothing in the file.
    AppSettings t = Defaults();
    t.runState = kRec;
    RecordingTarget same(t);
    ExecuteCommand(t, IDM_RATE_44100, true, same);
    EXPECT_EQ(t.runState, kRec);
    EXPECT_EQ(same.calls.front(), "reopen");

    // A device change keeps recording.
    AppSettings u = Defaults();
    u.runState = kRec;
    RecordingTarget device(u);
    ExecuteCommand(u, DeviceCommandId(1), true, device);
    EXPECT_EQ(u.runState, kRec);
}

TEST(Commands, PitchTogglesWithinCepstrum) {
    AppSettings s = Defaults();
    RecordingTarget target(s);
    ExecuteCommand(s, IDM_VIEW_PITCH, false, target);  // from FFT: cepstrum with pitch
    EXPECT_EQ(s.cepstrumMode, 1);
    EXPECT_EQ(s.pitchOn, 1);
    ExecuteCommand(s, IDM_VIEW_PITCH, false, target);  // again: pitch off, still cepstrum
    EXPECT_EQ(s.cepstrumMode, 1);
    EXPECT_EQ(s.pitchOn, 0);
    ExecuteCommand(s, IDM_VIEW_PITCH, false, target);
    EXPECT_EQ(s.pitchOn, 1);
    ExecuteCommand(s, IDM_VIEW_CEPSTRUM, false, target);  // cepstrum always turns pitch off
    EXPECT_EQ(s.pitchOn, 0);
    ExecuteCommand(s, IDM_VIEW_FFT, false, target);
    EXPECT_EQ(s.cepstrumMode, 0);
    EXPECT_EQ(s.pitchOn, 0);
    // Outside cepstrum mode the pitch item is never checked, so pitch turns on.
    s.pitchOn = 1;
    ExecuteCommand(s, IDM_VIEW_PITCH, false, target);
    EXPECT_EQ(s.pitchOn, 1);
}

TEST(Commands, ViewModesResetTheHeldTrace) {
    for (int id : {IDM_VIEW_WAVE, IDM_VIEW_FFT, IDM_VIEW_WAVE_FFT, IDM_VIEW_CEPSTRUM, IDM_VIEW_PITCH}) {
        AppSettings s = Defaults();
        s.holdTrace = 1;
        RecordingTarget target(s);
        ExecuteCommand(s, id, false, target);
        EXPECT_EQ(s.holdTrace, 0) << id;
    }
}

std::vector<int> Checked(const AppSettings& s) {
    MenuMarks m = ComputeMenuMarks(s);
    std::vector<int> ids(m.checked.begin(), m.checked.begin() + m.checkedCount);
    std::sort(ids.begin(), ids.end());
    return ids;
}

// Kept takes sort by their start time and never share a name.
TEST(KeptTakeName, StartTimeThenACountWhereTheNameIsTaken) {
    const struct {
        TakeTime start;
        int attempt;
        const char* name;
    } cases[] = {
        {{2026, 12, 9, 15, 30, 12}, 1, "pcm_data-20261209-153012.wav"},
        {{2027, 1, 2, 3, 4, 5}, 2, "pcm_data-20270102-030405-2.wav"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeptTakeName("pcm_data.wav", c.start, c.attempt), c.name);
    }
}

TEST(MenuMarks, DefaultsCheckOneItemPerGroup) {
    AppSettings s = Defaults();
    std::vector<int> want = {IDM_RATE_44100, IDM_LENGTH_4096, IDM_PAUSE_10, IDM_GRID_LOG, IDM_WINDOW_HANNING,
                             IDM_RUN, IDM_VIEW_FFT, DeviceCommandId(0), IDM_COLOUR_ON};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(Checked(s), want);
    EXPECT_TRUE(ComputeMenuMarks(s).spectrumItemsEnabled);
}

TEST(MenuMarks, ViewModesStatesAndOutsiders) {
    struct Case {
        const char* what;
        void (*set)(AppSettings&);
        std::vector<int> in;
        std::vector<int> out;
    };
    const Case cases[] = {
        {"wave", [](AppSettings& s) { s.showWave = 1; s.showSpectrum = 0; }, {IDM_VIEW_WAVE}, {IDM_VIEW_FFT, IDM_VIEW_WAVE_FFT}},
        {"wave+fft", [](AppSettings& s) { s.showWave = 1; }, {IDM_VIEW_WAVE_FFT}, {IDM_VIEW_FFT, IDM_VIEW_WAVE}},
        {"cepstrum", [](AppSettings& s) { s.cepstrumMode = 1; }, {IDM_VIEW_CEPSTRUM}, {IDM_VIEW_FFT, IDM_VIEW_PITCH}},
        {"pitch", [](AppSettings& s) { s.cepstrumMode = 1; s.pitchOn = 1; }, {IDM_VIEW_CEPSTRUM, IDM_VIEW_PITCH}, {IDM_VIEW_FFT}},
        {"pitch outside cepstrum", [](AppSettings& s) { s.pitchOn = 1; }, {IDM_VIEW_FFT}, {IDM_VIEW_PITCH}},
        {"stop", [](AppSettings& s) { s.runState = kStop; }, {IDM_STOP}, {IDM_RUN, IDM_REC}},
        {"rec", [](AppSettings& s) { s.runState = kRec; }, {IDM_REC, IDM_RUN}, {IDM_STOP}},
        {"state off the table", [](AppSettings& s) { s.runState = 7; }, {}, {IDM_RUN, IDM_STOP, IDM_REC}},
        {"linear", [](AppSettings& s) { s.logGrid = 0; }, {IDM_GRID_LINEAR}, {IDM_GRID_LOG}},
        {"rate off the menu", [](AppSettings& s) { s.sampleRate = 11025; }, {}, {IDM_RATE_44100}},
        {"sixth device", [](AppSettings& s) { s.deviceIndex = 5; }, {DeviceCommandId(5)}, {DeviceCommandId(0)}},
        {"seventh device", [](AppSettings& s) { s.deviceIndex = 6; }, {}, {DeviceCommandId(0), DeviceCommandId(6)}},
        {"colouring off", [](AppSettings& s) { s.colourSpectrum = 0; }, {IDM_COLOUR_OFF}, {IDM_COLOUR_ON}},
    };
    for (const Case& c : cases) {
        AppSettings s = Defaults();
        c.set(s);
        MenuMarks m = ComputeMenuMarks(s);
        for (int id : c.in) EXPECT_TRUE(m.IsChecked(id)) << c.what << " " << id;
        for (int id : c.out) EXPECT_FALSE(m.IsChecked(id)) << c.what << " " << id;
        EXPECT_FALSE(m.IsChecked(IDM_CAL)) << c.what;
    }
}

TEST(MenuMarks, WaveGreysTheSpectrumItemsAndEveryCheckIsClearedFirst) {
    AppSettings s = Defaults();
    s.showWave = 1;
    s.showSpectrum = 0;
    EXPECT_FALSE(ComputeMenuMarks(s).spectrumItemsEnabled);
    auto markable = MarkableMenuIds();
    for (int id : Checked(Defaults())) {
        EXPECT_NE(std::find(markable.begin(), markable.end(), id), markable.end()) << id;
    }
    EXPECT_EQ(SpectrumOnlyMenuIds().size(), 12u);
}

}  // namespace
