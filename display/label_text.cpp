#include "display/label_text.h"

#include <cstring>

void LabelText::Set(const char* text) {
    // Stops at the terminator: the source may be shorter than the limit.
    std::size_t length = 0;
    while (text != nullptr && length < kLabelTextMaxChars && text[length] != '\0') {
        ++length;
    }
    std::lock_guard<std::mutex> hold(lock_);
    if (length != 0) {
        std::memcpy(text_, text, length);
    }
    text_[length] = '\0';
}

std::size_t LabelText::CopyTo(Buffer& out) const {
    std::lock_guard<std::mutex> hold(lock_);
    std::memcpy(out, text_, sizeof out);
    return std::strlen(out);
}
