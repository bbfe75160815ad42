#include "analysis/overview.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>

#include "analysis/peak_estimate.h"
#include "analysis/rdft.h"
#include "base/settings.h"

namespace {

constexpr std::int32_t kMinOverviewFrame = 16;
// Samples read per fetch (and a frame): few calls, a buffer of fixed size.
constexpr std::uint64_t kSamplesPerRead = 32768;

bool IsValid(const OverviewRequest& r) {
    const std::int32_t n = r.frameLength;
    return n >= kMinOverviewFrame && n <= kRdftMaxLength && (n & (n - 1)) == 0 && r.columns >= 1 &&
           r.sampleCount >= 1 && r.firstSample <= r.sourceSamples && r.sampleCount <= r.sourceSamples - r.firstSample;
}

std::vector<double> WindowTable(std::int32_t kind, std::int32_t n) {
    const auto [a0, a1, a2] = WindowCosineSumOf(kind);
    std::vector<double> w(static_cast<std::size_t>(n));
    const double d = n - 1;
    for (std::int32_t i = 0; i < n; ++i) {
        const double x = 2.0 * std::numbers::pi * i / d;
        w[static_cast<std::size_t>(i)] = a0 - a1 * std::cos(x) + a2 * std::cos(2.0 * x);
    }
    return w;
}

// One worker: the columns [c0, c1) of the overview, every frame that
// overlaps them, and the Welch sum of the frames whose first sample lies in them.
struct Worker {
    const OverviewRequest& request;
    const OverviewFetch& fetch;
    OverviewProgress* progress;
    Overview& out;
    std::int32_t c0;
    std::int32_t c1;
    std::vector<double> welch;         // bins
    std::vector<std::uint32_t> count;  // frames per column, for the mean
    std::uint64_t frames = 0;
    bool failed = false;

    void Run();
};

void Worker::Run() {
    const OverviewRequest& r = request;
    const std::int32_t n = r.frameLength;
    const std::int32_t bins = n / 2;
    const std::uint64_t hop = static_cast<std::uint64_t>(bins);
    const std::uint64_t total = OverviewFrameCount(r);
    const std::uint64_t s0 = OverviewColumnStart(r, c0);
    const std::uint64_t s1 = OverviewColumnStart(r, c1);
    // Frames that overlap [s0, s1): k hop + n > s0 and k hop < s1.
    const std::uint64_t kFirst = s0 < static_cast<std::uint64_t>(n) ? 0 : (s0 - n) / hop + 1;
    const std::uint64_t kEnd = std::min(total, (s1 + hop - 1) / hop);
    welch.assign(static_cast<std::size_t>(bins), 0.0);
    count.assign(static_cast<std::size_t>(c1 - c0), 0);

    const std::vector<double> window = WindowTable(r.windowKind, n);
    std::vector<std::int32_t> ip(kRdftIndexEntries, 0);
    std::vector<double> w(static_cast<std::size_t>(bins));
    std::vector<double> frame(static_cast<std::size_t>(n));
    std::vector<float> power(static_cast<std::size_t>(bins));
    std::vector<double> samples;

    const std::uint64_t framesPerRead = std::max<std::uint64_t>(1, kSamplesPerRead / hop);
    for (std::uint64_t k = kFirst; k < kEnd; k += framesPerRead) {
        if (progress && progress->cancel.load(std::memory_order_relaxed)) {
            failed = true;
            return;
        }
        const std::uint64_t kLast = std::min(kEnd, k + framesPerRead);
        // The samples of frames k ... kLast - 1, zero past the recording's end.
        const std::uint64_t first = r.firstSample + k * hop;
        const std::uint64_t span = (kLast - 1 - k) * hop + static_cast<std::uint64_t>(n);
        const std::uint64_t present = first >= r.sourceSamples ? 0 : std::min(span, r.sourceSamples - first);
        samples.assign(static_cast<std::size_t>(span), 0.0);
        if (present > 0 && !fetch(first, static_cast<std::size_t>(present), samples.data())) {
            failed = true;
            return;
        }
        std::uint64_t owned = 0;
        for (std::uint64_t f = k; f < kLast; ++f) {
            const double* x = samples.data() + (f - k) * hop;
            for (std::int32_t i = 0; i < n; ++i) frame[static_cast<std::size_t>(i)] = x[i] * window[static_cast<std::size_t>(i)];
            rdft(n, 1, frame.data(), ip.data(), w.data());
            power[0] = static_cast<float>(frame[0] * frame[0]);
            for (std::int32_t b = 1; b < bins; ++b) {
                const double re = frame[static_cast<std::size_t>(2 * b)];
                const double im = frame[static_cast<std::size_t>(2 * b + 1)];
                power[static_cast<std::size_t>(b)] = static_cast<float>(re * re + im * im);
            }
            const std::uint64_t start = f * hop;
            const std::uint64_t end = std::min(start + static_cast<std::uint64_t>(n), r.sampleCount);
            const std::int32_t firstColumn = std::max(c0, OverviewColumnOf(r, start));
            const std::int32_t lastColumn = std::min(c1 - 1, OverviewColumnOf(r, end - 1));
            for (std::int32_t c = firstColumn; c <= lastColumn; ++c) {
                float* peak = out.peak.data() + static_cast<std::size_t>(c) * bins;
                for (std::int32_t b = 0; b < bins; ++b) peak[b] = std::max(peak[b], power[static_cast<std::size_t>(b)]);
                if (r.averaged) {
                    float* mean = out.mean.data() + static_cast<std::size_t>(c) * bins;
                    for (std::int32_t b = 0; b < bins; ++b) mean[b] += power[static_cast<std::size_t>(b)];
                    ++count[static_cast<std::size_t>(c - c0)];
                }
            }
            const std::int32_t owner = OverviewColumnOf(r, start);
            if (owner >= c0 && owner < c1) {
                for (std::int32_t b = 0; b < bins; ++b) welch[static_cast<std::size_t>(b)] += power[static_cast<std::size_t>(b)];
                ++owned;
            }
        }
        frames += owned;
        if (progress) progress->framesDone.fetch_add(owned, std::memory_order_relaxed);
    }
    if (r.averaged) {
        for (std::int32_t c = c0; c < c1; ++c) {
            const std::uint32_t m = count[static_cast<std::size_t>(c - c0)];
            float* mean = out.mean.data() + static_cast<std::size_t>(c) * bins;
            for (std::int32_t b = 0; m > 0 && b < bins; ++b) mean[b] /= static_cast<float>(m);
        }
    }
}

}  // namespace

std::uint64_t OverviewFrameCount(const OverviewRequest& r) {
    const std::uint64_t n = static_cast<std::uint64_t>(std::max(r.frameLength, 2));
    if (r.sampleCount <= n) {
        return 1;
    }
    const std::uint64_t hop = n / 2;
    return 1 + (r.sampleCount - n + hop - 1) / hop;
}

std::int32_t OverviewColumnOf(const OverviewRequest& r, std::uint64_t offset) {
    if (r.sampleCount == 0 || offset >= r.sampleCount) {
        return std::max(r.columns - 1, 0);
    }
    // offset < 2^40 and columns < 2^23 in any real use; the product stays in 64 bits.
    return static_cast<std::int32_t>(offset * static_cast<std::uint64_t>(r.columns) / r.sampleCount);
}

std::uint64_t OverviewColumnStart(const OverviewRequest& r, std::int32_t column) {
    const std::uint64_t c = static_cast<std::uint64_t>(std::clamp(column, 0, std::max(r.columns, 1)));
    // The smallest offset whose column is c: ceil(c x count / columns).
    return (c * r.sampleCount + static_cast<std::uint64_t>(r.columns) - 1) / static_cast<std::uint64_t>(r.columns);
}

Overview ComputeOverview(const OverviewRequest& request, const OverviewFetch& fetch, OverviewProgress* progress) {
    Overview out;
    if (!IsValid(request)) {
        return out;
    }
    const std::int32_t bins = request.frameLength / 2;
    const std::size_t pixels = static_cast<std::size_t>(request.columns) * static_cast<std::size_t>(bins);
    out.columns = request.columns;
    out.bins = bins;
    out.peak.assign(pixels, 0.0f);
    if (request.averaged) {
        out.mean.assign(pixels, 0.0f);
    }
    int threads = request.threads > 0 ? request.threads : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, request.columns);

    std::vector<Worker> workers;
    workers.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) {
        const auto c0 = static_cast<std::int32_t>(static_cast<std::int64_t>(request.columns) * t / threads);
        const auto c1 = static_cast<std::int32_t>(static_cast<std::int64_t>(request.columns) * (t + 1) / threads);
        workers.push_back(Worker{request, fetch, progress, out, c0, c1, {}, {}});
    }
    std::vector<std::thread> running;
    for (std::size_t t = 1; t < workers.size(); ++t) running.emplace_back(&Worker::Run, &workers[t]);
    workers[0].Run();
    for (std::thread& t : running) t.join();

    out.welch.assign(static_cast<std::size_t>(bins), 0.0);
    bool failed = false;
    for (const Worker& w : workers) {
        failed = failed || w.failed;
        out.frames += w.frames;
        for (std::int32_t b = 0; b < bins; ++b) out.welch[static_cast<std::size_t>(b)] += w.welch[static_cast<std::size_t>(b)];
    }
    for (double& p : out.welch) p /= static_cast<double>(std::max<std::uint64_t>(out.frames, 1));
    out.readFailed = failed && !(progress && progress->cancel.load());
    out.complete = !failed;
    return out;
}
