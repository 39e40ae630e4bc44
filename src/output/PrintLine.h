#pragma once

#include "search/ResultRow.h"
#include "settings/Settings.h"

#include <string>
#include <string_view>

namespace quillory {

// `text` fitted to `width` characters: cut to its first `width` characters
// when longer, whatever the alignment; otherwise padded with spaces after it
// (left-aligned) or before it (right-aligned). A width of 0 or less gives
// nothing. Characters are counted as UTF-8 characters, never split.
std::string FitText(std::string_view text, int width, bool rightAligned);

// A row's printed line: each printed column's cell fitted to its width (id#
// and Size right-aligned, the others left-aligned), followed by one space
// except after Date/Time. A column that is not printed leaves no trace.
std::string PrintLine(const ResultRow& cells, const Settings& settings);

} // namespace quillory
