#pragma once

#include "cli/Command.h"

#include <ostream>
#include <string>
#include <vector>

namespace quillory {

// quillory-cli [--root DIR] COMMAND ...: the program's own options, the usage
// texts, and the dispatch to one verb, whose arguments are read by its syntax.
// `out` and `err` are standard output and standard error, and `terminals`
// says which of them are terminals: progress is shown on `err` only when it
// is one, and names go to a terminal with their control characters escaped.
// Returns the exit status.
int RunCommandLine(const std::vector<std::string>& arguments, SettingsStore& store,
                   std::ostream& out, std::ostream& err, Terminals terminals);

} // namespace quillory
