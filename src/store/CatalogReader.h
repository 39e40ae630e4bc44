#pragma once

#include "store/ByteStream.h"
#include "store/CatalogRecord.h"

#include <string>

namespace quillory {

// Hands every record of the catalog file at `path` to `consumer`, in file
// order. A compressed catalog is decoded on the fly through the bzip2 codec,
// so no scratch file is written and a database on read-only media can be read.
// Raises the file's or the codec's Error; the records before the failure have
// been handed over by then.
void ReadCatalog(const std::string& path, bool compressed, const RecordConsumer& consumer);

// The same, handing the catalog's text to `sink` as it is read or decoded.
void ReadCatalogText(const std::string& path, bool compressed, CatalogTextSink& sink);
// The same from `input`, a catalog's bytes.
void ReadCatalogText(ByteInput& input, bool compressed, CatalogTextSink& sink);

} // namespace quillory
