// The process-wide objects of the running program, made by the main window's
// creation handler and released after the window is gone.
//
// The record is made and released only where the whole program is known (the
// main window), so the types of the rooms above this one are only declared
// here.
//
// Lifetime: the window can go while one of its handlers is still running a
// loop of its own (the About box, a file dialog, a message box, a wait for
// the frame loop): WM_CLOSE or WM_ENDSESSION is then dispatched inside that
// loop. The record is therefore released only once the outermost call of the
// window procedure has returned, never inside it; until then `windowClosed`
// tells the code after a modal call that the teardown has run, and that it
// must change nothing more.
//
// Threads: the user-interface thread creates and releases the record; the
// worker threads use it only between those two points (they are stopped
// before the window's objects go away). `drawLock` serialises all drawing
// into the plot views' back buffers. `settings` is the saved image, the
// user-interface thread's own; the workers read `published` copies of it and
// share what they change while running through `live`.
//
// The analysis (its plan, work buffers and calibration) is `frameAnalysis`;
// what it hands to the drawing is a FrameData per pass, which the frame loop
// keeps as its last frame. Nothing of the screen belongs to the analysis.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "app/program/published_settings.h"
#include "app/program/view_options.h"
#include "base/live_view.h"
#include "base/settings.h"
#include "capture/file_source.h"
#include "capture/input_paths_win.h"
#include "capture/record_file_win.h"
#include "capture/recorder_sink.h"
#include "capture/wasapi_endpoints_win.h"
#include "capture/wav_recorder.h"
#include "capture/wave_capture.h"

// The rooms above this one that the record holds; their headers include this
// one, so the record owns them through pointers to declared types.
struct CepstrumCalibration;
struct ExtraSettings;
struct WindowParts;
class AnalyzerFrameAnalysis;
class EndpointWatch;
class FrameLoop;
class OverviewJob;
class StatusLoop;

struct App {
    // Defined with the main window, where every type held here is complete.
    App();
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    HINSTANCE hInstance = nullptr;
    HWND hwnd = nullptr;
    // Set by WM_DESTROY's teardown (user-interface thread only).
    bool windowClosed = false;
    AppSettings settings{};
    PublishedSettings published;
    LiveViewState live;
    std::unique_ptr<ExtraSettings> extraSettings;  // "tavrin.ini": read at start-up, written at exit
    ViewOptions options;  // what of "tavrin.ini" the workers read
    std::mutex drawLock;
    WavRecorder recorder{OpenRecordFileWin};  // "pcm_data.wav" while REC
    // The window's parts, reached as `parts` (made with the record).
    std::unique_ptr<WindowParts> ownedParts;
    WindowParts& parts;
    // Raised by the status loop every second; the frame loop draws a tick
    // into the spectrogram and clears it.
    std::atomic<bool> secondTick{false};
    // Raised by the status loop every second second; the frame loop takes it
    // and restarts the peak-hold line before it draws the next frame.
    std::atomic<bool> peakHoldRestart{false};
    // Set by the frame loop while RUN/REC shows the last good frame because
    // the newest samples do not make a continuous one; read by the status line.
    std::atomic<bool> waitingForSamples{false};
    RecorderSink recorderSink{recorder};
    std::unique_ptr<WaveCapture> capture;  // closed before the recorder goes
    // The capture's ways in (owned by the capture), and the audio endpoints
    // the Device menu shows, capture endpoints first (app/menus/endpoint_menu_win.h).
    InputPaths* inputPaths = nullptr;
    std::vector<Endpoint> endpointItems;
    // Posts kCaptureChangedMessage when endpoints come or go, so that the menu follows.
    std::unique_ptr<EndpointWatch> endpointWatch;
    // Plays an opened WAV file into the capture's ring while the device is
    // closed; goes before the capture. `playingFile` is read by the status
    // thread; `liveRate` is the stored rate, given back when the file closes.
    // `waitingFile` is the opened file while the capture is still letting go
    // of the ring (WaveCapture::Released).
    std::unique_ptr<FileSource> fileSource;
    std::unique_ptr<WavReader> waitingFile;
    std::atomic<bool> playingFile{false};
    std::int32_t liveRate = 0;
    // The overview of the file that plays, computed in the background and
    // drawn into the lower view by the frame loop (stopped before it goes);
    // the frame loop copies the computation's percent done (-1: none runs)
    // into `overviewPercent` for the status line.
    std::unique_ptr<OverviewJob> overview;
    std::atomic<int> overviewPercent{-1};
    // The analysis, fed from the capture's ring; made with the window, set up
    // once the settings are loaded and afterwards only between passes.
    std::unique_ptr<AnalyzerFrameAnalysis> frameAnalysis;
    // The analysis's CAL state, for the status line and the menu to ask
    // whether a reference is in use (CepstrumCalibration::InUse); not owned.
    const CepstrumCalibration* calibration = nullptr;
    std::unique_ptr<FrameLoop> frameLoop;  // stopped before the capture and the analysis go
    std::unique_ptr<StatusLoop> statusLoop;  // last: stopped before anything it uses goes
};

// The running program's objects, or null while no main window exists.
App* CurrentApp();
