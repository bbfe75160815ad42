// The process-wide objects of the running program, made by the main window's
// creation handler and released after the window is gone.
//
// Threads: the user-interface thread creates and releases the record; the
// worker threads use it only between those two points (they are stopped
// before the window's objects go away). `drawLock` serialises all drawing
// into the plot views' back buffers.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "analysis/analyzer.h"
#include "app/extra_settings.h"
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
    ExtraSettings extraSettings;  // "tavrin.ini": read at start-up, written at exit
    std::mutex drawLock;
    WavRecorder recorder{OpenRecordFileWin};  // "pcm_data.wav" while REC
    WindowParts parts;
    std::unique_ptr<Analyzer> upper;  // the analysed channel
    std::unique_ptr<Analyzer> lower;  // the spectrogram's channel
    // Raised by the status loop every second; the frame loop draws a tick
    // into the spectrogram and clears it.
    std::atomic<bool> secondTick{false};
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
    std::unique_ptr<AnalyzerFrameAnalysis> frameAnalysis;
    std::unique_ptr<FrameLoop> frameLoop;  // stopped before the capture and analysers go
    StatusLoop statusLoop{*this};  // last: stopped before anything it uses goes
};

// The running program's objects, or null while no main window exists.
App* CurrentApp();
