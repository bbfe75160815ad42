#include "app/menus/menu_sync_win.h"

#include "app/commands/device_commands.h"
#include "app/commands/menu_marks.h"
#include "resources/resource_ids.h"

void SyncMenu(HWND hwnd, const AppSettings& s) {
    HMENU menu = GetMenu(hwnd);
    if (!menu) {
        return;
    }
    for (int id : MarkableMenuIds()) {
        CheckMenuItem(menu, id, MF_BYCOMMAND | MF_UNCHECKED);
    }
    const MenuMarks marks = ComputeMenuMarks(s);
    for (std::size_t i = 0; i < marks.checkedCount; ++i) {
        CheckMenuItem(menu, marks.checked[i], MF_BYCOMMAND | MF_CHECKED);
    }
    const UINT state = marks.spectrumItemsEnabled ? MF_ENABLED : (MF_GRAYED | MF_DISABLED);
    for (int id : SpectrumOnlyMenuIds()) {
        EnableMenuItem(menu, id, MF_BYCOMMAND | state);
    }
}

void SyncFileMenu(HWND hwnd, bool playingFile) {
    HMENU menu = GetMenu(hwnd);
    if (!menu) return;
    EnableMenuItem(menu, IDM_REC, MF_BYCOMMAND | (playingFile ? (MF_GRAYED | MF_DISABLED) : MF_ENABLED));
    if (!playingFile) return;
    for (int d = 0; d < kSelectableDevices; ++d) {
        CheckMenuItem(menu, DeviceCommandId(d), MF_BYCOMMAND | MF_UNCHECKED);
    }
    CheckMenuItem(menu, IDM_DEVICE_FILE, MF_BYCOMMAND | MF_CHECKED);
}

void MarkCalibration(HMENU menu, bool inUse) {
    CheckMenuItem(menu, IDM_CAL, MF_BYCOMMAND | (inUse ? MF_CHECKED : MF_UNCHECKED));
}

void EnableCalibrationClear(HWND hwnd, bool calibrated) {
    HMENU menu = GetMenu(hwnd);
    if (!menu) return;
    EnableMenuItem(menu, IDM_CALIBRATION_CLEAR, MF_BYCOMMAND | (calibrated ? MF_ENABLED : (MF_GRAYED | MF_DISABLED)));
}
