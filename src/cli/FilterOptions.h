#pragma once

#include "cli/CommandSyntax.h"
#include "cli/ParsedArguments.h"
#include "search/RecordFilters.h"

#include <memory>
#include <vector>

namespace quillory {

// The options of a search's further tests: --regex (with --case-sensitive),
// --glob, --ext, --size and --type.
const std::vector<Option>& FilterOptions();

// The tests those options ask for, the regular expression in the fields
// --in names (in either with "both"); nothing when none is given. Raises
// UsageError naming a value that cannot be taken.
std::shared_ptr<const RecordFilters> ReadFilters(const ParsedArguments& arguments);

} // namespace quillory
