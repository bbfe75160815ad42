// The status line and its once-a-second worker.
//
// RefreshStatus formats the status line from the published settings (App's
// `published`) into the status label and restarts the frame count; it runs
// on the user-interface thread (commands, settings load) and on the status
// thread. PublishSettings, on the user-interface thread after the settings
// image has changed, hands the workers a copy of it and then refreshes the
// line.
//
// StatusLoop is that worker thread: every second it refreshes the line (so
// the frame count becomes frames per second) and raises `secondTick`, which
// the frame loop turns into a tick mark on the spectrogram; every second
// second it also raises `peakHoldRestart`, which the frame loop takes and
// restarts the peak-hold line with. It touches no drawing itself. Start and
// Stop run on the user-interface thread; Stop returns once the thread has
// ended and is safe to call twice.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

struct App;

// One status-line period, milliseconds.
inline constexpr int kStatusPeriodMs = 1000;

void RefreshStatus(App& app);
void PublishSettings(App& app);

class StatusLoop {
public:
    explicit StatusLoop(App& app) : app_(app) {}
    ~StatusLoop() { Stop(); }
    StatusLoop(const StatusLoop&) = delete;
    StatusLoop& operator=(const StatusLoop&) = delete;

    void Start();
    void Stop();

private:
    void Run();
    // Sleeps one period; false when the loop is being stopped.
    bool Wait();

    App& app_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};
