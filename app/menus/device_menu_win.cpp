#include "app/menus/device_menu_win.h"

#include <cstdio>

#include "app/commands/device_commands.h"
#include "resources/resource_ids.h"

namespace {

// Room for the file item's text, characters.
constexpr int kFileItemChars = 512;
// Room for the gone device's item text, bytes.
constexpr int kGoneItemChars = 256;

}  // namespace

void ListDevices(HWND hOwnerWnd, AudioInput& input) { ShowDeviceItems(hOwnerWnd, ListInputDevices(input)); }

void ShowDeviceItems(HWND hOwnerWnd, const std::vector<InputDevice>& devices) {
    HMENU deviceMenu = GetSubMenu(GetMenu(hOwnerWnd), kDeviceMenuPosition);
    if (deviceMenu == nullptr) {
        return;
    }
    // A file that plays keeps its item, text and check mark, last.
    wchar_t fileName[kFileItemChars] = {};
    const UINT fileState = GetMenuState(deviceMenu, IDM_DEVICE_FILE, MF_BYCOMMAND);
    const bool hasFile = fileState != static_cast<UINT>(-1) &&
                         GetMenuStringW(deviceMenu, IDM_DEVICE_FILE, fileName, kFileItemChars, MF_BYCOMMAND) >= 0;
    // The placeholder of the resource goes with the items of an earlier list.
    for (int count = GetMenuItemCount(deviceMenu); count > 0; --count) {
        DeleteMenu(deviceMenu, 0, MF_BYPOSITION);
    }
    for (const InputDevice& device : devices) {
        const int id = DeviceCommandId(static_cast<int>(device.number));
        AppendMenuA(deviceMenu, MF_STRING, static_cast<UINT_PTR>(id), device.name.c_str());
    }
    if (hasFile) {
        AppendMenuW(deviceMenu, MF_STRING | (fileState & MF_CHECKED), IDM_DEVICE_FILE, fileName);
    }
}

void MarkGoneDevice(HWND hOwnerWnd, HINSTANCE instance, const std::string& goneName) {
    HMENU deviceMenu = GetSubMenu(GetMenu(hOwnerWnd), kDeviceMenuPosition);
    if (deviceMenu == nullptr) {
        return;
    }
    DeleteMenu(deviceMenu, IDM_DEVICE_GONE, MF_BYCOMMAND);
    if (goneName.empty()) {
        return;
    }
    for (int d = 0; d < kSelectableDevices; ++d) {
        CheckMenuItem(deviceMenu, DeviceCommandId(d), MF_BYCOMMAND | MF_UNCHECKED);
    }
    char format[kGoneItemChars] = {};
    LoadStringA(instance, IDS_DEVICE_GONE, format, kGoneItemChars);
    char text[kGoneItemChars] = {};
    std::snprintf(text, sizeof text, format, goneName.c_str());
    constexpr UINT kFlags = MF_STRING | MF_GRAYED | MF_CHECKED;
    if (GetMenuState(deviceMenu, IDM_DEVICE_FILE, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
        InsertMenuA(deviceMenu, IDM_DEVICE_FILE, MF_BYCOMMAND | kFlags, IDM_DEVICE_GONE, text);
    } else {
        AppendMenuA(deviceMenu, kFlags, IDM_DEVICE_GONE, text);
    }
}
