#pragma once

#include "cli/Command.h"
#include "search/FindFile.h"
#include "search/ResultList.h"

#include <functional>
#include <vector>

namespace quillory {

// The options saying how a search's matches are written: --format (the
// export lines by default, or csv, tsv, json, ndjson), --bom (csv and tsv)
// and --output FILE (else standard output).
const std::vector<Option>& ResultOutputOptions();

// Raises UsageError when --bom is given with a format that takes none.
void CheckResultOutput(const ParsedArguments& arguments);

// Whether the matches are written as each catalog's are found, with no list
// of them all: ndjson, when `sorted` is false.
bool WritesAsFound(const ParsedArguments& arguments, bool sorted);

// Writes `results`, in their order, as the options ask.
void WriteResults(CommandContext& context, const ResultList& results);

// Runs `search`, writing the matches it hands to the sink as they come.
void WriteAsFound(CommandContext& context,
                  const std::function<void(const CatalogSink& sink)>& search);

} // namespace quillory
