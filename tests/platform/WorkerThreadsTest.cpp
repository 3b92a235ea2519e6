#include "platform/WorkerThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace mirabel {

namespace {

TEST(WorkerThreads, EveryIndexRunsOnceInEachRound) {
    WorkerThreads workers(3);
    for (std::size_t count : {0, 1, 2, 7, 1000, 3}) {
        std::vector<std::atomic<int>> calls(count);
        workers.ForEach(count, [&](std::size_t i) { ++calls[i]; });
        for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(calls[i], 1) << count << " " << i;
    }
}

// Four tasks that each wait for all four to have started finish only when they run side by
// side.
TEST(WorkerThreads, TasksRunSideBySide) {
    WorkerThreads workers(3);
    std::atomic<int> started{0};
    std::atomic<bool> allMet{true};
    workers.ForEach(4, [&](std::size_t) {
        ++started;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (started < 4 && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (started < 4) allMet = false;
    });
    EXPECT_TRUE(allMet);
}

// A task that throws stops the handing out; the first exception arrives once every thread has
// stopped, and the threads serve the next round as before.
TEST(WorkerThreads, TheFirstExceptionOfATaskIsThrownAfterEveryThreadStopped) {
    WorkerThreads workers(3);
    std::atomic<int> running{0};
    std::atomic<int> ran{0};
    EXPECT_THROW(workers.ForEach(1000,
                                 [&](std::size_t i) {
                                     ++running;
                                     ++ran;
                                     std::this_thread::sleep_for(std::chrono::microseconds(100));
                                     --running;
                                     if (i == 10) throw std::runtime_error("task 10");
                                 }),
                 std::runtime_error);
    EXPECT_EQ(running, 0);
    EXPECT_LT(ran, 1000);
    std::atomic<int> next{0};
    workers.ForEach(50, [&](std::size_t) { ++next; });
    EXPECT_EQ(next, 50);
}

}  // namespace

}  // namespace mirabel
