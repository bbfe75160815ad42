// The text of a label, shared between the threads that write it (status line,
// frame loop) and the user-interface thread that paints it.
//
// Threads: Set from any thread, CopyTo from any thread; a small lock of its
// own makes every copy one whole text, the latest one set. The lock is never
// held while calling out, so taking it under the draw lock is safe.
#pragma once

#include <cstddef>
#include <mutex>

// Longest text a label shows, bytes without the terminator; longer texts are cut.
inline constexpr std::size_t kLabelTextMaxChars = 255;

class LabelText {
public:
    using Buffer = char[kLabelTextMaxChars + 1];

    // Copies at most kLabelTextMaxChars bytes of `text` (null: empty text).
    void Set(const char* text);
    // Copies the current text, terminated, into `out`; returns its length.
    std::size_t CopyTo(Buffer& out) const;

private:
    mutable std::mutex lock_;
    Buffer text_{};
};
