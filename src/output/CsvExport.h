#pragma once

#include "search/ResultRow.h"

#include <cstddef>
#include <string>

namespace quillory {

// Writes rows 0 to count-1 of `rows` as CSV lines to the open file `fd`, a row
// at a time, so the file is never held whole. Raises Error with the system's
// description of a failed write ("No space left on device").
void WriteCsv(const ResultRowSource& rows, std::size_t count, int fd);

// Creates (or replaces) the file `path` and writes the rows into it. Raises
// Error with the system's description when the file cannot be created,
// written or closed; lines written before a failure stay in the file.
void ExportCsv(const ResultRowSource& rows, std::size_t count, const std::string& path);

} // namespace quillory
