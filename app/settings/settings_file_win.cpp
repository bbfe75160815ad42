#include "app/settings/settings_file_win.h"

#include <windows.h>

#include "base/unique_handle_win.h"

namespace {

constexpr const char* kSettingsTempName = "param.bin.new";

// A window that lies on no monitor at all (one unplugged since, or a damaged
// file) is centred on the primary one; a window at least partly on some
// monitor, left of or above the primary one included, stays where it was.
void KeepOnSomeMonitor(AppSettings& s, const ScreenMetrics& screen) {
    // The loaded position is never right of or below the primary screen and
    // the size never beyond the virtual screen, so the sums cannot overflow.
    const RECT r{s.winX, s.winY, s.winX + s.winWidth, s.winY + s.winHeight};
    if (MonitorFromRect(&r, MONITOR_DEFAULTTONULL) == nullptr) {
        s.winX = CentredOrigin(screen.primaryWidth, s.winWidth);
        s.winY = CentredOrigin(screen.primaryHeight, s.winHeight);
    }
}

}  // namespace

ScreenMetrics CurrentScreenMetrics() {
    return ScreenMetrics{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                         GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool ReadSettingsFile(AppSettings& s, const ScreenMetrics& screen) {
    UniqueHandle file(CreateFileA(kSettingsFileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const bool accepted = LoadSettingsImage(s, nullptr, 0, screen);
        KeepOnSomeMonitor(s, screen);
        return accepted;
    }
    // One byte more than the record, to read a whole record even from a longer file.
    unsigned char image[kSettingsBytes + 1];
    DWORD total = 0;
    DWORD got = 0;
    while (total < kSettingsBytes && ReadFile(file.get(), image + total, sizeof image - total, &got, nullptr) && got > 0) {
        total += got;
    }
    file.Close();
    const bool accepted = LoadSettingsImage(s, image, total, screen);
    KeepOnSomeMonitor(s, screen);
    return accepted;
}

int WriteSettingsFile(const AppSettings& s) {
    UniqueHandle file(CreateFileA(kSettingsTempName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return 0;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file.get(), &s, kSettingsBytes, &written, nullptr) && written == kSettingsBytes &&
                    FlushFileBuffers(file.get());
    file.Close();
    if (!ok || !MoveFileExA(kSettingsTempName, kSettingsFileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(kSettingsTempName);
        return 0;
    }
    return 1;
}
