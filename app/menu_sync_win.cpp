#include "app/menu_sync_win.h"

#include "app/menu_marks.h"

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
