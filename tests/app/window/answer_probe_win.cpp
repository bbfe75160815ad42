// answer_probe: drives the running program's main window from another
// process, as the system and the user do, and times how long the window
// takes to answer. The times are measured here around the message itself
// (SendMessageTimeout, or the window's going), not around starting a tool.
//
// Usage (prints the milliseconds taken on standard output; exit code 0 when
// the window answered, 1 when it did not within the limit, 2 on bad usage):
//   answer_probe wait             the window exists and answers
//   answer_probe command ID       WM_COMMAND ID sent, until it returns
//   answer_probe open PATH        File > Open, PATH typed in and OK: from the
//                                 dialog's going until the window answers again
//   answer_probe close            WM_CLOSE posted (taskkill), until the window
//                                 is off the screen; fails unless the program
//                                 then ends within 1.5 s
//   answer_probe close-under ID   WM_COMMAND ID posted (a dialog of the
//                                 program), then as close once the dialog is up
//   answer_probe endpoint-id NAME prints the ID (UTF-8) of the capture endpoint
//                                 called NAME; no window needed
// Single-threaded.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "capture/wasapi_endpoints_win.h"

namespace {

constexpr const char* kClassName = "QUOREL";
constexpr UINT kAnswerLimitMs = 5000;
constexpr DWORD kFindLimitMs = 20000;
constexpr DWORD kExitLimitMs = 1500;
constexpr int kOpenCommand = 32880;
constexpr int kFileNameEdit = 0x480;   // edt1
constexpr int kFileNameCombo = 0x47C;  // cmb13

double NowMs() {
    LARGE_INTEGER hz, now;
    QueryPerformanceFrequency(&hz);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(hz.QuadPart);
}

bool Answers(HWND hwnd, UINT limitMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, limitMs, &result) != 0;
}

HWND FindMainWindow() {
    const DWORD end = GetTickCount() + kFindLimitMs;
    while (GetTickCount() < end) {
        if (HWND hwnd = FindWindowA(kClassName, nullptr); hwnd && Answers(hwnd, kAnswerLimitMs)) {
            return hwnd;
        }
        Sleep(50);
    }
    return nullptr;
}

// A visible dialog owned by the main window's thread.
HWND FindDialogOf(HWND main) {
    const DWORD thread = GetWindowThreadProcessId(main, nullptr);
    const DWORD end = GetTickCount() + kFindLimitMs;
    while (GetTickCount() < end) {
        for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
             w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
            if (IsWindowVisible(w) && GetWindowThreadProcessId(w, nullptr) == thread) {
                return w;
            }
        }
        Sleep(10);
    }
    return nullptr;
}

int Report(bool answered, double ms) {
    std::printf("%.1f\n", ms);
    return answered ? 0 : 1;
}

// Posts WM_CLOSE and reports when the window is off the screen (hidden or
// gone: what the user sees); the program must then end by itself within
// kExitLimitMs, which is shorter than a device's close may take.
int CloseAndTime(HWND hwnd) {
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    const double start = NowMs();
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    while (IsWindow(hwnd) && IsWindowVisible(hwnd) && NowMs() - start < kFindLimitMs) {
        Sleep(1);
    }
    const double shown = NowMs() - start;
    const bool ended = process && WaitForSingleObject(process, kExitLimitMs) == WAIT_OBJECT_0;
    std::fprintf(stderr, "the program %s %.1f ms after WM_CLOSE\n", ended ? "ended" : "still ran", NowMs() - start);
    if (process) CloseHandle(process);
    return Report(ended, shown);
}

int PrintEndpointId(const char* name) {
    wchar_t wide[256] = {};
    MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, 256);
    EndpointComScope com;
    for (const Endpoint& endpoint : ListEndpoints(false)) {
        if (endpoint.name == wide) {
            char id[512] = {};
            WideCharToMultiByte(CP_UTF8, 0, endpoint.id.c_str(), -1, id, sizeof id, nullptr, nullptr);
            std::printf("%s\n", id);
            return 0;
        }
    }
    std::fprintf(stderr, "no capture endpoint called %s\n", name);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string what = argv[1];
    if (what == "endpoint-id" && argc == 3) {
        return PrintEndpointId(argv[2]);
    }
    HWND main = FindMainWindow();
    if (!main) {
        std::fprintf(stderr, "no window of class %s answers\n", kClassName);
        return 1;
    }
    if (what == "wait") {
        return 0;
    }
    if (what == "command" && argc == 3) {
        const double start = NowMs();
        DWORD_PTR result = 0;
        const bool answered = SendMessageTimeoutA(main, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0,
                                                  SMTO_NORMAL, kAnswerLimitMs, &result) != 0;
        return Report(answered, NowMs() - start);
    }
    if (what == "open" && argc == 3) {
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(kOpenCommand, 0), 0);
        HWND dialog = FindDialogOf(main);
        if (!dialog) return 1;
        Sleep(300);  // the dialog's own set-up
        wchar_t path[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, argv[2], -1, path, MAX_PATH);
        SendDlgItemMessageW(dialog, kFileNameEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
        SendDlgItemMessageW(dialog, kFileNameCombo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
        const double ok = NowMs();
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        while (IsWindow(dialog) && NowMs() - ok < kFindLimitMs) {
            Sleep(1);
        }
        // The dialog's own teardown is the system's; the program's part
        // starts once it has gone.
        const double start = NowMs();
        std::fprintf(stderr, "the dialog took %.1f ms to go\n", start - ok);
        return Report(Answers(main, kAnswerLimitMs), NowMs() - start);
    }
    if (what == "close") {
        return CloseAndTime(main);
    }
    if (what == "close-under" && argc == 3) {
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0);
        if (!FindDialogOf(main)) return 1;
        Sleep(200);
        return CloseAndTime(main);
    }
    return 2;
}
