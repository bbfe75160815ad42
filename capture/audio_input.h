// AudioInput: what the capture needs of a wave-input layer, and nothing more.
//
// Devices are numbered from 0. A device opens by number for mono samples at a
// rate, 16-bit PCM or (a layer that has more than 16 bits to give) 32-bit
// float with full scale at +-1.0, as its BufferKind says; the caller then
// queues its own buffers, which the device fills in
// queue order and hands back one by one through `BufferDone`, called on a
// service thread of the layer (under Wine also, synchronously, on the thread
// that calls Reset). Stop hands back the buffer being filled and keeps the
// others queued; Reset hands back all of them (a layer whose device has gone
// may refuse); Close with buffers still queued is refused by some layers and
// accepted by others, which then give the buffers up without handing them
// back.
//
// Rules for the caller:
//   - `BufferDone` runs where the platform allows only a few calls: it may
//     call Wake and nothing else of the AudioInput, and it must never wait
//     (no lock, no sleep, no file);
//   - a buffer is queued at most once until it comes back;
//   - the memory of a queued buffer stays valid and untouched until it comes
//     back;
//   - the operations are never called concurrently with each other.
//
// Results: true on success, false on failure (nothing changed then).
#pragma once

#include <cstdint>
#include <string>

// Buffers circulating through an open device.
inline constexpr int kCaptureBuffers = 10;
// Longest device name the platform reports, characters.
inline constexpr int kDeviceNameMaxChars = 31;

// What the samples in an open device's buffers are.
enum class BufferSamples : std::uint8_t { kInt16, kFloat32 };
inline constexpr std::uint32_t BufferSampleBytes(BufferSamples kind) {
    return kind == BufferSamples::kFloat32 ? 4 : 2;
}

class AudioInput {
public:
    // Called once per handed-back buffer with the tag it was queued with and
    // the bytes the device put into it (fewer than queued when a stop or
    // reset cut it short); `context` is the value given to Open.
    using BufferDone = void (*)(void* context, std::uint32_t tag, std::uint32_t bytesRecorded);

    virtual ~AudioInput() = default;

    virtual int DeviceCount() = 0;
    // The device's name; false when its capability query fails.
    virtual bool DeviceName(unsigned device, std::string& name) = 0;

    // The number of the device the system uses by default (0 when it cannot
    // tell). The caller opens that number: no "any device" id is ever passed.
    virtual unsigned DefaultDevice() = 0;

    virtual bool Open(unsigned device, int rateHz, BufferDone done, void* context) = 0;
    // The samples the open device puts into buffers; asked after a
    // successful Open and before the first Queue, and the same until Close.
    virtual BufferSamples BufferKind() { return BufferSamples::kInt16; }
    // Queues buffer `slot` (0 to kCaptureBuffers - 1): `bytes` bytes at `data`,
    // owned by the caller. `tag` comes back with it.
    virtual bool Queue(int slot, void* data, std::uint32_t bytes, std::uint32_t tag) = 0;
    virtual bool Start() = 0;
    virtual bool Stop() = 0;
    virtual bool Reset() = 0;
    // Releases what the layer holds for the buffers and closes the device;
    // after a true result no buffer is the layer's any more. False, with the
    // device still open and the buffers still the layer's, when the device
    // refuses.
    virtual bool Close() = 0;
    // Samples the open device has captured since it was opened, those it had
    // no buffer for included; wraps at 2^32. False when it cannot tell.
    virtual bool Position(std::uint32_t& samples) = 0;

    // True when the devices the layer would list now are another set than
    // those it listed last (a layer with more than one way in switched); the
    // caller then lists them again before it chooses one.
    virtual bool ListingChanged() { return false; }

    // The layer's wake-up event (auto-reset): Wake is the one call allowed
    // inside BufferDone and never blocks; WaitForWake returns after a Wake
    // (also one made before it was called) or after `timeoutMs`.
    virtual void Wake() = 0;
    virtual void WaitForWake(int timeoutMs) = 0;
};
