#include "capture/wave_capture_win.h"

#include "base/window_messages_win.h"
#include "capture/winmm_input_win.h"

std::unique_ptr<WaveCapture> CreateWaveCapture(HWND hOwnerWnd, BlockSink* sink) {
    auto capture = std::make_unique<WaveCapture>(std::make_unique<WinmmInput>());
    capture->SetBlockSink(sink);
    capture->SetChangeHook([hOwnerWnd] { PostMessageA(hOwnerWnd, kCaptureChangedMessage, 0, 0); });
    return capture;
}
