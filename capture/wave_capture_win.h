// The program's capture: a WaveCapture over winmm whose creation lists the
// input devices into the owner's Device menu. User-interface thread.
#pragma once

#include <windows.h>

#include <memory>

#include "capture/wave_capture.h"

// `sink` (may be null) receives every stored block; it must outlive the capture.
std::unique_ptr<WaveCapture> CreateWaveCapture(HWND hOwnerWnd, BlockSink* sink);
