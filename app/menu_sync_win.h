// Shows the settings in the main window's menu: check marks and greyed items.
// User-interface thread only.
#pragma once

#include <windows.h>

#include "base/settings.h"

void SyncMenu(HWND hwnd, const AppSettings& s);
