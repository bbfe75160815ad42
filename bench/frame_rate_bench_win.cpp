// Frame rate of the real program: the main window with its own frame loop,
// capture, analysis and painters, driven through its menu commands at pause 0.
// For every view (WAVE, FFT, FFT filled, WAVE + FFT, cepstrum, pitch, the
// spectrum averaged, octave bands), both
// frequency axes and two window sizes it prints the frames per second and the
// process's CPU milliseconds per frame; then the default start (600 x 500,
// pause 10 ms) as a share of one core, and last the process's memory: what
// it has committed now and at most, and its peak working set.
//
// Run it in an empty directory with a sound source (scripts/frame-rate.sh does
// both): the window reads and writes "param.bin" in the current directory,
// and a silent input leaves nothing to fill.
//
// Usage: frame_rate_bench [--rounds N] [--ms MEASURE_MS] [--only TEXT]
// Each case is measured N times (all cases once per round, so that a burst
// of load elsewhere spreads over all of them) and the median is printed.
// --only keeps the cases whose line contains TEXT (for a profile of one).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/program/app_win.h"
#include "app/status/status_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/window/main_window_win.h"
#include "resources/resource_ids.h"

namespace {

constexpr DWORD kSettleMs = 400;      // after a change of view or size, before measuring
constexpr DWORD kDefaultMeasureMs = 1500;
constexpr DWORD kDefaultStartMeasureMs = 4000;
constexpr int kDefaultRounds = 3;
constexpr char kDefaultStartLabel[] = "default start (600 x 500, FFT filled, log, pause 10 ms)";

struct ViewCase {
    const char* name;
    int viewCommand;
    bool colour;
    int averageCommand = IDM_AVERAGE_OFF;
    int bandsCommand = IDM_BANDS_3;  // the band view's width
};

// Colouring is on by default: every frequency view but the plain FFT keeps it.
const ViewCase kViews[] = {
    {"WAVE", IDM_VIEW_WAVE, true},          {"FFT", IDM_VIEW_FFT, false},
    {"FFT filled", IDM_VIEW_FFT, true},     {"WAVE + FFT", IDM_VIEW_WAVE_FFT, true},
    {"cepstrum", IDM_VIEW_CEPSTRUM, true},  {"pitch", IDM_VIEW_PITCH, true},
    // The spectrum averaged: to compare with the plain FFT above.
    {"FFT avg slow", IDM_VIEW_FFT, false, IDM_AVERAGE_SLOW},
    {"FFT avg 16", IDM_VIEW_FFT, false, IDM_AVERAGE_LINEAR},
    {"FFT max hold", IDM_VIEW_FFT, false, IDM_AVERAGE_MAX},
    // The octave-band view, averaged as it is read.
    {"bands 1/3 avg slow", IDM_VIEW_BANDS, false, IDM_AVERAGE_SLOW},
    {"bands 1/24 avg slow", IDM_VIEW_BANDS, false, IDM_AVERAGE_SLOW, IDM_BANDS_24},
};

struct WindowSize {
    int width;
    int height;
};
const WindowSize kSizes[] = {{600, 500}, {1000, 700}};

struct Sample {
    double fps;
    double cpuMsPerFrame;
};

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0.0;
    }
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;  // 100 ns units
}

double NowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

void Command(HWND hwnd, int id) { SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void Resize(HWND hwnd, const WindowSize& size) {
    SetWindowPos(hwnd, HWND_TOP, 0, 0, size.width, size.height, SWP_SHOWWINDOW);
}

void Select(HWND hwnd, const ViewCase& view, bool logAxis, int pauseCommand) {
    Command(hwnd, pauseCommand);
    Command(hwnd, view.colour ? IDM_COLOUR_ON : IDM_COLOUR_OFF);
    Command(hwnd, logAxis ? IDM_GRID_LOG : IDM_GRID_LINEAR);
    if (view.viewCommand == IDM_VIEW_PITCH) {
        Command(hwnd, IDM_VIEW_CEPSTRUM);  // pitch toggles: start from off
    }
    Command(hwnd, view.bandsCommand);
    Command(hwnd, view.viewCommand);
    Command(hwnd, view.averageCommand);
}

Sample Measure(const App& app, DWORD ms) {
    const long passes0 = app.frameLoop->PassCount();
    const double cpu0 = ProcessCpuMs();
    const double t0 = NowMs();
    Pump(ms);
    const long frames = app.frameLoop->PassCount() - passes0;
    const double cpu = ProcessCpuMs() - cpu0;
    const double wall = NowMs() - t0;
    if (frames <= 0 || wall <= 0.0) {
        return {0.0, 0.0};
    }
    return {1000.0 * frames / wall, cpu / frames};
}

// Committed (private) bytes now and at their peak, and the peak working set.
// Windows gives the commit charge as PrivateUsage and PagefileUsage alike;
// Wine fills only the second.
void PrintMemory() {
    PROCESS_MEMORY_COUNTERS m{};
    m.cb = sizeof m;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m)) {
        return;
    }
    constexpr double kMiB = 1024.0 * 1024.0;
    std::printf("memory: committed %.1f MiB (peak %.1f MiB), peak working set %.1f MiB\n", m.PagefileUsage / kMiB,
                m.PeakPagefileUsage / kMiB, m.PeakWorkingSetSize / kMiB);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = kDefaultRounds;
    DWORD measureMs = kDefaultMeasureMs;
    const char* only = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0) {
            rounds = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--ms") == 0) {
            measureMs = static_cast<DWORD>(std::max(100, std::atoi(argv[i + 1])));
        } else if (std::strcmp(argv[i], "--only") == 0) {
            only = argv[i + 1];
        }
    }

    HWND hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
    if (!hwnd) {
        std::fprintf(stderr, "the main window could not be made\n");
        return 1;
    }
    ShowWindow(hwnd, SW_SHOW);
    Pump(kSettleMs);
    const App* app = CurrentApp();
    if (!app || !app->frameLoop || !app->frameLoop->Running()) {
        std::fprintf(stderr, "the frame loop is not running\n");
        return 1;
    }

    // The default start: as a fresh program opens, pause 10 ms.
    Resize(hwnd, kSizes[0]);
    Select(hwnd, kViews[2], true, IDM_PAUSE_10);
    Pump(kSettleMs);
    std::vector<double> defaultFps, defaultCore;
    const bool defaultStart = !only || std::strstr(kDefaultStartLabel, only);
    for (int r = 0; r < rounds && defaultStart; ++r) {
        const Sample s = Measure(*app, kDefaultStartMeasureMs);
        defaultFps.push_back(s.fps);
        defaultCore.push_back(s.fps * s.cpuMsPerFrame / 10.0);  // ms per second -> % of a core
    }

    struct Row {
        std::string label;
        const WindowSize* size;
        const ViewCase* view;
        bool logAxis;
        std::vector<double> fps, cpu;
    };
    std::vector<Row> rows;
    for (const WindowSize& size : kSizes) {
        for (const ViewCase& view : kViews) {
            for (bool logAxis : {false, true}) {
                char label[96];
                std::snprintf(label, sizeof label, "%4d x %-4d  %-12s %-6s", size.width, size.height, view.name,
                              logAxis ? "log" : "linear");
                if (!only || std::strstr(label, only)) {
                    rows.push_back({label, &size, &view, logAxis, {}, {}});
                }
            }
        }
    }
    for (int r = 0; r < rounds; ++r) {
        for (Row& row : rows) {
            Resize(hwnd, *row.size);
            Select(hwnd, *row.view, row.logAxis, IDM_PAUSE_0);
            Pump(kSettleMs);
            const Sample s = Measure(*app, measureMs);
            row.fps.push_back(s.fps);
            row.cpu.push_back(s.cpuMsPerFrame);
        }
    }

    std::printf("window       view         axis      frames/s  CPU ms/frame   (median of %d)\n", rounds);
    for (const Row& row : rows) {
        std::printf("%s  %8.0f  %12.3f\n", row.label.c_str(), Median(row.fps), Median(row.cpu));
    }
    if (defaultStart) {
        std::printf("%s: %.0f frames/s, %.1f %% of a core\n", kDefaultStartLabel, Median(defaultFps),
                    Median(defaultCore));
    }
    PrintMemory();
    std::fflush(stdout);
    DestroyWindow(hwnd);
    Pump(100);
    return 0;
}
