#include "app/batch/command_line.h"

#include <cwchar>
#include <cwctype>
#include <iterator>

#include "analysis/analyzer.h"
#include "base/settings.h"
#include "display/overview_picture.h"

namespace {

constexpr wchar_t kUsage[] =
    L"usage: tavrin.exe [file.wav]\n"
    L"       tavrin.exe --pitch out.csv in.wav\n"
    L"       tavrin.exe --png out.png [--csv out.csv] [--size WxH] [--length N]\n"
    L"                  [--window none|hanning|hamming|blackman] [--log|--linear] in.wav...\n"
    L"       (several inputs: a '*' in each output name stands for the input's name)";

bool IsOption(const std::wstring& arg) { return arg.size() >= 2 && arg[0] == L'-' && arg[1] == L'-'; }

CommandLine Error(const std::wstring& what) {
    CommandLine line;
    line.kind = CommandLine::Kind::kError;
    line.message = what + L"\n" + kUsage;
    return line;
}

// A whole positive number, nothing else; -1 when it is not one.
long Number(const std::wstring& text) {
    if (text.empty() || text.size() > 6) return -1;
    long n = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return -1;
        n = n * 10 + (c - L'0');
    }
    return n;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// Stores an option's value into the job; false and `why` when it is not one.
bool TakeValue(const std::wstring& name, const std::wstring& value, BatchJob& job, std::wstring& why) {
    if (name == L"--pitch") {
        job.pitchCsv = value;
    } else if (name == L"--png") {
        job.png = value;
    } else if (name == L"--csv") {
        job.welchCsv = value;
    } else if (name == L"--size") {
        const std::size_t x = Lower(value).find(L'x');
        const long w = x == std::wstring::npos ? -1 : Number(value.substr(0, x));
        const long h = x == std::wstring::npos ? -1 : Number(value.substr(x + 1));
        if (w < kOverviewMinWidth || h < kOverviewMinHeight || w > kBatchMaxSide || h > kBatchMaxSide) {
            why = L"--size " + value + L": give WxH, from 160x80 to 16384x16384";
            return false;
        }
        job.width = static_cast<std::int32_t>(w);
        job.height = static_cast<std::int32_t>(h);
    } else if (name == L"--length") {
        const long n = Number(value);
        if (n < 0 || !IsSupportedFrameLength(static_cast<std::int32_t>(n))) {
            why = L"--length " + value + L": give a power of two from 1024 to 32768";
            return false;
        }
        job.frameLength = static_cast<std::int32_t>(n);
    } else if (name == L"--window") {
        const std::wstring w = Lower(value);
        static const struct {
            const wchar_t* name;
            std::int32_t kind;
        } kWindows[] = {{L"none", kWindowNone}, {L"hanning", kWindowHanning}, {L"hann", kWindowHanning},
                        {L"hamming", kWindowHamming}, {L"blackman", kWindowBlackman}};
        for (const auto& k : kWindows) {
            if (w == k.name) {
                job.windowKind = k.kind;
                return true;
            }
        }
        why = L"--window " + value + L": give none, hanning, hamming or blackman";
        return false;
    }
    return true;
}

bool TakesValue(const std::wstring& name) {
    static const wchar_t* const kValued[] = {L"--pitch", L"--png", L"--csv", L"--size", L"--length", L"--window"};
    for (const wchar_t* v : kValued) {
        if (name == v) return true;
    }
    return false;
}

}  // namespace

bool HasWildcard(const std::wstring& name) {
    const std::size_t slash = name.find_last_of(L"\\/");
    return name.find_first_of(L"*?", slash == std::wstring::npos ? 0 : slash + 1) != std::wstring::npos;
}

std::wstring BatchOutputName(const std::wstring& pattern, const std::wstring& input, bool several) {
    if (pattern.find(L'*') == std::wstring::npos) {
        return several ? std::wstring() : pattern;
    }
    const std::size_t slash = input.find_last_of(L"\\/:");
    std::wstring stem = slash == std::wstring::npos ? input : input.substr(slash + 1);
    const std::size_t dot = stem.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) stem.resize(dot);
    std::wstring out;
    for (wchar_t c : pattern) {
        if (c == L'*') {
            out += stem;
        } else {
            out += c;
        }
    }
    return out;
}

CommandLine ParseCommandLine(const std::vector<std::wstring>& args) {
    CommandLine line;
    bool anyOption = false;
    for (const std::wstring& arg : args) anyOption = anyOption || IsOption(arg);
    if (!anyOption) {
        return line;
    }
    BatchJob job;
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (!IsOption(*it)) {
            if (it->empty()) {
                return Error(L"an empty input file name");
            }
            job.inputs.push_back(*it);
            continue;
        }
        if (*it == L"--log" || *it == L"--linear") {
            job.logAxis = *it == L"--log";
            continue;
        }
        if (!TakesValue(*it)) {
            return Error(L"unknown option " + *it);
        }
        if (std::next(it) == args.end() || std::next(it)->empty() || IsOption(*std::next(it))) {
            return Error(*it + L" needs a value");
        }
        std::wstring why;
        if (!TakeValue(*it, *std::next(it), job, why)) {
            return Error(why);
        }
        ++it;
    }
    if (job.inputs.empty()) {
        return Error(L"no input file");
    }
    const bool several = job.inputs.size() > 1 || HasWildcard(job.inputs[0]);
    for (const std::wstring* out : {&job.pitchCsv, &job.png, &job.welchCsv}) {
        if (!out->empty() && several && out->find(L'*') == std::wstring::npos) {
            return Error(L"several input files: the output name " + *out + L" needs a '*' for each input's name");
        }
    }
    line.kind = CommandLine::Kind::kBatch;
    line.job = job;
    return line;
}
