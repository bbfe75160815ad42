#include "app/files/file_input_win.h"

#include <commdlg.h>
#include <shellapi.h>

#include <memory>

#include "app/program/app_win.h"
#include "app/layout/window_parts_win.h"
#include "app/menus/command_target_win.h"
#include "app/commands/commands.h"
#include "app/commands/menu_tables.h"
#include "app/commands/device_commands.h"
#include "app/menus/device_menu_win.h"
#include "app/overview/overview_job.h"
#include "capture/file_bytes_win.h"
#include "capture/wav_reader.h"
#include "resources/resource_ids.h"

namespace {

// Longest resource text, and longest path a dialog or a drop hands over, characters.
constexpr int kTextChars = 512;
constexpr int kPathChars = 32768;
// Longest the window waits for the device to let go of the ring before it
// leaves the file to start later, milliseconds.
constexpr DWORD kHandOverWaitMs = 50;

std::wstring LoadText(HINSTANCE instance, UINT id) {
    wchar_t text[kTextChars] = {};
    LoadStringW(instance, id, text, kTextChars);
    return text;
}

void ShowCannotPlay(App& app, const std::wstring& path, WavError error) {
    const std::wstring text = LoadText(app.hInstance, IDS_WAV_CANNOT_PLAY) + L"\n" + path + L"\n\n" +
                              LoadText(app.hInstance, IDS_WAV_ERROR_FIRST + static_cast<UINT>(error));
    MessageBoxW(app.hwnd, text.c_str(), LoadText(app.hInstance, IDS_APP_TITLE).c_str(), MB_OK | MB_ICONWARNING);
}

HMENU DeviceMenu(const App& app) { return GetSubMenu(GetMenu(app.hwnd), kDeviceMenuPosition); }

// The Device menu's last item names the file (its name without the folders).
void ShowFileInDeviceMenu(App& app, const std::wstring& path) {
    HMENU menu = DeviceMenu(app);
    if (!menu) return;
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name;
    for (wchar_t c : slash == std::wstring::npos ? path : path.substr(slash + 1)) {
        name += c;
        if (c == L'&') name += L'&';  // a menu text's '&' marks the access key
    }
    DeleteMenu(menu, IDM_DEVICE_FILE, MF_BYCOMMAND);
    AppendMenuW(menu, MF_STRING, IDM_DEVICE_FILE, name.c_str());
}

// The rate changed: labels, calibration and views follow, as for a rate command.
void FollowRate(App& app) {
    MainCommandTarget target(app);
    target.UpdateScaleLabels();
    target.ClearCalibration();
    target.Relayout();
}

// Back to the live input's rate and menu; the caller reopens the device.
void LeaveFile(App& app) {
    CloseInputFile(app);
    app.settings.sampleRate = app.liveRate;
    if (HMENU menu = DeviceMenu(app)) DeleteMenu(menu, IDM_DEVICE_FILE, MF_BYCOMMAND);
    FollowRate(app);
}

// A file in place of the live input ends the take: the user says first.
bool AskEndRecording(App& app, const std::wstring& path) {
    wchar_t text[kTextChars * 2] = {};
    _snwprintf(text, kTextChars * 2 - 1, LoadText(app.hInstance, IDS_OPEN_DURING_REC).c_str(), path.c_str());
    return MessageBoxW(app.hwnd, text, LoadText(app.hInstance, IDS_APP_TITLE).c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool IsRateCommand(int id) {
    for (const MenuItemValue& r : kRateItems) {
        if (r.id == id) return true;
    }
    return false;
}

void ChooseInputFile(App& app) {
    std::wstring filter = LoadText(app.hInstance, IDS_WAV_FILTER);
    for (wchar_t& c : filter) {
        if (c == L'|') c = L'\0';
    }
    std::wstring path(kPathChars, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = app.hwnd;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = kPathChars;
    ofn.lpstrDefExt = L"wav";
    // The settings and the recording live in the current directory: keep it.
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    // The window may have gone while the dialog was open.
    if (GetOpenFileNameW(&ofn) && !app.windowClosed) {
        path.resize(wcslen(path.c_str()));
        OpenInputFile(app, path);
    }
}

}  // namespace

bool OpenInputFile(App& app, const std::wstring& path) {
    std::unique_ptr<WavReader> reader;
    const WavError error = WavReader::Open(OpenFileBytes(path), reader);
    if (error != WavError::kNone) {
        ShowCannotPlay(app, path, error);
        return false;
    }
    if (app.recorder.IsRecording() && (!AskEndRecording(app, path) || app.windowClosed)) {
        return false;
    }
    if (!app.playingFile.load(std::memory_order_acquire)) {
        app.liveRate = app.settings.sampleRate;
        app.recorder.StopRecording();
        // The ring takes one producer: the device's blocks end with this
        // close, carried out while the window follows the file below. A
        // device that closes at once hands the ring over at once, so the
        // file plays from the moment it was opened; one that takes longer
        // (a lost device) does not hold the window: the file plays once the
        // capture has let go (PlayWaitingFile).
        app.capture->PostClose();
    }
    const DWORD asked = GetTickCount();
    app.overview->Open([path] { return OpenFileBytes(path); }, reader->format().frames, reader->format().rateHz);
    app.settings.sampleRate = reader->format().rateHz;
    app.settings.runState = kRun;
    app.fileSource->Close();
    app.waitingFile = std::move(reader);
    app.playingFile.store(true, std::memory_order_release);
    ShowFileInDeviceMenu(app, path);
    FollowRate(app);
    while (!app.capture->Released() && GetTickCount() - asked < kHandOverWaitMs) {
        Sleep(1);
    }
    PlayWaitingFile(app);
    MainCommandTarget target(app);
    target.RefreshStatus();
    target.SyncMenu();
    return true;
}

void OnInputFileFailed(App& app) {
    if (!app.playingFile.load(std::memory_order_acquire) || !app.fileSource->Failed()) {
        return;  // another file plays by now, or none
    }
    std::wstring name;
    if (HMENU menu = DeviceMenu(app)) {
        wchar_t text[kTextChars] = {};
        if (GetMenuStringW(menu, IDM_DEVICE_FILE, text, kTextChars, MF_BYCOMMAND) > 0) name = text;
    }
    for (std::size_t at = name.find(L"&&"); at != std::wstring::npos; at = name.find(L"&&", at + 1)) {
        name.erase(at, 1);  // the menu's doubled '&' back to one
    }
    LeaveFile(app);
    app.settings.runState = kRun;
    MainCommandTarget target(app);
    target.ReopenCapture();
    target.RefreshStatus();
    target.SyncMenu();
    ShowCannotPlay(app, name, WavError::kCannotRead);
}

bool HandleFileCommand(App& app, int id) {
    if (id == IDM_FILE_OPEN) {
        ChooseInputFile(app);
        return true;
    }
    if (!app.playingFile.load(std::memory_order_acquire)) {
        return false;
    }
    const bool device = SelectedDevice(id) >= 0 || SelectedEndpointItem(id) >= 0;
    if (device || IsRateCommand(id)) {
        LeaveFile(app);
        return false;
    }
    if (id == IDM_RUN) {
        app.fileSource->Resume();
        app.settings.runState = kRun;
    } else if (id == IDM_STOP) {
        app.fileSource->Pause();
        app.settings.runState = kStop;
    } else if (id != IDM_REC && id != IDM_DEVICE_FILE) {
        return false;
    }
    MainCommandTarget target(app);
    target.RefreshStatus();
    target.SyncMenu();
    return true;
}

void OnDropFiles(App& app, HDROP drop) {
    std::wstring path(kPathChars, L'\0');
    const UINT length = DragQueryFileW(drop, 0, path.data(), kPathChars);
    DragFinish(drop);
    if (length > 0) {
        path.resize(length);
        OpenInputFile(app, path);
    }
}

void OpenCommandLineFile(App& app) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return;
    std::wstring path = argc > 1 ? argv[1] : L"";
    LocalFree(argv);
    if (path.empty()) return;
    // The message names the file in full, wherever the program was started.
    std::wstring full(kPathChars, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), kPathChars, full.data(), nullptr);
    if (length > 0 && length < kPathChars) {
        full.resize(length);
        path = full;
    }
    OpenInputFile(app, path);
}

std::int32_t StoredRate(const App& app) {
    return app.playingFile.load(std::memory_order_acquire) ? app.liveRate : app.settings.sampleRate;
}

void PlayWaitingFile(App& app) {
    if (!app.waitingFile || !app.capture->Released()) {
        return;
    }
    app.fileSource->Play(std::move(app.waitingFile));
    if (app.settings.runState == kStop) {
        app.fileSource->Pause();  // STOP came while the file waited
    }
}

void CloseInputFile(App& app) {
    if (app.overview) app.overview->Close();
    app.waitingFile.reset();
    if (app.fileSource) app.fileSource->Close();
    app.playingFile.store(false, std::memory_order_release);
}
