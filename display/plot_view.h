// The owning pointer to a plot view, usable from portable code: the Analyzer
// holds its view through it without seeing any Win32 type. Views exist only
// in the Win32 build; elsewhere the pointer always stays null.
#pragma once

#include <memory>

namespace Bitmaplib {
class clsBitmap;
}

struct PlotViewDeleter {
    void operator()(Bitmaplib::clsBitmap* view) const noexcept;
};

using PlotViewPtr = std::unique_ptr<Bitmaplib::clsBitmap, PlotViewDeleter>;
