#pragma once

#include "cli/CommandSyntax.h"
#include "cli/ParsedArguments.h"
#include "cli/TerminalText.h"

#include <ostream>
#include <string>

namespace quillory {

class SettingsStore;

// Which of the command line's output streams are terminals.
struct Terminals {
    bool Out = false;
    bool Err = false; // then long work shows its progress there
};

// What every verb of quillory-cli gets: its arguments read by its syntax, the
// database root given by --root (empty when none), the settings store, the
// two output streams, and which of them are terminals.
struct CommandContext {
    ParsedArguments Arguments;
    std::string Root;
    SettingsStore& Store;
    std::ostream& Out;
    std::ostream& Err;
    Terminals Terminal;

    // A name or message as it may be written to standard output or standard
    // error: with its control characters escaped where that is a terminal,
    // byte for byte where it is a file or a pipe.
    std::string ForOut(std::string_view text) const { return ForStream(text, Terminal.Out); }
    std::string ForErr(std::string_view text) const { return ForStream(text, Terminal.Err); }
};

// Exit statuses: 0 success, 1 a failure with its message on standard error,
// 2 wrong usage.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;

// One verb of the command line: its syntax, declared once, and its work.
// Failures are raised as quillory::Error (wrong usage found late as
// UsageError); the command line prints their text and sets the exit status.
class Command {
public:
    virtual ~Command() = default;
    virtual const CommandSyntax& Syntax() const = 0;
    virtual void Execute(CommandContext& context) = 0;
};

} // namespace quillory
