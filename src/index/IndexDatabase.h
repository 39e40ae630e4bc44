#pragma once

#include "store/OpenDatabase.h"

#include <cstddef>
#include <functional>

namespace quillory {

// Told how many catalogs of how many have a current index part.
using IndexProgress = std::function<void(std::size_t done, std::size_t total)>;

// Makes the search index part of every catalog of `database` that has no
// current one, several at once, one per core, and removes the parts of
// catalogs that are gone. Raises the lock's Error and that of the first
// catalog that cannot be read.
void IndexDatabase(const OpenDatabase& database, const IndexProgress& progress = {});

// Removes the search index of `database`.
void DropIndex(const OpenDatabase& database);

} // namespace quillory
