#pragma once

#include "cli/Command.h"

#include <memory>

namespace quillory {

// quillory-cli [--root DIR] COMMAND ...: global options, the usage text and the
// dispatch to one Command. Returns the exit status.
int RunCommandLine(const std::vector<std::string>& arguments, SettingsStore& store,
                   std::ostream& out, std::ostream& err);

} // namespace quillory
