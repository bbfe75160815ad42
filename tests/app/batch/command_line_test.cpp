#include "app/batch/command_line.h"

#include <gtest/gtest.h>

namespace {

// What each command line starts: the window (with or without a file), a
// batch job, or a message; a batch never takes a misspelt option or a
// missing file name for its input.
TEST(CommandLine, WindowBatchOrMessage) {
    using Kind = CommandLine::Kind;
    const struct {
        std::vector<std::wstring> args;
        Kind kind;
        std::wstring input;
        std::wstring pitchCsv;
    } cases[] = {
        {{}, Kind::kWindow, L"", L""},
        {{L"take.wav"}, Kind::kWindow, L"", L""},
        {{L"--pitch", L"out.csv", L"in.wav"}, Kind::kBatch, L"in.wav", L"out.csv"},
        {{L"in.wav", L"--pitch", L"out.csv"}, Kind::kBatch, L"in.wav", L"out.csv"},
        {{L"--pitch", L"out.csv"}, Kind::kError, L"", L""},
        {{L"in.wav", L"--pitch"}, Kind::kError, L"", L""},
        {{L"--pich", L"out.csv", L"in.wav"}, Kind::kError, L"", L""},
        {{L"--pitch", L"out.csv", L"a.wav", L"b.wav"}, Kind::kError, L"", L""},
        {{L"--pitch", L"*.csv", L"a.wav", L"b.wav"}, Kind::kBatch, L"a.wav", L"*.csv"},
        {{L"--png", L"out.png", L"--log", L"--size", L"640x200", L"in.wav"}, Kind::kBatch, L"in.wav", L""},
        {{L"--png", L"out.png", L"takes\\*.wav"}, Kind::kError, L"", L""},
        {{L"--png", L"out.png", L"--size", L"640", L"in.wav"}, Kind::kError, L"", L""},
        {{L"--png", L"out.png", L"--length", L"1000", L"in.wav"}, Kind::kError, L"", L""},
        {{L"--png", L"out.png", L"--window", L"kaiser", L"in.wav"}, Kind::kError, L"", L""},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.kind, c.kind) << c.args.size();
        EXPECT_EQ(line.job.inputs.empty() ? L"" : line.job.inputs[0], c.input);
        EXPECT_EQ(line.job.pitchCsv, c.pitchCsv);
        EXPECT_EQ(line.kind == Kind::kError, !line.message.empty());
    }
    // Several inputs: one output each, named after the input.
    EXPECT_EQ(BatchOutputName(L"pictures\\*.png", L"C:\\takes\\a.b.wav", true), L"pictures\\a.b.png");
    EXPECT_EQ(BatchOutputName(L"out.png", L"a.wav", true), L"");
}

}  // namespace
