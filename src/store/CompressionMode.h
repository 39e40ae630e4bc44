#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace quillory {

// Told how many catalogs of how many are converted; called from the converting
// threads, one call at a time.
using ConversionProgress = std::function<void(std::size_t done, std::size_t total)>;

// Converts every plain catalog of the database directory `path` to compressed
// form ("X!1.txt" becomes "X!1.txt.bz2") and marks the database compressed.
// DecompressDirectory is the mirror. Catalogs are independent, so several are
// converted at once, one per core; the files written are the same as one at a
// time. Hidden files are left alone.
//
// Nothing is lost on failure: every catalog is first written under a hidden
// temporary name; only when all are complete are they put in place, the old
// catalogs deleted and the markers replaced. A failure (a damaged catalog, a
// full disk) removes the temporary files, leaves the old catalogs and the old
// marker as they were, and raises the Error of the first catalog that failed.
void CompressDirectory(const std::string& path, const ConversionProgress& progress = {});
void DecompressDirectory(const std::string& path, const ConversionProgress& progress = {});

} // namespace quillory
