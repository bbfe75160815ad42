#include "app/menus/take_keeping_win.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "app/commands/take_names.h"
#include "base/unique_handle_win.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kTextChars = 512;
// Where a canonical WAVE head keeps the bytes per second and the data size.
constexpr int kHeadBytes = 44;
constexpr int kByteRateAt = 28;
constexpr int kDataSizeAt = 40;
constexpr std::uint64_t kFileTimeUnitsPerSecond = 10'000'000;

std::uint32_t U32At(const unsigned char* bytes, int at) {
    std::uint32_t v;
    std::memcpy(&v, bytes + at, sizeof v);
    return v;
}

// When the take began: its last write less the length its head gives. The
// file's creation time would do on its own, but the file system may hand a
// new file the creation time of the one that just left its name.
TakeTime TakeStart(const char* path) {
    FILETIME written{};
    std::uint64_t seconds = 0;
    UniqueHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        GetFileTime(file.get(), nullptr, nullptr, &written);
        unsigned char head[kHeadBytes] = {};
        DWORD got = 0;
        if (ReadFile(file.get(), head, sizeof head, &got, nullptr) && got == sizeof head &&
            std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0 &&
            U32At(head, kByteRateAt) > 0) {
            seconds = U32At(head, kDataSizeAt) / U32At(head, kByteRateAt);
        }
    }
    ULARGE_INTEGER at{};
    at.LowPart = written.dwLowDateTime;
    at.HighPart = written.dwHighDateTime;
    at.QuadPart -= std::min<std::uint64_t>(at.QuadPart, seconds * kFileTimeUnitsPerSecond);
    const FILETIME start{at.LowPart, at.HighPart};
    FILETIME local{};
    SYSTEMTIME t{};
    if (!FileTimeToLocalFileTime(&start, &local) || !FileTimeToSystemTime(&local, &t)) {
        GetLocalTime(&t);
    }
    return TakeTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::wstring Wide(const std::string& text) {
    std::wstring wide;
    for (char c : text) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return wide;
}

}  // namespace

bool KeepEarlierTake(const char* path, std::wstring& keptAs, DWORD& error) {
    keptAs.clear();
    error = ERROR_SUCCESS;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return true;
    }
    const TakeTime start = TakeStart(path);
    for (int attempt = 1; attempt <= kMaxTakeNameAttempts; ++attempt) {
        const std::string name = KeptTakeName(path, start, attempt);
        keptAs = Wide(name);
        // Without MOVEFILE_REPLACE_EXISTING: an existing name is never overwritten.
        if (MoveFileExA(path, name.c_str(), MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

void TellRecordingFailed(HINSTANCE instance, HWND owner, UINT textId, const std::wstring& name, DWORD error) {
    wchar_t format[kTextChars] = {};
    wchar_t title[kTextChars] = {};
    LoadStringW(instance, textId, format, kTextChars);
    LoadStringW(instance, IDS_APP_TITLE, title, kTextChars);
    wchar_t reason[kTextChars] = {};
    if (error == ERROR_SUCCESS ||
        !FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                        kTextChars, nullptr)) {
        _snwprintf(reason, kTextChars - 1, L"(%lu)", static_cast<unsigned long>(error));
    }
    wchar_t text[kTextChars * 3] = {};
    _snwprintf(text, kTextChars * 3 - 1, format, name.c_str(), reason);
    MessageBoxW(owner, text, title, MB_OK | MB_ICONWARNING);
}
