// The program's capture: a WaveCapture over winmm whose creation lists the
// input devices into the owner's Device menu. Whenever the input is lost or
// back, the device list changes or a re-open chose a device, the owner gets
// kCaptureChangedMessage (posted). User-interface thread.
#pragma once

#include <windows.h>

#include <memory>

#include "capture/wave_capture.h"

// Posted to the owner window on a change of the capture's state or devices.
inline constexpr UINT kCaptureChangedMessage = WM_APP + 13;

// `sink` (may be null) receives every stored block; it must outlive the capture.
std::unique_ptr<WaveCapture> CreateWaveCapture(HWND hOwnerWnd, BlockSink* sink);
