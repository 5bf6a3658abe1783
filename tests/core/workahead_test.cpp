#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "core/workahead.h"

using mirel::core::WorkAhead;

// Every item is worked on once, never more than the ring's length beyond the item taken last,
// and the results come out in order.
TEST(WorkAhead, EachItemOnceInOrderAndNeverTooFarAhead) {
    constexpr int Count = 5000;
    constexpr int Ahead = 8;
    std::mutex lock;
    std::vector<int> times(Count, 0);
    int taken = -1;
    int farthest = 0;
    WorkAhead<std::vector<int>> work(Count, Ahead, true, [&](int i, std::vector<int>& r, int) {
        r.assign(3, i); // a result that keeps its storage from one use of its place to the next
        std::lock_guard guard(lock);
        ++times[size_t(i)];
        farthest = std::max(farthest, i - taken);
    });
    for (int i = 0; i < Count; ++i) {
        {
            std::lock_guard guard(lock);
            taken = i - 1;
        }
        const std::vector<int>& r = work.take(i);
        ASSERT_EQ(r, std::vector<int>(3, i));
    }
    work.stop();
    EXPECT_EQ(std::count(times.begin(), times.end(), 1), Count);
    EXPECT_LE(farthest, Ahead);
}

// After a stop no item is begun; the ones begun are finished, and they follow the item taken
// last without a gap.
TEST(WorkAhead, AStopFinishesWhatWasBegunAndBeginsNothing) {
    constexpr int Count = 1000;
    std::atomic<int> begun{0};
    WorkAhead<int> work(Count, 4, true, [&](int i, int& r, int) {
        ++begun;
        r = i * 2;
    });
    EXPECT_EQ(work.take(0), 0);
    EXPECT_EQ(work.take(1), 2);
    work.stop();
    int i = 2;
    for (; i < Count && work.done(i); ++i)
        EXPECT_EQ(work.take(i), i * 2);
    EXPECT_LE(i, 2 + 4);
    EXPECT_EQ(begun.load(), i);
    for (int k = i; k < Count; ++k)
        EXPECT_FALSE(work.done(k)) << k;
}

// On one thread the owner works on every item itself as it takes it.
TEST(WorkAhead, OneThreadWorksOnTheItemsAsTheyAreTaken) {
    std::vector<int> order;
    WorkAhead<int> work(5, 3, false, [&](int i, int& r, int lane) {
        EXPECT_EQ(lane, 0);
        order.push_back(i);
        r = i;
    });
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(work.take(i), i);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}
