#pragma once

#include "store/CompressionMode.h"

#include <string>

namespace quillory {

// Converts database directory `path` to the compressed form (or back) as
// CompressDirectory does, keeping the search index's parts of its catalogs:
// a catalog's records do not change with its form, so each current part
// passes to the new file instead of being made again.
void ConvertKeepingIndex(const std::string& path, bool compress,
                         const ConversionProgress& progress = {});

} // namespace quillory
