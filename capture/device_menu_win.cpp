#include "capture/device_menu_win.h"

#include "capture/device_list.h"

void ListDevices(HWND hOwnerWnd, AudioInput& input) {
    HMENU deviceMenu = GetSubMenu(GetMenu(hOwnerWnd), kDeviceMenuPosition);
    if (deviceMenu == nullptr) {
        return;
    }
    for (const DeviceMenuItem& item : DeviceMenuItems(input)) {
        AppendMenuA(deviceMenu, MF_STRING, static_cast<UINT_PTR>(item.commandId), item.name.c_str());
    }
    DeleteMenu(deviceMenu, 0, MF_BYPOSITION);
}
