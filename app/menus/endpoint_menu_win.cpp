#include "app/menus/endpoint_menu_win.h"

#include <cstdio>

#include "app/commands/commands.h"
#include "app/commands/device_commands.h"
#include "app/commands/menu_tables.h"
#include "app/menus/command_target_win.h"
#include "app/menus/device_menu_win.h"
#include "app/program/app_win.h"
#include "app/settings/extra_settings.h"
#include "app/status/status_loop_win.h"
#include "capture/device_list.h"
#include "resources/resource_ids.h"

namespace {

// Room for a message or an item's text, characters.
constexpr int kTextChars = 1024;

std::wstring LoadWide(HINSTANCE instance, UINT id) {
    wchar_t text[kTextChars] = {};
    LoadStringW(instance, id, text, kTextChars);
    return text;
}

std::string Utf8FromWide(const std::wstring& wide) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(bytes - 1));
    return utf8;
}

std::wstring WideFromUtf8(const std::string& utf8) {
    const int chars = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    if (chars <= 1) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(chars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), chars);
    wide.resize(static_cast<std::size_t>(chars - 1));
    return wide;
}

// A name as a menu text: '&' would mark an access key.
std::wstring MenuText(const std::wstring& name) {
    std::wstring text;
    for (wchar_t c : name) {
        text += c;
        if (c == L'&') text += L'&';
    }
    return text;
}

HMENU DeviceMenu(const App& app) { return GetSubMenu(GetMenu(app.hwnd), kDeviceMenuPosition); }

// Puts an item before the file's item, or last when no file plays.
void AddItem(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* text) {
    if (GetMenuState(menu, IDM_DEVICE_FILE, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
        InsertMenuW(menu, IDM_DEVICE_FILE, MF_BYCOMMAND | flags, id, text);
    } else {
        AppendMenuW(menu, flags, id, text);
    }
}

// The endpoint an item stands for, or null.
const Endpoint* ItemEndpoint(const App& app, int id) {
    const int item = SelectedEndpointItem(id);
    if (item < 0) {
        return nullptr;
    }
    const bool loopback = item >= kEndpointItems;
    int index = loopback ? item - kEndpointItems : item;
    for (const Endpoint& endpoint : app.endpointItems) {
        if (endpoint.render == loopback && index-- == 0) {
            return &endpoint;
        }
    }
    return nullptr;
}

// The rate item of `rateHz`, 0 when the menu has none.
int RateItem(int rateHz) {
    for (const MenuItemValue& item : kRateItems) {
        if (item.value == rateHz) return item.id;
    }
    return 0;
}

void SelectEndpoint(App& app, const std::wstring& id) {
    app.inputPaths->Select(InputPath::kEndpoint, id);
    app.extraSettings->endpointInput = true;
    app.extraSettings->endpointId = StorableEndpointId(Utf8FromWide(id));
}

}  // namespace

bool EndpointIsInput(const App& app) {
    return app.inputPaths != nullptr && app.inputPaths->selectedPath() == InputPath::kEndpoint;
}

void ShowInputItems(App& app) {
    if (EndpointIsInput(app)) {
        WinmmInput wave;
        ShowDeviceItems(app.hwnd, ListInputDevices(wave));
    } else {
        ShowDeviceItems(app.hwnd, app.capture->Devices());
    }
    HMENU menu = DeviceMenu(app);
    if (menu == nullptr) {
        return;
    }
    app.endpointItems.clear();
    EndpointComScope com;
    for (const bool loopback : {false, true}) {
        std::vector<Endpoint> listed = ListEndpoints(loopback);
        if (listed.size() > static_cast<std::size_t>(kEndpointItems)) {
            listed.resize(kEndpointItems);
        }
        if (!listed.empty()) {
            AddItem(menu, MF_SEPARATOR, 0, nullptr);
        }
        const std::wstring format = LoadWide(app.hInstance, IDS_LOOPBACK_ITEM);
        for (std::size_t i = 0; i < listed.size(); ++i) {
            wchar_t text[kTextChars] = {};
            if (loopback) {
                _snwprintf(text, kTextChars - 1, format.c_str(), listed[i].name.c_str());
            } else {
                wcsncpy(text, listed[i].name.c_str(), kTextChars - 1);
            }
            AddItem(menu, MF_STRING, static_cast<UINT_PTR>(EndpointCommandId(static_cast<int>(i), loopback)),
                    MenuText(text).c_str());
            app.endpointItems.push_back(std::move(listed[i]));
        }
    }
}

void MarkInputChoice(App& app) {
    HMENU menu = DeviceMenu(app);
    if (menu == nullptr) {
        return;
    }
    const bool playing = app.playingFile.load(std::memory_order_acquire);
    const bool endpoint = EndpointIsInput(app) && !playing;
    const std::wstring chosen = endpoint ? app.inputPaths->selectedEndpoint() : std::wstring();
    if (endpoint) {
        for (int d = 0; d < kSelectableDevices; ++d) {
            CheckMenuItem(menu, DeviceCommandId(d), MF_BYCOMMAND | MF_UNCHECKED);
        }
    }
    int index[2] = {0, 0};
    for (const Endpoint& listed : app.endpointItems) {
        const int id = EndpointCommandId(index[listed.render ? 1 : 0]++, listed.render);
        const bool checked = endpoint && listed.id == chosen;
        CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

bool HandleEndpointCommand(App& app, int id) {
    const Endpoint* chosen = ItemEndpoint(app, id);
    if (SelectedEndpointItem(id) < 0) {
        return false;
    }
    if (chosen == nullptr || app.inputPaths == nullptr) {
        return true;
    }
    const Endpoint endpoint = *chosen;
    int mixRateHz = 0;
    HRESULT hr = S_OK;
    {
        // The endpoint is tried here, so that a refusal leaves the input as it is.
        EndpointComScope com;
        EndpointClient tried;
        hr = OpenEndpointClient(endpoint.id, 0, tried);
        mixRateHz = tried.mixRateHz;
    }
    if (FAILED(hr)) {
        const UINT what = endpoint.render ? IDS_LOOPBACK_REFUSED : IDS_ENDPOINT_REFUSED;
        wchar_t text[kTextChars] = {};
        _snwprintf(text, kTextChars - 1, LoadWide(app.hInstance, what).c_str(), endpoint.name.c_str(),
                   static_cast<unsigned long>(hr));
        MessageBoxW(app.hwnd, text, LoadWide(app.hInstance, IDS_APP_TITLE).c_str(), MB_OK | MB_ICONWARNING);
        return true;
    }
    SelectEndpoint(app, endpoint.id);
    MainCommandTarget target(app);
    const int rateItem = RateItem(mixRateHz);
    // The rate follows the endpoint's mix rate where the menu offers it; the
    // rate command reopens the capture on the endpoint.
    if (rateItem != 0 && mixRateHz != app.settings.sampleRate) {
        ExecuteCommand(app.settings, rateItem, app.recorder.IsRecording(), target);
    } else {
        target.ReopenCapture();
        target.RefreshStatus();
        target.SyncMenu();
    }
    MarkInputChoice(app);
    return true;
}

void UseWaveDevices(App& app) {
    if (app.inputPaths != nullptr) {
        app.inputPaths->Select(InputPath::kWave, {});
    }
    app.extraSettings->endpointInput = false;
}

void OpenStoredInput(App& app) {
    const std::wstring id = WideFromUtf8(app.extraSettings->endpointId);
    if (app.inputPaths == nullptr || !app.extraSettings->endpointInput || id.empty()) {
        UseWaveDevices(app);
        OpenStoredDevice(*app.capture, app.settings.sampleRate, app.settings.deviceIndex);
        return;
    }
    HRESULT hr = S_OK;
    int mixRateHz = 0;
    bool present = false;
    {
        EndpointComScope com;
        Endpoint found;
        present = FindEndpoint(id, found);
        EndpointClient tried;
        if (present) {
            hr = OpenEndpointClient(id, 0, tried);
            mixRateHz = tried.mixRateHz;
        }
    }
    if (present && FAILED(hr)) {
        UseWaveDevices(app);
        OpenStoredDevice(*app.capture, app.settings.sampleRate, app.settings.deviceIndex);
        return;
    }
    SelectEndpoint(app, id);
    if (RateItem(mixRateHz) != 0 && mixRateHz != app.settings.sampleRate) {
        app.settings.sampleRate = mixRateHz;
        MainCommandTarget(app).UpdateScaleLabels();
    }
    // An endpoint that is away is waited for, as a lost input.
    app.capture->OpenCapture(app.settings.sampleRate, 0);
}
