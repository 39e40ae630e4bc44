#pragma once

#include "cli/CommandSyntax.h"

#include <ostream>
#include <vector>

namespace quillory {

// The usage of the whole command line: how it is called, its own options and
// one entry per verb (its synopsis and what it does), as --help prints it.
void WriteUsage(std::ostream& stream, const std::vector<const CommandSyntax*>& verbs);

// The usage of one verb, as COMMAND --help prints it.
void WriteVerbUsage(std::ostream& stream, const CommandSyntax& verb);

} // namespace quillory
