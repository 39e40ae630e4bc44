#pragma once

#include <cstddef>
#include <functional>

namespace quillory {

// Runs `work(i)` for every i in [0, count) on every core, each thread taking
// the next i in turn. Once a call has failed no later i is started, every
// earlier one still runs, and when all threads have stopped the failure of the
// smallest i is raised: the error reported is the one a one-at-a-time run
// would have met first.
void ForEachInParallel(std::size_t count, const std::function<void(std::size_t)>& work);

// The number of threads the loops above run on: one per core.
std::size_t CoreCount();

// Makes the threads the loops run on, unless they are there already. A new
// thread takes a millisecond or more to settle on a core of its own, which a
// program spends better before its first loop than in it.
void StartWorkers();

// Cuts [0, count) into one slice per core and runs `work(slice, first, last)`
// for each, in parallel and with failures handled as above: for loops whose
// single steps are too small to be handed out one by one.
void ForEachSlice(
    std::size_t count,
    const std::function<void(std::size_t slice, std::size_t first, std::size_t last)>& work);

} // namespace quillory
