#pragma once

#include "cli/CommandSyntax.h"
#include "cli/ParsedArguments.h"

#include <ostream>
#include <string>

namespace quillory {

class SettingsStore;

// What every verb of quillory-cli gets: its arguments read by its syntax, the
// database root given by --root (empty when none), the settings store, the
// two output streams, and whether standard error is a terminal (then long
// work shows its progress there).
struct CommandContext {
    ParsedArguments Arguments;
    std::string Root;
    SettingsStore& Store;
    std::ostream& Out;
    std::ostream& Err;
    bool ErrIsTerminal = false;
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
