// The main window's client area as the user sees it, composed from the
// program's own drawings rather than copied from the screen: the plot views'
// off-screen surfaces, the labels drawn afresh from their texts and the
// bars' bitmaps, each at its place, on the window's black background. So a
// window lying over the program, or what is left of a dialog just closed,
// never ends up in the picture.
//
// Threads: ComposeWindowPicture is called with the App's draw lock held (the
// surfaces and their DCs are the drawing's), by whichever thread holds it;
// it sends no message to any window.
//
// Ownership: the picture owns its pixels; the parts are only read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct WindowParts;

struct WindowPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // rows top-down, bytes blue, green, red, unused
};

// Empty (no pixels) when the window has no client area or no bitmap could be made.
WindowPicture ComposeWindowPicture(const WindowParts& parts, HWND window);

// The picture as a packed device-independent bitmap (CF_DIB): a
// BITMAPINFOHEADER and 24-bit bottom-up rows, each padded to 4 bytes, with no
// fourth byte a reader could take for transparency.
std::string PackedDib24(const WindowPicture& picture);
