#include "app/frame/pass_handover.h"

#include <utility>

std::uint64_t PassHandover::Post(Change change) {
    std::lock_guard<std::mutex> guard(lock_);
    queue_.push_back(std::move(change));
    return ++posted_;
}

int PassHandover::RunPending() {
    int ran = 0;
    for (;;) {
        Change change;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (queue_.empty()) {
                return ran;
            }
            change = std::move(queue_.front());
            queue_.pop_front();
        }
        change();
        std::lock_guard<std::mutex> guard(lock_);
        ++done_;
        ++ran;
    }
}

bool PassHandover::Done(std::uint64_t ticket) const {
    std::lock_guard<std::mutex> guard(lock_);
    return done_ >= ticket;
}
