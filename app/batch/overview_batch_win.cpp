#include "app/batch/overview_batch_win.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "app/files/export_win.h"
#include "app/files/window_picture_win.h"
#include "base/com_ref_win.h"
#include "capture/file_bytes_win.h"
#include "display/gdi_win.h"
#include "display/overview_picture.h"

namespace {

constexpr int kLabelFontPx = 13;
constexpr int kLabelGapPx = 6;
constexpr COLORREF kLabelColour = RGB(224, 224, 224);

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

SIZE TextSize(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void Draw(HDC dc, int x, int y, const std::wstring& text) {
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// The picture with its labels: painted pixels put on a top-down DIB, the
// texts drawn over them with GDI, the pixels read back.
bool ComposePicture(const FileOverview& file, const OverviewLook& look, int width, int height, WindowPicture& out) {
    std::vector<std::uint32_t> pixels;
    PaintOverviewPicture(file, look, width, height, pixels);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as the painted rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    gdi::MemoryDc dc(CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    gdi::Bitmap bitmap(dc ? CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr);
    if (!bitmap || bits == nullptr) {
        return false;
    }
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(std::uint32_t));
    {
        const gdi::Font font = gdi::MakeTextFont(kLabelFontPx);
        const gdi::Selected selectedBitmap(dc.get(), bitmap.get());
        const gdi::Selected selectedFont(dc.get(), font.get());
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), kLabelColour);
        const OverviewLayout layout = OverviewLayoutOf(width, height);
        const double rate = file.format.rateHz;
        for (const AxisTick& t :
             TimeTicks(layout.plot, file.request.firstSample / rate, file.request.sampleCount / rate)) {
            const std::wstring text = Widen(t.text);
            const SIZE size = TextSize(dc.get(), text);
            const int textWidth = static_cast<int>(size.cx);
            const int left = std::clamp(t.position - textWidth / 2, 0, std::max(width - textWidth, 0));
            Draw(dc.get(), left, layout.plot.y + layout.plot.height + kLabelGapPx - 2, text);
        }
        for (const AxisTick& t : FrequencyTicks(layout.plot, look, file.format.rateHz, file.overview.bins)) {
            const std::wstring text = Widen(t.text);
            const SIZE size = TextSize(dc.get(), text);
            Draw(dc.get(), layout.plot.x - kLabelGapPx - size.cx, std::max(0L, t.position - size.cy / 2), text);
        }
        for (const AxisTick& t : LevelTicks(layout.key, look)) {
            const std::wstring text = Widen(t.text);
            const SIZE size = TextSize(dc.get(), text);
            Draw(dc.get(), layout.key.x + layout.key.width + kLabelGapPx, std::max(0L, t.position - size.cy / 2), text);
        }
        GdiFlush();
    }
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<const std::uint32_t*>(bits),
                      static_cast<const std::uint32_t*>(bits) + static_cast<std::size_t>(width) * height);
    return true;
}

std::wstring WidenAscii(const char* text) { return Widen(std::string(text)); }

}  // namespace

bool RunOverviewJob(const BatchJob& job, const std::wstring& input, const std::wstring& pngPath,
                    const std::wstring& csvPath, std::wstring& message) {
    std::unique_ptr<ByteSource> source = OpenFileBytes(input);
    if (!source) {
        message = L"cannot open " + input;
        return false;
    }
    OverviewRequest request;
    request.columns = OverviewLayoutOf(job.width, job.height).plot.width;
    request.frameLength = job.frameLength;
    request.windowKind = job.windowKind;
    FileOverview file;
    const WavError error = ComputeFileOverview(std::move(source), request, nullptr, file);
    if (error != WavError::kNone) {
        message = L"cannot read " + input + L": " + WidenAscii(WavErrorText(error));
        return false;
    }
    std::string png;
    if (!pngPath.empty()) {
        OverviewLook look;
        look.logAxis = job.logAxis;
        WindowPicture picture;
        ComScope com;
        if (!ComposePicture(file, look, job.width, job.height, picture) || !EncodePng(picture, png)) {
            message = L"cannot make the picture of " + input;
            return false;
        }
    }
    if (!pngPath.empty() && !WriteFileWhole(pngPath, png)) {
        message = L"cannot write " + pngPath;
        return false;
    }
    if (!csvPath.empty() && !WriteFileWhole(csvPath, WelchCsv(file.overview, file.format.rateHz, job.windowKind))) {
        message = L"cannot write " + csvPath;
        return false;
    }
    return true;
}
