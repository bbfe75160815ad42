// WinmmInput: AudioInput over the Windows multimedia wave-input functions.
//
// Buffers: header i belongs to buffer slot i. A header is prepared the first
// time its slot is queued after an open (again if the caller's memory or
// length changed) and unprepared by Close, which also clears its data
// pointer. A Close that the device refuses keeps the handle and every header
// it could not release. The buffer's tag travels in the header's user field.
//
// Threads: `BufferDone` runs on winmm's own thread for WIM_DATA, and, under
// Wine, on the thread that calls Reset. The callback function only forwards
// the header to `BufferDone`; it makes no wave call. Wake is SetEvent on an
// auto-reset event, one of the few calls a wave callback may make.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <array>

#include "base/unique_handle_win.h"
#include "capture/audio_input.h"

class WinmmInput final : public AudioInput {
public:
    WinmmInput() = default;
    ~WinmmInput() override;
    WinmmInput(const WinmmInput&) = delete;
    WinmmInput& operator=(const WinmmInput&) = delete;

    int DeviceCount() override;
    unsigned DefaultDevice() override;
    bool DeviceName(unsigned device, std::string& name) override;
    bool Open(unsigned device, int rateHz, BufferDone done, void* context) override;
    bool Queue(int slot, void* data, std::uint32_t bytes, std::uint32_t tag) override;
    bool Start() override;
    bool Stop() override;
    bool Reset() override;
    bool Close() override;
    bool Position(std::uint32_t& samples) override;
    void Wake() override;
    void WaitForWake(int timeoutMs) override;

private:
    static void CALLBACK WaveInProc(HWAVEIN device, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                    DWORD_PTR param2);

    HWAVEIN hWaveIn_ = nullptr;
    WAVEFORMATEX waveFormat_{};
    std::array<WAVEHDR, kCaptureBuffers> waveHeaders_{};
    BufferDone done_ = nullptr;
    void* context_ = nullptr;
    UniqueHandle wakeEvent_{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
};
