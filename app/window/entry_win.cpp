#include <windows.h>

#include "app/window/main_window_win.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int showCommand) {
    return RunProgram(hInstance, showCommand);
}
