#include "app/batch/command_line.h"

#include <iterator>

namespace {

constexpr wchar_t kUsage[] =
    L"usage: tavrin.exe [file.wav]\n"
    L"       tavrin.exe --pitch out.csv in.wav";

// The options a batch run knows: each takes a value into one field of the job.
struct Option {
    const wchar_t* name;
    std::wstring BatchJob::*value;
};
constexpr Option kOptions[] = {
    {L"--pitch", &BatchJob::pitchCsv},
};

bool IsOption(const std::wstring& arg) { return arg.size() >= 2 && arg[0] == L'-' && arg[1] == L'-'; }

CommandLine Error(const std::wstring& what) {
    CommandLine line;
    line.kind = CommandLine::Kind::kError;
    line.message = what + L"\n" + kUsage;
    return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::wstring>& args) {
    CommandLine line;
    bool anyOption = false;
    for (const std::wstring& arg : args) anyOption = anyOption || IsOption(arg);
    if (!anyOption) {
        return line;
    }
    BatchJob job;
    bool haveInput = false;
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (!IsOption(*it)) {
            if (haveInput) {
                return Error(L"more than one input file: " + job.input + L", " + *it);
            }
            job.input = *it;
            haveInput = true;
            continue;
        }
        const Option* option = nullptr;
        for (const Option& o : kOptions) {
            if (*it == o.name) option = &o;
        }
        if (option == nullptr) {
            return Error(L"unknown option " + *it);
        }
        if (std::next(it) == args.end() || std::next(it)->empty()) {
            return Error(std::wstring(option->name) + L" needs a file name");
        }
        ++it;
        job.*(option->value) = *it;
    }
    if (!haveInput || job.input.empty()) {
        return Error(L"no input file");
    }
    line.kind = CommandLine::Kind::kBatch;
    line.job = job;
    return line;
}
