#pragma once

#include "cli/Command.h"
#include "store/OpenDatabase.h"

#include <string>

namespace quillory {

// The database root: --root when given, else DatabaseDir from the settings.
// Raises Error when there is neither.
std::string DatabaseRoot(const CommandContext& context);

// The directory of database `name` under the root; raises Error when the name
// is not acceptable or there is no such database (a directory without a
// marker is none).
std::string ExistingDatabasePath(const CommandContext& context, const std::string& name);

// Database `name` open, as the desktop program has it after "Open/New": its
// form comes from its marker. Raises Error when there is no such database.
OpenDatabase OpenedDatabase(const CommandContext& context, const std::string& name);

} // namespace quillory
