// The process-wide objects of the running program, made by the main window's
// creation handler and released after the window is gone.
//
// Threads: the user-interface thread creates and releases the record; the
// worker threads use it only between those two points (they are stopped
// before the window's objects go away). `drawLock` serialises all drawing
// into the plot views' back buffers.
//
// The analysis (its plan, work buffers and calibration) is `frameAnalysis`;
// what it hands to the drawing is a FrameData per pass, which the frame loop
// keeps as its last frame. Nothing of the screen belongs to the analysis.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "app/frame_analysis.h"
#include "app/frame_loop_win.h"
#include "base/settings.h"
#include "app/status_loop_win.h"
#include "app/window_parts_win.h"
#include "capture/file_source.h"
#include "capture/record_file_win.h"
#include "capture/recorder_sink.h"
#include "capture/wav_recorder.h"
#include "capture/wave_capture.h"

struct App {
    HINSTANCE hInstance = nullptr;
    HWND hwnd = nullptr;
    AppSettings settings{};
    std::mutex drawLock;
    WavRecorder recorder{OpenRecordFileWin};  // "pcm_data.wav" while REC
    WindowParts parts;
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
    // Plays an opened WAV file into the capture's ring while the device is
    // closed; goes before the capture. `playingFile` is read by the status
    // thread; `liveRate` is the stored rate, given back when the file closes.
    std::unique_ptr<FileSource> fileSource;
    std::atomic<bool> playingFile{false};
    std::int32_t liveRate = 0;
    // The analysis, fed from the capture's ring; made with the window, set up
    // once the settings are loaded and afterwards only between passes.
    std::unique_ptr<AnalyzerFrameAnalysis> frameAnalysis;
    std::unique_ptr<FrameLoop> frameLoop;  // stopped before the capture and the analysis go
    StatusLoop statusLoop{*this};  // last: stopped before anything it uses goes
};

// The running program's objects, or null while no main window exists.
App* CurrentApp();
