#include "app/overview/overview_job.h"

#include <algorithm>
#include <utility>

namespace {

bool SameRequest(const OverviewRequest& a, const OverviewRequest& b) {
    return a.firstSample == b.firstSample && a.sampleCount == b.sampleCount && a.columns == b.columns &&
           a.frameLength == b.frameLength && a.windowKind == b.windowKind && a.channel == b.channel;
}

}  // namespace

OverviewJob::~OverviewJob() { Close(); }

void OverviewJob::Open(Opener opener, std::uint64_t frames, std::int32_t rateHz) {
    std::lock_guard control(control_);
    EndComputation();
    std::lock_guard hold(lock_);
    ++generation_;
    opener_ = std::move(opener);
    frames_ = frames;
    rateHz_ = rateHz;
    span_ = OverviewSpan{0, frames};
    asked_ = false;
    latest_.reset();
}

void OverviewJob::Close() {
    std::lock_guard control(control_);
    EndComputation();
    std::lock_guard hold(lock_);
    ++generation_;
    opener_ = nullptr;
    frames_ = 0;
    span_ = OverviewSpan{};
    asked_ = false;
    latest_.reset();
}

void OverviewJob::EndComputation() {
    {
        std::lock_guard hold(lock_);
        if (progress_) progress_->cancel.store(true, std::memory_order_relaxed);
    }
    if (thread_.joinable()) thread_.join();
}

bool OverviewJob::IsOpen() const {
    std::lock_guard hold(lock_);
    return opener_ != nullptr && frames_ > 0;
}

std::uint64_t OverviewJob::Frames() const {
    std::lock_guard hold(lock_);
    return frames_;
}

std::int32_t OverviewJob::RateHz() const {
    std::lock_guard hold(lock_);
    return rateHz_;
}

OverviewSpan OverviewJob::Span() const {
    std::lock_guard hold(lock_);
    return span_;
}

void OverviewJob::SetSpan(OverviewSpan span) {
    std::lock_guard hold(lock_);
    span_ = span;
}

void OverviewJob::Want(OverviewRequest request) {
    std::lock_guard control(control_);
    {
        std::lock_guard hold(lock_);
        if (!opener_ || (asked_ && SameRequest(wanted_, request))) return;
    }
    EndComputation();
    std::lock_guard hold(lock_);
    request.sourceSamples = frames_;
    asked_ = true;
    wanted_ = request;
    progress_ = std::make_shared<OverviewProgress>();
    running_ = true;
    thread_ = std::thread([this, opener = opener_, request, progress = progress_, generation = generation_] {
        FileOverview out;
        std::unique_ptr<ByteSource> source = opener();
        const WavError error =
            source ? ComputeFileOverview(std::move(source), request, progress.get(), out) : WavError::kCannotRead;
        std::lock_guard done(lock_);
        if (generation == generation_ && error == WavError::kNone && out.overview.complete) {
            latest_ = std::make_shared<const FileOverview>(std::move(out));
        }
        if (progress == progress_) {
            running_ = false;
            progress_.reset();
        }
    });
}

std::shared_ptr<const FileOverview> OverviewJob::Latest() const {
    std::lock_guard hold(lock_);
    return latest_;
}

int OverviewJob::ProgressPercent() const {
    std::lock_guard hold(lock_);
    if (!running_ || !progress_) return -1;
    const std::uint64_t total = OverviewFrameCount(wanted_);
    const std::uint64_t done = progress_->framesDone.load(std::memory_order_relaxed);
    return total > 0 ? static_cast<int>(std::min<std::uint64_t>(done * 100 / total, 99)) : 0;
}
