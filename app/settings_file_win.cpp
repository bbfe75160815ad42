#include "app/settings_file_win.h"

#include <windows.h>

namespace {

constexpr const char* kSettingsTempName = "param.bin.new";

// Owns a file handle; closes it once.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsOpen() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }
    void Close() {
        if (IsOpen()) {
            CloseHandle(h_);
            h_ = INVALID_HANDLE_VALUE;
        }
    }

private:
    HANDLE h_;
};

}  // namespace

ScreenMetrics CurrentScreenMetrics() {
    return ScreenMetrics{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                         GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool ReadSettingsFile(AppSettings& s, const ScreenMetrics& screen) {
    FileHandle file(CreateFileA(kSettingsFileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        return LoadSettingsImage(s, nullptr, 0, screen);
    }
    // One byte more than the record, to read a whole record even from a longer file.
    unsigned char image[kSettingsBytes + 1];
    DWORD total = 0;
    DWORD got = 0;
    while (total < kSettingsBytes && ReadFile(file.Get(), image + total, sizeof image - total, &got, nullptr) && got > 0) {
        total += got;
    }
    file.Close();
    return LoadSettingsImage(s, image, total, screen);
}

int WriteSettingsFile(const AppSettings& s) {
    FileHandle file(CreateFileA(kSettingsTempName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        return 0;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file.Get(), &s, kSettingsBytes, &written, nullptr) && written == kSettingsBytes &&
                    FlushFileBuffers(file.Get());
    file.Close();
    if (!ok || !MoveFileExA(kSettingsTempName, kSettingsFileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(kSettingsTempName);
        return 0;
    }
    return 1;
}
