#include "capture/winmm_input_win.h"
#include <mmddk.h>

WinmmInput::~WinmmInput() {
    if (hWaveIn_ != nullptr) {
        Reset();
        Close();
    }
}

int WinmmInput::DeviceCount() { return static_cast<int>(waveInGetNumDevs()); }

unsigned WinmmInput::DefaultDevice() {
    DWORD device = 0;
    DWORD status = 0;
    const MMRESULT r = waveInMessage(reinterpret_cast<HWAVEIN>(static_cast<UINT_PTR>(WAVE_MAPPER)),
                                     DRVM_MAPPER_PREFERRED_GET, reinterpret_cast<DWORD_PTR>(&device),
                                     reinterpret_cast<DWORD_PTR>(&status));
    if (r != MMSYSERR_NOERROR || device >= waveInGetNumDevs()) {
        return 0;
    }
    return device;
}

bool WinmmInput::DeviceName(unsigned device, std::string& name) {
    WAVEINCAPSA devCaps{};
    if (waveInGetDevCapsA(device, &devCaps, sizeof devCaps) != MMSYSERR_NOERROR) {
        return false;
    }
    devCaps.szPname[kDeviceNameMaxChars] = '\0';
    name = devCaps.szPname;
    return true;
}

bool WinmmInput::Open(unsigned device, int rateHz, BufferDone done, void* context) {
    if (hWaveIn_ != nullptr) {
        return false;
    }
    waveFormat_ = {};
    waveFormat_.wFormatTag = WAVE_FORMAT_PCM;
    waveFormat_.nChannels = 1;
    waveFormat_.nSamplesPerSec = static_cast<DWORD>(rateHz);
    waveFormat_.nAvgBytesPerSec = 2 * static_cast<DWORD>(rateHz);
    waveFormat_.nBlockAlign = 2;
    waveFormat_.wBitsPerSample = 16;
    done_ = done;
    context_ = context;
    HWAVEIN opened = nullptr;
    if (waveInOpen(&opened, device, &waveFormat_, reinterpret_cast<DWORD_PTR>(&WinmmInput::WaveInProc),
                   reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        return false;
    }
    hWaveIn_ = opened;
    return true;
}

bool WinmmInput::Queue(int slot, void* data, std::uint32_t bytes, std::uint32_t tag) {
    if (hWaveIn_ == nullptr || slot < 0 || slot >= kCaptureBuffers) {
        return false;
    }
    WAVEHDR& header = waveHeaders_[slot];
    const bool prepared = (header.dwFlags & WHDR_PREPARED) != 0;
    if (prepared && (header.lpData != data || header.dwBufferLength != bytes)) {
        waveInUnprepareHeader(hWaveIn_, &header, sizeof header);
    }
    if ((header.dwFlags & WHDR_PREPARED) == 0) {
        header = {};
        header.lpData = static_cast<LPSTR>(data);
        header.dwBufferLength = bytes;
        if (waveInPrepareHeader(hWaveIn_, &header, sizeof header) != MMSYSERR_NOERROR) {
            return false;
        }
    }
    header.dwUser = tag;
    return waveInAddBuffer(hWaveIn_, &header, sizeof header) == MMSYSERR_NOERROR;
}

bool WinmmInput::Start() { return hWaveIn_ != nullptr && waveInStart(hWaveIn_) == MMSYSERR_NOERROR; }

bool WinmmInput::Stop() { return hWaveIn_ != nullptr && waveInStop(hWaveIn_) == MMSYSERR_NOERROR; }

bool WinmmInput::Reset() { return hWaveIn_ != nullptr && waveInReset(hWaveIn_) == MMSYSERR_NOERROR; }

bool WinmmInput::Close() {
    if (hWaveIn_ == nullptr) {
        return false;
    }
    for (WAVEHDR& header : waveHeaders_) {
        // A header still queued stays prepared and the driver's: its
        // unprepare fails and leaves it as it is.
        if ((header.dwFlags & WHDR_PREPARED) &&
            waveInUnprepareHeader(hWaveIn_, &header, sizeof header) == MMSYSERR_NOERROR) {
            header = {};
        }
    }
    // Windows refuses to close a device that still holds buffers; a layer
    // that closes it anyway (Wine, whose reset fails once the sound server
    // is gone) has let them go with the handle.
    if (waveInClose(hWaveIn_) != MMSYSERR_NOERROR) {
        return false;
    }
    hWaveIn_ = nullptr;
    waveHeaders_ = {};
    return true;
}

bool WinmmInput::Position(std::uint32_t& samples) {
    if (hWaveIn_ == nullptr) {
        return false;
    }
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    if (waveInGetPosition(hWaveIn_, &time, sizeof time) != MMSYSERR_NOERROR || time.wType != TIME_SAMPLES) {
        return false;
    }
    samples = time.u.sample;
    return true;
}

void WinmmInput::Wake() {
    if (wakeEvent_ != nullptr) {
        SetEvent(wakeEvent_.get());
    }
}

void WinmmInput::WaitForWake(int timeoutMs) {
    if (wakeEvent_ == nullptr) {
        Sleep(static_cast<DWORD>(timeoutMs));
        return;
    }
    WaitForSingleObject(wakeEvent_.get(), static_cast<DWORD>(timeoutMs));
}

void CALLBACK WinmmInput::WaveInProc(HWAVEIN, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
    if (message != WIM_DATA) {
        return;
    }
    auto* self = reinterpret_cast<WinmmInput*>(instance);
    const auto* header = reinterpret_cast<const WAVEHDR*>(param1);
    self->done_(self->context_, static_cast<std::uint32_t>(header->dwUser), header->dwBytesRecorded);
}
