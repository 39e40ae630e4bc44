#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace quillory {

class SettingsStore;

// quillory-cli [--root DIR] COMMAND ...: the program's own options, the usage
// texts, and the dispatch to one verb, whose arguments are read by its syntax.
// `out` and `err` are standard output and standard error; progress is shown on
// `err` only when `errIsTerminal`. Returns the exit status.
int RunCommandLine(const std::vector<std::string>& arguments, SettingsStore& store,
                   std::ostream& out, std::ostream& err, bool errIsTerminal);

} // namespace quillory
