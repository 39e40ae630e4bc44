#pragma once

#include "search/ResultRow.h"

#include <string>

namespace quillory {

// Appends to `out` one line of the CSV export (and of the command line's find
// and list) from a row's six cell texts: Name, Directory, Disk Name, id# and
// Size each followed by ", ", then the Date/Time cell without its last eight
// characters (the date and its alignment spaces) and "," alone, then those
// eight characters (the time), then CR LF. Nothing is quoted or trimmed.
void AppendCsvLine(const ResultRow& cells, std::string& out);

} // namespace quillory
