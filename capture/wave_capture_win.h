// The program's capture: a WaveCapture over winmm. Whenever the input is lost
// or back, the device list changes or a re-open chose a device, the owner gets
// kCaptureChangedMessage (posted; base/window_messages_win.h). The owner
// shows the devices (WaveCapture::Devices) itself. User-interface thread.
#pragma once

#include <windows.h>

#include <memory>

#include "capture/wave_capture.h"

// `sink` (may be null) receives every stored block; it must outlive the capture.
std::unique_ptr<WaveCapture> CreateWaveCapture(HWND hOwnerWnd, BlockSink* sink);
