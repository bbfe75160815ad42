#include "app/batch/batch_win.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "app/batch/overview_batch_win.h"
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

// The files that a name with wildcards in its last part matches, in the
// folder it names, sorted; folders are left out.
std::vector<std::wstring> MatchingFiles(const std::wstring& pattern) {
    std::vector<std::wstring> found;
    const std::size_t slash = pattern.find_last_of(L"\\/:");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : pattern.substr(0, slash + 1);
    WIN32_FIND_DATAW data{};
    const UniqueFindHandle search(FindFirstFileW(pattern.c_str(), &data));
    if (!search) {
        return found;
    }
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            found.push_back(folder + data.cFileName);
        }
    } while (FindNextFileW(search.get(), &data));
    std::sort(found.begin(), found.end());
    return found;
}

bool RunPitchJob(const std::wstring& input, const std::wstring& csvPath, std::wstring& message) {
    std::unique_ptr<ByteSource> source = OpenFileBytes(input);
    if (!source) {
        message = L"cannot open " + input;
        return false;
    }
    std::string csv;
    const WavError error = PitchTrackCsv(std::move(source), csv);
    if (error != WavError::kNone) {
        message = L"cannot read " + input + L": " + Widen(WavErrorText(error));
        return false;
    }
    if (!WriteFileWhole(csvPath, csv)) {
        message = L"cannot write " + csvPath;
        return false;
    }
    return true;
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
    int status = kBatchDone;
    std::vector<std::wstring> inputs;
    bool several = job.inputs.size() > 1;
    for (const std::wstring& input : job.inputs) {
        if (!HasWildcard(input)) {
            inputs.push_back(input);
            continue;
        }
        several = true;
        const std::vector<std::wstring> found = MatchingFiles(input);
        if (found.empty()) {
            WriteBatchMessage(L"no file matches " + input);
            status = kBatchFailed;
        }
        inputs.insert(inputs.end(), found.begin(), found.end());
    }
    for (const std::wstring& input : inputs) {
        std::wstring message;
        bool done = true;
        if (!job.pitchCsv.empty()) {
            done = RunPitchJob(input, BatchOutputName(job.pitchCsv, input, several), message);
        }
        if (done && (!job.png.empty() || !job.welchCsv.empty())) {
            const std::wstring png = job.png.empty() ? std::wstring() : BatchOutputName(job.png, input, several);
            const std::wstring csv =
                job.welchCsv.empty() ? std::wstring() : BatchOutputName(job.welchCsv, input, several);
            done = RunOverviewJob(job, input, png, csv, message);
        }
        if (!done) {
            WriteBatchMessage(message);
            status = kBatchFailed;
        }
    }
    return status;
}
