// The program's capture: a WaveCapture over InputPaths (the wave-input
// devices or an audio endpoint, as chosen). Whenever the input is lost
// or back, the device list changes or a re-open chose a device, the owner gets
// kCaptureChangedMessage (posted; base/window_messages_win.h). The owner
// shows the devices (WaveCapture::Devices) itself. User-interface thread.
#pragma once

#include <windows.h>

#include <memory>

#include "capture/input_paths_win.h"
#include "capture/wave_capture.h"

// `sink` (may be null) receives every stored block; it must outlive the capture.
// `paths`, when given, receives the capture's InputPaths (owned by the capture).
std::unique_ptr<WaveCapture> CreateWaveCapture(HWND hOwnerWnd, BlockSink* sink, InputPaths** paths = nullptr);
