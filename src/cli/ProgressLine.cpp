#include "cli/ProgressLine.h"

#include "cli/TerminalText.h"

namespace quillory {

namespace {

// Back to the start of the line, then erase to its end.
constexpr char ClearLine[] = "\r\x1b[K";

} // namespace

ProgressLine::ProgressLine(const CommandContext& context)
    : err_(context.Err), terminal_(context.Terminal.Err) {}

ProgressLine::~ProgressLine() {
    if (shown_)
        err_ << ClearLine << std::flush;
}

void ProgressLine::Show(const std::string& text) {
    if (!terminal_)
        return;
    err_ << ClearLine << TerminalText(text) << std::flush;
    shown_ = true;
}

} // namespace quillory
