#pragma once

#include "search/ResultRow.h"

#include <string>

namespace quillory {

// One line of the CSV export (and of the command line's find and list) from a
// row's six cell texts: Name, Directory, Disk Name, id# and Size each followed
// by ", ", then the Date/Time cell without its last eight characters (the date
// and its alignment spaces) and "," alone, then those eight characters (the
// time), then CR LF. Nothing is quoted or trimmed.
std::string CsvLine(const ResultRow& cells);

} // namespace quillory
