#include "common/Parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quillory {

namespace {

// Threads kept for the loops below, one for each core but the caller's. A
// new thread often starts on the core of the thread that made it and waits
// there a millisecond or more until the scheduler moves one of them, where a kept
// thread that is woken starts at once on an idle core: a search makes
// several short loops, and their start-up would be a good part of its time.
class Workers {
public:
    // The threads of this process, made at first use.
    static Workers& OfThisProcess() {
        static std::mutex made;
        static Workers* workers = nullptr;
        static pid_t owner = 0;
        const std::lock_guard lock(made);
        // A forked child has none of its parent's threads. The threads wait
        // for work as long as the process lives, so they are never freed.
        if (!workers || owner != ::getpid()) {
            workers = new Workers(CoreCount() - 1);
            owner = ::getpid();
        }
        return *workers;
    }

    // Runs `run` on every kept thread and on the caller at once, and returns
    // when all are done; false, having run nothing, when another loop is
    // using the threads (a loop within a loop, or loops of two threads).
    bool RunEverywhere(const std::function<void()>& run) {
        if (busy_.exchange(true, std::memory_order_acquire))
            return false;
        {
            const std::lock_guard lock(mutex_);
            run_ = &run;
            running_ = threads_;
            ++round_;
        }
        wake_.notify_all();
        // The threads use `run` until they are done, even when it fails here.
        const struct Finish {
            Workers& Of;
            ~Finish() {
                std::unique_lock lock(Of.mutex_);
                Of.finished_.wait(lock, [this] { return Of.running_ == 0; });
                Of.busy_.store(false, std::memory_order_release);
            }
        } finish{*this};
        run();
        return true;
    }

private:
    // As many threads as the system gives, up to `threads`.
    explicit Workers(std::size_t threads) {
        for (; threads_ < threads; ++threads_) {
            try {
                std::thread([this] { Serve(); }).detach();
            } catch (...) { // no thread, or no memory for one
                break;
            }
        }
    }

    void Serve() {
        std::uint64_t seen = 0;
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return round_ != seen; });
            seen = round_;
            const std::function<void()>& run = *run_;
            lock.unlock();
            run();
            lock.lock();
            if (--running_ == 0)
                finished_.notify_one();
        }
    }

    std::size_t threads_ = 0;
    // Set while a loop uses the threads; a flag, not a mutex, as the thread
    // holding it asks again when a step of its loop runs a loop.
    std::atomic<bool> busy_ = false;
    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    const std::function<void()>* run_ = nullptr;
    std::uint64_t round_ = 0;
    std::size_t running_ = 0;
};

} // namespace

void ForEachInParallel(std::size_t count, const std::function<void(std::size_t)>& work) {
    std::atomic<std::size_t> next{0};
    // The smallest i that has failed (count: none). A thread that took an
    // earlier i while a later one failed still runs it.
    std::atomic<std::size_t> firstFailure{count};
    std::mutex mutex;
    std::exception_ptr failure;
    const std::function<void()> run = [&] {
        for (std::size_t i = next++; i < firstFailure; i = next++) {
            try {
                work(i);
            } catch (...) {
                const std::lock_guard lock(mutex);
                if (i < firstFailure) {
                    firstFailure = i;
                    failure = std::current_exception();
                }
            }
        }
    };
    const std::size_t threads = std::min(CoreCount(), count);
    if (threads <= 1) {
        run();
    } else if (!Workers::OfThisProcess().RunEverywhere(run)) {
        std::vector<std::jthread> workers;
        for (std::size_t t = 1; t < threads; ++t)
            workers.emplace_back(run);
        run();
    }
    if (failure)
        std::rethrow_exception(failure);
}

void StartWorkers() {
    if (CoreCount() > 1)
        Workers::OfThisProcess();
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
