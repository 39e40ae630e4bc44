#include "common/Parallel.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quillory {
namespace {

// Runs a loop of `count` steps and counts how often each step ran.
std::vector<int> TimesRun(std::size_t count) {
    std::vector<std::atomic<int>> runs(count);
    ForEachInParallel(count, [&](std::size_t i) { ++runs[i]; });
    std::vector<int> times;
    for (const auto& run : runs)
        times.push_back(run.load());
    return times;
}

TEST(ParallelTest, LoopsAfterLoopsRunEveryStepOnceAndRaiseTheFirstFailure) {
    StartWorkers();
    for (int round = 0; round < 200; ++round) {
        for (const std::size_t count : {0u, 1u, 2u, 3u, 17u}) {
            ASSERT_EQ(TimesRun(count), std::vector<int>(count, 1)) << round << " " << count;
        }
        // Steps 5, 9 and 30 fail; the one a loop in order would meet first is raised.
        try {
            ForEachInParallel(40, [](std::size_t i) {
                if (i == 5 || i == 9 || i == 30)
                    throw std::runtime_error(std::to_string(i));
            });
            FAIL() << "no failure raised";
        } catch (const std::runtime_error& error) {
            ASSERT_STREQ(error.what(), "5");
        }
    }
}

TEST(ParallelTest, LoopsWithinLoopsOnTwoThreadsAndInAForkedChildFinish) {
    const auto nested = [] {
        std::atomic<int> steps = 0;
        ForEachInParallel(8, [&](std::size_t) {
            ForEachSlice(10, [&](std::size_t, std::size_t first, std::size_t last) {
                steps += static_cast<int>(last - first);
            });
        });
        return steps.load();
    };
    std::atomic<int> other = 0;
    std::thread second([&] {
        for (int i = 0; i < 50; ++i)
            other += nested();
    });
    int here = 0;
    for (int i = 0; i < 50; ++i)
        here += nested();
    second.join();
    EXPECT_EQ(here, 50 * 80);
    EXPECT_EQ(other.load(), 50 * 80);

    // The child has none of the parent's threads, and its loops must not wait for them.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(10);
        ::_exit(nested() == 80 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace
} // namespace quillory
