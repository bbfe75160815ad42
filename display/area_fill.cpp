#include "display/area_fill.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "display/surface.h"

namespace {

constexpr auto kPixelBytes = static_cast<std::size_t>(kSurfaceBytesPerPixel);

// Columns whose top rows are gathered before they are copied row by row, so
// that the copy walks memory along the rows; the band lives on the stack.
constexpr int kBandColumns = 256;

// Pixels per step of the row copy: a fixed count lets the compiler turn the
// step into a few vector operations.
constexpr int kStepColumns = 8;

// dst[i] = src[i] where tops[i] <= y, for i < n; the other pixels stay.
std::uint32_t Pick(std::uint32_t src, std::uint32_t dst, std::int32_t top, std::int32_t y) {
    const std::uint32_t mask = 0u - static_cast<std::uint32_t>(top <= y);
    return (src & mask) | (dst & ~mask);
}

void SelectRow(std::uint32_t* __restrict dst, const std::uint32_t* __restrict src,
               const std::int32_t* __restrict tops, int n, std::int32_t y) {
    int i = 0;
    for (; i + kStepColumns <= n; i += kStepColumns) {
        std::uint32_t* __restrict d = dst + i;
        const std::uint32_t* __restrict s = src + i;
        const std::int32_t* __restrict t = tops + i;
        for (int k = 0; k < kStepColumns; ++k) {
            d[k] = Pick(s[k], d[k], t[k], y);
        }
    }
    for (; i < n; ++i) {
        dst[i] = Pick(src[i], dst[i], tops[i], y);
    }
}

// Smallest integer not below n / d, for d > 0.
std::int64_t CeilDiv(std::int64_t n, std::int64_t d) { return n >= 0 ? (n + d - 1) / d : -((-n) / d); }

// Gathers the top row of each column of a band and copies the band's
// column segments when the trace moves past it.
class BandFill {
public:
    explicit BandFill(const AreaFillTarget& t) : t_(t) {}

    // The area reaches up to row `top` in column x (the smallest row given
    // for a column counts).
    void Top(std::int64_t x, std::int64_t top) {
        if (x < 0 || x >= t_.width) {
            return;
        }
        if (start_ < 0 || x < start_ || x >= start_ + kBandColumns) {
            Flush();
            Begin(static_cast<std::int32_t>(x));
        }
        const auto i = static_cast<int>(x - start_);
        const auto row = static_cast<std::int32_t>(std::clamp<std::int64_t>(top, 0, t_.height));
        tops_[i] = std::min(tops_[i], row);
        used_ = std::max(used_, i + 1);
    }

    void Flush() {
        if (start_ < 0) {
            return;
        }
        const auto [highest, lowest] = std::minmax_element(tops_, tops_ + used_);
        const std::int32_t highestRow = *highest;
        const std::int32_t lowestRow = *lowest;
        const std::size_t offset = static_cast<std::size_t>(start_) * kPixelBytes;
        for (std::int32_t y = highestRow; y < t_.height; ++y) {
            // Drawing row y is memory row height - 1 - y.
            const std::ptrdiff_t rowStart = static_cast<std::ptrdiff_t>(t_.height - 1 - y) * t_.stride;
            std::uint8_t* dst = t_.surface + rowStart + offset;
            const std::uint8_t* src = t_.pattern + rowStart + offset;
            if (y >= lowestRow) {
                std::memcpy(dst, src, static_cast<std::size_t>(used_) * kPixelBytes);
                continue;
            }
            SelectRow(reinterpret_cast<std::uint32_t*>(dst), reinterpret_cast<const std::uint32_t*>(src), tops_, used_,
                      y);
        }
        start_ = -1;
    }

private:
    void Begin(std::int32_t x) {
        start_ = x;
        used_ = 0;
        std::fill(tops_, tops_ + kBandColumns, t_.height);
    }

    const AreaFillTarget& t_;
    std::int32_t start_ = -1;  // column of tops_[0], or -1 for no band
    int used_ = 0;             // columns of the band reached so far
    std::int32_t tops_[kBandColumns];
};

}  // namespace

void FillUnderTrace(const TracePoint* trace, int count, const AreaFillTarget& target) {
    assert(target.surface != nullptr && target.pattern != nullptr);
    if (count < 2 || target.width <= 0 || target.height <= 0) {
        return;
    }
    BandFill band(target);
    for (int i = 0; i + 1 < count; ++i) {
        const TracePoint a = trace[i];
        const TracePoint b = trace[i + 1];
        if (b.x == a.x) {
            band.Top(a.x, std::min(a.y, b.y));
            continue;
        }
        band.Top(a.x, a.y);
        if (b.x > a.x) {
            // The straight edge from a to b over the columns between them.
            const std::int64_t dx = static_cast<std::int64_t>(b.x) - a.x;
            const std::int64_t dy = static_cast<std::int64_t>(b.y) - a.y;
            const std::int64_t first = std::max<std::int64_t>(a.x + 1LL, 0);
            const std::int64_t last = std::min<std::int64_t>(b.x - 1LL, target.width - 1LL);
            for (std::int64_t x = first; x <= last; ++x) {
                band.Top(x, a.y + CeilDiv(dy * (x - a.x), dx));
            }
        }
        band.Top(b.x, b.y);
    }
    band.Flush();
}

bool FillSpectrumArea(const TracePoint* trace, const SpectrumPoints& points, const AreaFillTarget& target) {
    if (points.shape != SpectrumShape::kPolygon || !target.surface || !target.pattern) {
        return false;
    }
    FillUnderTrace(trace, points.traceCount, target);
    return true;
}
