#include "common/Parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace quillory {

void ForEachInParallel(std::size_t count, const std::function<void(std::size_t)>& work) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex mutex;
    std::size_t firstFailure = count;
    std::exception_ptr failure;
    const auto run = [&] {
        for (std::size_t i = next++; i < count && !failed; i = next++) {
            try {
                work(i);
            } catch (...) {
                const std::lock_guard lock(mutex);
                failed = true;
                if (i < firstFailure) {
                    firstFailure = i;
                    failure = std::current_exception();
                }
            }
        }
    };
    {
        const std::size_t threads = std::min(CoreCount(), count);
        std::vector<std::jthread> workers;
        for (std::size_t t = 1; t < threads; ++t)
            workers.emplace_back(run);
        run();
    }
    if (failure)
        std::rethrow_exception(failure);
}

std::size_t CoreCount() {
    return std::max(1u, std::thread::hardware_concurrency());
}

void ForEachSlice(std::size_t count,
                  const std::function<void(std::size_t, std::size_t, std::size_t)>& work) {
    const std::size_t length = (count + CoreCount() - 1) / CoreCount();
    const std::size_t slices = length == 0 ? 0 : (count + length - 1) / length;
    ForEachInParallel(slices, [&](std::size_t slice) {
        const std::size_t first = slice * length;
        work(slice, first, std::min(count, first + length));
    });
}

} // namespace quillory
