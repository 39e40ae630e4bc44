#pragma once

#include "search/ResultRow.h"
#include "store/ByteStream.h"

#include <cstddef>
#include <string>

namespace quillory {

// Writes rows 0 to count-1 of `rows` as CSV lines to `output`, a batch of
// rows at a time, so the list is never held whole as text. The rows are read
// on every core at once. Raises the output's own Error, or, when the output
// takes fewer bytes than it was given, Error with the system's description of
// the failed write ("No space left on device").
void WriteCsv(const ResultRowSource& rows, std::size_t count, ByteOutput& output);

// Writes the rows into the file `path`, creating or replacing it. A new file,
// or a regular one (reached through symbolic links or not), is written beside
// it under a hidden name of its own, flushed, and renamed into place only when
// complete: a failure leaves the old file, or none, never a part of the list.
// Anything else (a device, a pipe) is written in place. Raises Error with the
// system's description when the file cannot be created, written or put in
// place.
void ExportCsv(const ResultRowSource& rows, std::size_t count, const std::string& path);

} // namespace quillory
