#pragma once

#include <chrono>

namespace quillory {

// Lets a progress report through at most ten times a second, the first at
// once: a person reads no more, and an indexed search starts thousands of
// catalogs a second. Work that advances in many small steps asks Due before
// making its text; one caller at a time.
class ProgressPace {
public:
    bool Due() {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < Interval)
            return false;
        last_ = now;
        return true;
    }

private:
    static constexpr std::chrono::milliseconds Interval{100};
    std::chrono::steady_clock::time_point last_{};
};

} // namespace quillory
