#pragma once

#include "cli/Command.h"
#include "common/ProgressPace.h"

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

    // Whether a new text would be seen: the line is on a terminal, and the
    // last one has been up long enough to be read (see ProgressPace). Work
    // that advances in many small steps asks this before making its text.
    bool Due() { return terminal_ && pace_.Due(); }

private:
    std::ostream& err_;
    bool terminal_;
    bool shown_ = false;
    ProgressPace pace_;
};

} // namespace quillory
