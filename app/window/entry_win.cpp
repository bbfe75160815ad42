#include <windows.h>

#include "app/batch/batch_win.h"
#include "app/window/main_window_win.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int showCommand) {
    // Options make a batch run, which opens no window.
    const CommandLine line = ParseCommandLine(ProgramArguments());
    if (line.kind != CommandLine::Kind::kWindow) {
        return RunBatch(line);
    }
    return RunProgram(hInstance, showCommand);
}
