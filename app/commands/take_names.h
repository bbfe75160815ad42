// The names earlier takes are kept under. REC never overwrites a take: the
// file in the recording's place ("pcm_data.wav") is first renamed after the
// time its take started, "pcm_data-20261209-153012.wav", so the newest take
// is always at the fixed name scripts read and the older ones sort by time.
// Where that name is taken already, "-2", "-3", ... follow the time.
//
// Pure; callable from any thread.
#pragma once

#include <string>
#include <string_view>

// A local time to the second, as the calendar shows it.
struct TakeTime {
    int year;
    int month;  // 1-12
    int day;
    int hour;
    int minute;
    int second;
};

// Tries at most this many names for one take before giving up.
inline constexpr int kMaxTakeNameAttempts = 1000;

// The name for the take in `fileName` (a name with an extension), started at
// `start`; `attempt` 1 is the plain name, 2 and above add "-<attempt>".
std::string KeptTakeName(std::string_view fileName, const TakeTime& start, int attempt);
