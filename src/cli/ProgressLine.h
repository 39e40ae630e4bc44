#pragma once

#include "cli/Command.h"

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

private:
    std::ostream& err_;
    bool terminal_;
    bool shown_ = false;
};

} // namespace quillory
