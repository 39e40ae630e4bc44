#pragma once

#include "store/ByteStream.h"

#include <functional>
#include <string>
#include <string_view>

namespace quillory {

// Writes all of `bytes` to `output`. Raises the output's own Error, or, when
// the output takes fewer bytes than it was given, Error with the system's
// description of the failed write ("No space left on device").
void WriteAll(ByteOutput& output, std::string_view bytes);

// Writes the text of items 0 to count-1 in order, made on every core a batch
// at a time: `append` appends the text of item `index` to `text`. Making the
// text costs more than writing it, and the whole text is never held at once.
void WriteInBatches(std::size_t count,
                    const std::function<void(std::size_t index, std::string& text)>& append,
                    ByteOutput& output);

// Creates or replaces the file `path` with what `write` writes to the output
// it is given. A new file, or a regular one (reached through symbolic links or
// not), is written beside it under a hidden name of its own, flushed, and
// renamed into place only when complete: a failure (of the file or of
// `write`, whose exception passes on) leaves the old file, or none, never a
// part. Anything else (a device, a pipe) is written in place. Raises Error
// with the system's description when the file cannot be created, written or
// put in place.
void ExportToFile(const std::string& path, const std::function<void(ByteOutput&)>& write);

} // namespace quillory
