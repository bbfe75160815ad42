#include "app/window/main_window_win.h"

#include <iterator>
#include <memory>
#include <optional>
#include <utility>

#include "analysis/cepstrum.h"
#include "app/commands/commands.h"
#include "app/frame/frame_analysis.h"
#include "app/program/app_win.h"
#include "app/menus/command_target_win.h"
#include "app/files/export_win.h"
#include "app/files/file_input_win.h"
#include "app/layout/layout_win.h"
#include "app/menus/menu_sync_win.h"
#include "app/frame/readout_hooks_win.h"
#include "app/settings/settings_file_win.h"
#include "app/frame/spectrogram_hooks_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/overview/overview_hooks_win.h"
#include "app/overview/overview_job.h"
#include "app/status/status_loop_win.h"
#include "app/status/status_text.h"
#include "app/menus/device_menu_win.h"
#include "app/menus/endpoint_menu_win.h"
#include "app/commands/device_commands.h"
#include "app/menus/measure_menu_win.h"
#include "app/menus/source_menu_win.h"
#include "base/window_messages_win.h"
#include "capture/endpoint_watch_win.h"
#include "capture/wave_capture_win.h"
#include "display/gdi_win.h"
#include "display/plot_view_win.h"
#include "resources/resource_ids.h"

App::App()
    : extraSettings(std::make_unique<ExtraSettings>()), ownedParts(std::make_unique<WindowParts>()),
      parts(*ownedParts), overview(std::make_unique<OverviewJob>()) {}

App::~App() = default;

namespace {

std::unique_ptr<App> g_app;

// Calls of the window procedure under way, and whether the window they belong
// to has gone: the record is released when the outermost call returns (see
// app_win.h, Lifetime).
int g_windowProcDepth = 0;
bool g_releaseApp = false;
// The settings files could not be written at the last teardown; the session
// was not ending then, so the user can still be told.
bool g_settingsNotWritten = false;
bool g_sessionEnding = false;

// Holds the record for the length of one call of the window procedure (or of
// another entry that uses it from outside a message).
class AppInUse {
public:
    AppInUse() { ++g_windowProcDepth; }
    ~AppInUse() {
        if (--g_windowProcDepth == 0 && g_releaseApp) {
            g_releaseApp = false;
            g_app.reset();
        }
    }
    AppInUse(const AppInUse&) = delete;
    AppInUse& operator=(const AppInUse&) = delete;
};

char g_title[kResourceStringBytes];
char g_className[kResourceStringBytes];

// Puts the window at the stored placement and shows it; its first WM_SIZE
// lays the client area out.
void PlaceMainWindow(HWND hwnd, const AppSettings& s) {
    SetWindowPos(hwnd, HWND_TOP, s.winX, s.winY, s.winWidth, s.winHeight, SWP_SHOWWINDOW);
}

// Reads "param.bin" (or installs the defaults) and "tavrin.ini", and places the window.
void LoadSettings(App& app) {
    ReadSettingsFile(app.settings, *app.extraSettings, CurrentScreenMetrics());
    ApplyMeasureSettings(app);
    ApplySourceSettings(app);
    app.live.LoadFrom(app.settings);
    {
        // The views carry the stored selection from now on; every layout
        // hands the current one on to the views it makes.
        std::lock_guard<std::mutex> hold(app.drawLock);
        for (const PlotViewPtr* view : {&app.parts.upperView, &app.parts.lowerView}) {
            if (*view) {
                (*view)->SetSelection(SavedSelection(app.live));
            }
        }
    }
    PlaceMainWindow(app.hwnd, app.settings);
    PublishSettings(app);
}

// The analysis fed from the capture's ring, and the frame loop that draws
// what it hands on; made before the device opens, so that its first blocks
// wait for no allocation.
void MakeFrameLoop(App& app) {
    WaveCapture* capture = app.capture.get();
    app.frameAnalysis = std::make_unique<AnalyzerFrameAnalysis>([capture](double* values, int count) {
        return capture->FetchContinuous(std::span<double>(values, kFrameCapacity), count);
    });
    FrameHooks hooks = MakeSpectrogramHooks(app);
    AddOverviewHooks(app, hooks);
    AddReadoutHooks(app, hooks);
    app.frameLoop = std::make_unique<FrameLoop>(app, *app.frameAnalysis, std::move(hooks));
    app.calibration = &app.frameAnalysis->Calibration();
}

// The frame loop draws the newest samples of the capture; the status loop
// follows it once a second.
void StartWorkers(App& app) {
    app.frameLoop->Start();
    app.statusLoop = std::make_unique<StatusLoop>(app);
    app.statusLoop->Start();
}

bool OnCreate(HWND hwnd) {
    g_app = std::make_unique<App>();
    g_sessionEnding = false;
    App& app = *g_app;
    app.hwnd = hwnd;
    app.hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
    char widestStatus[kStatusTextBytes];
    FormatWidestStatus(widestStatus);
    CreateWindowParts(app.parts, hwnd, &app.drawLock, widestStatus);
    app.recorder.SetErrorCallback(
        [](void* window) { PostMessageA(static_cast<HWND>(window), kRecordingEndedMessage, 0, 0); }, hwnd);
    app.capture = CreateWaveCapture(hwnd, &app.recorderSink, &app.inputPaths);
    app.endpointWatch =
        std::make_unique<EndpointWatch>([hwnd] { PostMessageA(hwnd, kCaptureChangedMessage, 0, 0); });
    ShowInputItems(app);
    app.fileSource = std::make_unique<FileSource>(app.capture->ring());
    app.fileSource->SetFailureHook([hwnd] { PostMessageA(hwnd, kInputFileFailedMessage, 0, 0); });
    MakeFrameLoop(app);
    DragAcceptFiles(hwnd, TRUE);
    LoadSettings(app);
    // A CAL still pending when the file was written is the calibration's to take.
    if (std::exchange(app.settings.calRequest, 0) == 1) {
        app.frameAnalysis->Calibration().Request();
    }
    OpenStoredInput(app);
    app.frameAnalysis->SetUp(app.settings);
    app.capture->ResumeCapture();
    SyncMenu(hwnd, app.settings);
    RefreshCalibration(app);
    StartWorkers(app);
    return true;
}

// The name of the device in use (the stored number's, which follows the device
// opened) is kept for the next start; while no device of that number is
// listed, the name read at start-up stays.
void NoteInputDevice(App& app) {
    if (EndpointIsInput(app)) {
        return;
    }
    for (const InputDevice& device : app.capture->Devices()) {
        if (static_cast<std::int64_t>(device.number) == app.settings.deviceIndex) {
            app.extraSettings->inputDevice = StorableDeviceName(Utf8FromAnsi(device.name));
        }
    }
}

void OnDestroy(HWND hwnd) {
    PostQuitMessage(0);
    App& app = *g_app;
    app.windowClosed = true;
    // The workers use the objects that go with the window: stop them first.
    app.frameLoop->Stop();
    app.statusLoop->Stop();
    RECT outer;
    if (!IsIconic(hwnd) && GetWindowRect(hwnd, &outer)) {
        app.settings.winX = outer.left;
        app.settings.winY = outer.top;
        app.settings.winWidth = outer.right - outer.left;
        app.settings.winHeight = outer.bottom - outer.top;
    }
    if (app.parts.upperView) {
        std::lock_guard<std::mutex> hold(app.drawLock);
        SaveSelection(app.live, app.parts.upperView->Selection());
    }
    // What the display changed while it ran goes back into the image.
    app.live.SaveTo(app.settings);
    // The frame count is a rate in the making, not a setting: the file always
    // holds 0 there, so that an unchanged session writes an unchanged file.
    AppSettings snapshot = app.settings;
    snapshot.frameCount = 0;
    snapshot.sampleRate = StoredRate(app);
    NoteInputDevice(app);
    snapshot.calRequest = app.frameAnalysis->Calibration().Requested() ? 1 : 0;
    g_settingsNotWritten = WriteSettingsFile(snapshot, *app.extraSettings) == 0 && !g_sessionEnding;
    CloseInputFile(app);
    app.recorder.StopRecording();
    app.capture->PostPause();
}

// The recorder has closed its file by itself: the take is over, capture goes on.
void OnRecordingEnded(HWND hwnd) {
    App& app = *g_app;
    if (app.settings.runState == kRec && !app.recorder.IsRecording()) {
        app.settings.runState = kRun;
        SyncMenu(hwnd, app.settings);
        PublishSettings(app);
    }
}

void OnPaint(HWND hwnd) {
    {
        // Validates the update region; the views then copy their pictures
        // through their own DCs.
        gdi::PaintDc paint(hwnd);
    }
    App& app = *g_app;
    std::lock_guard<std::mutex> hold(app.drawLock);
    for (const PlotViewPtr* view : {&app.parts.upperView, &app.parts.lowerView}) {
        if (*view) {
            (*view)->CopyToScreen();
        }
    }
}

// The capture lost or regained its input, found the chosen device at another
// number, or let go of the ring for a file that waits to play (which starts
// now): the Device menu, its check mark and the status line follow.
// The stored number follows the chosen device only once the capture has
// carried out every command: a choice still on its way is not undone.
void OnCaptureChanged(HWND hwnd) {
    if (!g_app || !g_app->capture) {
        return;
    }
    App& app = *g_app;
    PlayWaitingFile(app);
    ShowInputItems(app);
    // While an endpoint is the way in, the stored number stays the wave-input device's.
    if (const std::optional<unsigned> chosen = app.capture->SettledChoice(); chosen && !EndpointIsInput(app)) {
        app.settings.deviceIndex = static_cast<std::int32_t>(*chosen);
    }
    SyncMenu(hwnd, app.settings);
    SyncFileMenu(hwnd, app.playingFile.load(std::memory_order_acquire));
    RefreshCalibration(app);
    PublishSettings(app);
}

// The wheel zooms the upper view's levels, or the overview's time while
// the pointer is over it.
void OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    if (!g_app) {
        return;
    }
    const int delta = static_cast<short>(HIWORD(wParam));
    if (Bitmaplib::PlotView* lower = g_app->parts.lowerView.get(); lower && g_app->overview->Shown()) {
        const POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        RECT area{};
        if (GetWindowRect(lower->Handle(), &area) && PtInRect(&area, screen)) {
            lower->AddWheel(delta);
            return;
        }
    }
    if (g_app->parts.upperView) {
        g_app->parts.upperView->AddWheel(delta);
    }
}

void RunCommand(int id) {
    App& app = *g_app;
    id = ResolvePlayToggle(app.settings, id);
    if (IsExportCommand(id)) {
        RunExportCommand(app, id);
        return;
    }
    if (HandleFileCommand(app, id)) {
        return;
    }
    if (HandleMeasureCommand(app, id)) {
        return;
    }
    if (HandleSourceCommand(app, id)) {
        return;
    }
    if (HandleEndpointCommand(app, id)) {
        return;
    }
    if (SelectedDevice(id) >= 0) {
        UseWaveDevices(app);
    }
    MainCommandTarget target(app);
    ExecuteCommand(app.settings, id, app.recorder.IsRecording(), target);
}

// A command may change the input: its calibration follows.
void OnCommand(int id) {
    RunCommand(id);
    if (g_app && !g_app->windowClosed) RefreshCalibration(*g_app);
}

LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(hwnd) ? 0 : -1;
    case WM_DESTROY:
        OnDestroy(hwnd);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The session ends once this returns: close as the user would, so the
        // recording and the settings are finished by the one teardown.
        if (wParam) {
            g_sessionEnding = true;
            DestroyWindow(hwnd);
        }
        return 0;
    case kRecordingEndedMessage:
        if (g_app) {
            OnRecordingEnded(hwnd);
        }
        return 0;
    case WM_NCDESTROY:
        g_releaseApp = true;  // once this message's caller has returned
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_SIZE:
        if (g_app) {
            OnSize(*g_app, static_cast<short>(LOWORD(lParam)), wParam, static_cast<short>(HIWORD(lParam)));
        }
        return 0;
    case WM_PAINT:
        OnPaint(hwnd);
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam, lParam);
        return 0;
    case WM_KEYDOWN:
        if (g_app && OverviewKey(*g_app, static_cast<int>(wParam))) {
            return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(g_app.get(), hwnd, *reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_INITMENUPOPUP:
        // The CAL mark follows the analysis, which changes it between
        // commands; a chosen device that has gone is shown as such.
        if (g_app && g_app->calibration) {
            MarkCalibration(reinterpret_cast<HMENU>(wParam),
                            g_app->calibration->InUse() || g_app->calibration->Requested());
        }
        if (g_app && g_app->extraSettings) {
            SyncMeasureMenu(hwnd, *g_app->extraSettings);
        }
        if (g_app && g_app->capture && !g_app->playingFile.load(std::memory_order_acquire)) {
            MarkGoneDevice(hwnd, g_app->hInstance, g_app->capture->GoneDeviceName());
        }
        if (g_app && g_app->capture) {
            MarkInputChoice(*g_app);
        }
        return 0;
    case WM_DROPFILES:
        OnDropFiles(*g_app, reinterpret_cast<HDROP>(wParam));
        if (g_app && !g_app->windowClosed) RefreshCalibration(*g_app);
        return 0;
    case kCaptureChangedMessage:
        OnCaptureChanged(hwnd);
        return 0;
    case kInputFileFailedMessage:
        if (g_app) {
            OnInputFileFailed(*g_app);
        }
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const AppInUse inUse;
    return HandleMessage(hwnd, message, wParam, lParam);
}

// Settings that could not be written at exit: said once, after the window
// has gone (a message box inside WM_DESTROY would meet the quit message).
void TellSettingsNotWritten(HINSTANCE hInstance) {
    if (!std::exchange(g_settingsNotWritten, false)) {
        return;
    }
    wchar_t text[kResourceStringBytes * 4] = {};
    wchar_t title[kResourceStringBytes] = {};
    LoadStringW(hInstance, IDS_SETTINGS_NOT_WRITTEN, text, static_cast<int>(std::size(text)));
    LoadStringW(hInstance, IDS_APP_TITLE, title, static_cast<int>(std::size(title)));
    MessageBoxW(nullptr, text, title, MB_OK | MB_ICONWARNING);
}

}  // namespace

App* CurrentApp() { return g_app.get(); }

int RegisterMainWindowClass(HINSTANCE hInstance) {
    LoadStringA(hInstance, IDS_APP_TITLE, g_title, kResourceStringBytes);
    LoadStringA(hInstance, IDS_CLASS_NAME, g_className, kResourceStringBytes);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(hInstance, g_className, &existing)) {
        return 1;
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(hInstance, MAKEINTRESOURCEA(IDI_APP));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    wc.lpszClassName = g_className;
    return RegisterClassExA(&wc) != 0 ? 1 : 0;
}

HWND CreateMainWindow(HINSTANCE hInstance) {
    if (!RegisterMainWindowClass(hInstance)) {
        return nullptr;
    }
    // The real placement is applied while the window is being created.
    return CreateWindowExA(0, g_className, g_title, WS_OVERLAPPEDWINDOW, 1000, 900, 10, 10, nullptr,
                           nullptr, hInstance, nullptr);
}

int RunMessageLoop(HACCEL accelerators) {
    MSG msg{};
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        // The keys reach the main window whichever of its parts has the focus.
        HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (!TranslateAcceleratorA(top, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // -1: the loop itself failed and no quit message was read; msg holds
    // whatever the last message left there.
    return got == 0 ? static_cast<int>(msg.wParam) : kMessageLoopFailed;
}

int RunProgram(HINSTANCE hInstance, int showCommand) {
    HWND hwnd = CreateMainWindow(hInstance);
    if (!hwnd) {
        return 0;
    }
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);
    {
        // Its message box may see the window go.
        const AppInUse inUse;
        OpenCommandLineFile(*g_app);
        if (g_app && !g_app->windowClosed) RefreshCalibration(*g_app);
    }
    HACCEL accelerators = LoadAcceleratorsA(hInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    const int exitCode = RunMessageLoop(accelerators);
    TellSettingsNotWritten(hInstance);
    return exitCode;
}
