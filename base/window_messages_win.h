// The program's own window messages, WM_APP + n, listed in one place so that
// no two share a number. Each is posted (never sent) from a worker thread to
// the main window, which handles it on the user-interface thread; none carries
// parameters.
#pragma once

#include <windows.h>

// The capture lost or regained its input, its device list changed or a
// re-open chose a device (capture/wave_capture_win.h).
inline constexpr UINT kCaptureChangedMessage = WM_APP + 13;
// A take ended by itself: a write error (a full disk), a disk too slow for
// the recorder's queue or the file's size limit (the recorder's error callback).
inline constexpr UINT kRecordingEndedMessage = WM_APP + 14;
// The WAV file that plays in place of the input cannot be read any more
// (capture/file_source.h).
inline constexpr UINT kInputFileFailedMessage = WM_APP + 21;
