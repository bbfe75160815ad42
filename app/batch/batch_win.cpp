#include "app/batch/batch_win.h"

#include <windows.h>
#include <shellapi.h>

#include "app/batch/pitch_csv.h"
#include "app/files/export_win.h"
#include "base/unique_handle_win.h"
#include "capture/file_bytes_win.h"

namespace {

std::string Utf8(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), bytes, nullptr,
                            nullptr);
    }
    return out;
}

void WriteTo(HANDLE target, const std::wstring& text) {
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(target, &mode)) {
        WriteConsoleW(target, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = Utf8(text);
    WriteFile(target, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring Widen(const char* text) {
    std::wstring out;
    for (; *text != '\0'; ++text) out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return out;
}

}  // namespace

std::vector<std::wstring> ProgramArguments() {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) {
        return args;
    }
    for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

void WriteBatchMessage(const std::wstring& text) {
    const std::wstring line = L"tavrin: " + text + L"\n";
    const HANDLE given = GetStdHandle(STD_ERROR_HANDLE);
    if (given != nullptr && given != INVALID_HANDLE_VALUE && GetFileType(given) != FILE_TYPE_UNKNOWN) {
        WriteTo(given, line);
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    const UniqueHandle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
    if (console) {
        WriteTo(console.get(), line);
    }
}

int RunBatch(const CommandLine& line) {
    if (line.kind != CommandLine::Kind::kBatch) {
        WriteBatchMessage(line.message);
        return kBatchUsage;
    }
    const BatchJob& job = line.job;
    if (job.pitchCsv.empty()) {
        return kBatchDone;
    }
    std::unique_ptr<ByteSource> source = OpenFileBytes(job.input);
    if (!source) {
        WriteBatchMessage(L"cannot open " + job.input);
        return kBatchFailed;
    }
    std::string csv;
    const WavError error = PitchTrackCsv(std::move(source), csv);
    if (error != WavError::kNone) {
        WriteBatchMessage(L"cannot read " + job.input + L": " + Widen(WavErrorText(error)));
        return kBatchFailed;
    }
    if (!WriteFileWhole(job.pitchCsv, csv)) {
        WriteBatchMessage(L"cannot write " + job.pitchCsv);
        return kBatchFailed;
    }
    return kBatchDone;
}
