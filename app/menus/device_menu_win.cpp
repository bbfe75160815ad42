#include "app/menus/device_menu_win.h"

#include "app/commands/device_commands.h"

void ListDevices(HWND hOwnerWnd, AudioInput& input) { ShowDeviceItems(hOwnerWnd, ListInputDevices(input)); }

void ShowDeviceItems(HWND hOwnerWnd, const std::vector<InputDevice>& devices) {
    HMENU deviceMenu = GetSubMenu(GetMenu(hOwnerWnd), kDeviceMenuPosition);
    if (deviceMenu == nullptr) {
        return;
    }
    // The placeholder of the resource goes with the items of an earlier list.
    for (int count = GetMenuItemCount(deviceMenu); count > 0; --count) {
        DeleteMenu(deviceMenu, 0, MF_BYPOSITION);
    }
    for (const InputDevice& device : devices) {
        const int id = DeviceCommandId(static_cast<int>(device.number));
        AppendMenuA(deviceMenu, MF_STRING, static_cast<UINT_PTR>(id), device.name.c_str());
    }
}
