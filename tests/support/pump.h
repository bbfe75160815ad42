// Helpers for in-process window tests: pumping messages while waiting, and
// finding windows a modal loop has opened.
#pragma once

#include <windows.h>

#include <functional>

namespace testsupport {

// Dispatches messages until `done` returns true or `timeoutMs` passes;
// returns the last value of `done`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Dispatches whatever is queued now.
void PumpPending();

// The first visible dialog (class "#32770") of this thread, or null.
HWND FindThreadDialog();

}  // namespace testsupport
