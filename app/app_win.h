// The process-wide objects of the running program, made by the main window's
// creation handler and released after the window is gone.
//
// Threads: the user-interface thread creates and releases the record; the
// worker threads use it only between those two points (they are stopped
// before the window's objects go away). `drawLock` serialises all drawing
// into the plot views' back buffers.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>

#include "app/settings.h"
#include "app/window_parts_win.h"
#include "capture/recorder_sink.h"
#include "capture/wav_recorder.h"
#include "capture/wave_capture.h"

struct App {
    HINSTANCE hInstance = nullptr;
    HWND hwnd = nullptr;
    AppSettings settings{};
    std::mutex drawLock;
    WavRecorder recorder;  // "pcm_data.wav" while REC
    WindowParts parts;
    RecorderSink recorderSink{recorder};
    std::unique_ptr<WaveCapture> capture;  // last: closed before the recorder goes
};

// The running program's objects, or null while no main window exists.
App* CurrentApp();
