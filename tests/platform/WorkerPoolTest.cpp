#include "platform/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

TEST(WorkerPool, EveryThreadCallsTheJobOnceAndTheCallerIsOne)
{
    for (int round = 0; round < 50; ++round) {
        const int threads = 1 + round % 6;
        std::mutex mutex;
        std::multiset<std::thread::id> ids;
        RunOnThreads(
            [&] {
                const std::lock_guard lock(mutex);
                ids.insert(std::this_thread::get_id());
            },
            threads);
        ASSERT_EQ(ids.size(), static_cast<std::size_t>(threads)) << "round " << round;
        EXPECT_EQ(std::set<std::thread::id>(ids.begin(), ids.end()).size(), ids.size()) << "once per thread";
        EXPECT_EQ(ids.count(std::this_thread::get_id()), 1u);
    }
    EXPECT_GE(ProcessorCount(), 1);
}

TEST(WorkerPool, AFailureReachesTheCallerAfterAllCallsEnded)
{
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> ended{0};
    auto failOnHelpers = [&] {
        ++ended;
        if (std::this_thread::get_id() != caller)
            throw std::runtime_error("helper failed");
    };
    EXPECT_THROW(RunOnThreads(failOnHelpers, 3), std::runtime_error);
    EXPECT_EQ(ended, 3);
    EXPECT_THROW(RunOnThreads([] { throw std::logic_error("caller failed"); }, 1), std::logic_error);
    // The pool goes on working.
    ended = 0;
    RunOnThreads([&] { ++ended; }, 3);
    EXPECT_EQ(ended, 3);
}
