#pragma once

#include "index/SegmentWriter.h"

#include <atomic>
#include <string>

namespace quillory {

// Raised when a catalog changed while its part was being made.
struct CatalogChanged {};

// Reads catalog `name` of the database directory open as `directory` and
// writes its part into `writer`, stamped with what the reading saw. A line
// too long for a part ends the reading at once, before the line is held.
// Raises PartRefused, the catalog's Error, CatalogChanged, ReadingStopped
// (once `stop` turns true) and the writer's Error.
void IndexCatalog(int directory, const std::string& name, bool compressed, SegmentWriter& writer,
                  const std::atomic<bool>* stop = nullptr);

} // namespace quillory
