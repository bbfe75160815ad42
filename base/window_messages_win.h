// The program's own window messages, WM_APP + n, listed in one place so that
// no two share a number. Each is posted (never sent) from a worker thread to
// the main window, which handles it on the user-interface thread; none carries
// parameters.
#pragma once

#include <windows.h>

// The capture lost or regained its input, its device list changed or a
// re-open chose a device (capture/wave_capture_win.h).
inline constexpr UINT kCaptureChangedMessage = WM_APP + 13;
// A write error (a full disk) ended the recording (the recorder's error callback).
inline constexpr UINT kRecordingEndedMessage = WM_APP + 14;
