#include "capture/wave_capture_win.h"

#include "base/window_messages_win.h"

std::unique_ptr<WaveCapture> CreateWaveCapture(HWND hOwnerWnd, BlockSink* sink, InputPaths** paths) {
    auto input = std::make_unique<InputPaths>();
    if (paths != nullptr) {
        *paths = input.get();
    }
    auto capture = std::make_unique<WaveCapture>(std::move(input));
    capture->SetBlockSink(sink);
    capture->SetChangeHook([hOwnerWnd] { PostMessageA(hOwnerWnd, kCaptureChangedMessage, 0, 0); });
    return capture;
}
