#pragma once

#include "cli/Command.h"

#include <chrono>
#include <string>

namespace quillory {

// How far long work has come, on one line of standard error while it is a
// terminal (nothing otherwise): each Show replaces the line, and the line is
// cleared when the work ends, whether it succeeded or failed, so the prompt
// comes back on a clean line.
class ProgressLine {
public:
    explicit ProgressLine(const CommandContext& context);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Show(const std::string& text);

    // Whether a new text would be seen: the line is on a terminal, and it was
    // last shown long enough ago to have been read. Work that advances in many
    // small steps asks this before making its text.
    bool Due() const;

private:
    static constexpr std::chrono::milliseconds Interval{100};

    std::ostream& err_;
    bool terminal_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastShown_;
};

} // namespace quillory
