#include "app/frame/pass_handover.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(PassHandover, ChangesRunInOrderOnlyWhenTheLoopTakesThem) {
    PassHandover h;
    std::vector<int> ran;
    const auto first = h.Post([&] { ran.push_back(1); });
    const auto second = h.Post([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty());
    EXPECT_FALSE(h.Done(first));
    EXPECT_EQ(h.RunPending(), 2);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_TRUE(h.Done(first));
    EXPECT_TRUE(h.Done(second));
    EXPECT_EQ(h.RunPending(), 0);  // nothing left: nothing runs twice
    EXPECT_EQ(ran.size(), 2u);
}

// A loop thread that runs passes (here: counts them) and takes changes
// between them never sees a change in the middle of a pass.
TEST(PassHandover, AChangeNeverOverlapsAPass) {
    PassHandover h;
    std::atomic<bool> inPass{false};
    std::atomic<bool> stop{false};
    std::atomic<int> overlaps{0};
    std::thread loop([&] {
        while (!stop.load(std::memory_order_acquire)) {
            h.RunPending();
            inPass.store(true, std::memory_order_release);
            std::this_thread::yield();
            inPass.store(false, std::memory_order_release);
        }
        h.RunPending();
    });
    std::uint64_t last = 0;
    for (int i = 0; i < 200; ++i) {
        last = h.Post([&] {
            if (inPass.load(std::memory_order_acquire)) overlaps.fetch_add(1);
        });
    }
    while (!h.Done(last)) std::this_thread::yield();
    stop.store(true, std::memory_order_release);
    loop.join();
    EXPECT_EQ(overlaps.load(), 0);
}

}  // namespace
