#include "app/settings/settings_file_win.h"

#include <windows.h>

#include <string>

#include "base/unique_handle_win.h"

namespace {

constexpr const char* kSettingsTempName = "param.bin.new";
constexpr const char* kExtraSettingsTempName = "tavrin.ini.new";
// The old "tavrin.ini" while the new one is put in place.
constexpr const char* kExtraSettingsOldName = "tavrin.ini.old";
constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

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

// The first bytes of "tavrin.ini", one more than are read at most (see
// ParseExtraSettings); empty when there is no such file.
std::string ReadExtraSettingsText() {
    UniqueHandle file(CreateFileA(kExtraSettingsFileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return {};
    }
    std::string text(kExtraSettingsMaxBytes + 1, '\0');
    DWORD total = 0;
    DWORD got = 0;
    while (total < text.size() &&
           ReadFile(file.get(), text.data() + total, static_cast<DWORD>(text.size()) - total, &got, nullptr) &&
           got > 0) {
        total += got;
    }
    text.resize(total);
    return text;
}

// Creates `name` holding exactly `bytes`, flushed to the disk; on failure
// deletes whatever was created.
bool WriteWholeFile(const char* name, const void* bytes, DWORD count) {
    UniqueHandle file(CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(file.get(), bytes, count, &written, nullptr) && written == count && FlushFileBuffers(file.get());
    file.Close();
    if (!ok) {
        DeleteFileA(name);
    }
    return ok;
}

bool FileExists(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

// Puts both temporary files in place; false, with the old files as they
// were, when one of them cannot be.
bool PutInPlace() {
    const bool hadOld = FileExists(kExtraSettingsFileName);
    if (hadOld && !MoveFileExA(kExtraSettingsFileName, kExtraSettingsOldName, kReplace)) {
        return false;
    }
    if (MoveFileExA(kExtraSettingsTempName, kExtraSettingsFileName, kReplace)) {
        if (MoveFileExA(kSettingsTempName, kSettingsFileName, kReplace)) {
            if (hadOld) DeleteFileA(kExtraSettingsOldName);
            return true;
        }
        DeleteFileA(kExtraSettingsFileName);
    }
    if (hadOld) MoveFileExA(kExtraSettingsOldName, kExtraSettingsFileName, kReplace);
    return false;
}

}  // namespace

ScreenMetrics CurrentScreenMetrics() {
    return ScreenMetrics{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                         GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool ReadSettingsFile(AppSettings& s, ExtraSettings& extra, const ScreenMetrics& screen) {
    extra = ParseExtraSettings(ReadExtraSettingsText());
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

int WriteSettingsFile(const AppSettings& s, const ExtraSettings& extra) {
    const std::string text = SerializeExtraSettings(extra);
    if (!WriteWholeFile(kSettingsTempName, &s, kSettingsBytes) ||
        !WriteWholeFile(kExtraSettingsTempName, text.data(), static_cast<DWORD>(text.size())) || !PutInPlace()) {
        DeleteFileA(kSettingsTempName);
        DeleteFileA(kExtraSettingsTempName);
        return 0;
    }
    return 1;
}

std::string Utf8FromAnsi(std::string_view ansi) {
    if (ansi.empty()) {
        return {};
    }
    const int size = static_cast<int>(ansi.size());
    const int wideChars = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
    if (wideChars <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(wideChars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), wideChars);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideChars, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideChars, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}
