#include "capture/device_menu_win.h"

#include "capture/device_list.h"

void ListDevices(HWND hOwnerWnd, AudioInput& input) { ShowDeviceItems(hOwnerWnd, DeviceMenuItems(input)); }

void ShowDeviceItems(HWND hOwnerWnd, const std::vector<DeviceMenuItem>& items) {
    HMENU deviceMenu = GetSubMenu(GetMenu(hOwnerWnd), kDeviceMenuPosition);
    if (deviceMenu == nullptr) {
        return;
    }
    // The placeholder of the resource goes with the items of an earlier list.
    for (int count = GetMenuItemCount(deviceMenu); count > 0; --count) {
        DeleteMenu(deviceMenu, 0, MF_BYPOSITION);
    }
    for (const DeviceMenuItem& item : items) {
        AppendMenuA(deviceMenu, MF_STRING, static_cast<UINT_PTR>(item.commandId), item.name.c_str());
    }
}
