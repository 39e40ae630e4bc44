#pragma once

#include "store/OpenDatabase.h"

#include <ostream>
#include <string>
#include <vector>

namespace quillory {

class SettingsStore;

// What every command of quillory-cli gets: its arguments after the command
// name, the database root given by --root (empty when none), the settings
// store and the two output streams.
struct CommandContext {
    std::vector<std::string> Arguments;
    std::string Root;
    SettingsStore& Store;
    std::ostream& Out;
    std::ostream& Err;
};

// Exit statuses: 0 success, 1 a failure with its message on standard error,
// 2 wrong usage.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;

// One verb of the command line. Errors are raised as quillory::Error; the
// command line prints their text and exits with status 1.
class Command {
public:
    virtual ~Command() = default;
    virtual std::string Name() const = 0;
    // The usage line's arguments after the name, and a one-line description.
    virtual std::string Synopsis() const = 0;
    virtual std::string Description() const = 0;
    virtual int Execute(CommandContext& context) = 0;
};

// The database root: --root when given, else DatabaseDir from the settings.
// Raises Error when there is neither.
std::string DatabaseRoot(const CommandContext& context);

// The directory of database `name` under the root; raises Error when the name
// is not acceptable or there is no such database.
std::string ExistingDatabasePath(const CommandContext& context, const std::string& name);

// Database `name` open, as the desktop program has it after "Open/New": its
// form comes from its marker (plain without one). Raises Error when there is
// no such database.
OpenDatabase OpenedDatabase(const CommandContext& context, const std::string& name);

// Whether progress lines should go to standard error (it is a terminal).
bool ShowProgress();

} // namespace quillory
