#pragma once

#include "store/ConversionJournal.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quillory {

// Told how many catalogs of how many are converted; called from the converting
// threads, one call at a time.
using ConversionProgress = std::function<void(std::size_t done, std::size_t total)>;

// Hears, under the database's exclusive hold, of the catalogs a conversion
// replaces (each step's files in the database directory): first while the
// old files are still there and the new ones are written under their hidden
// names, then once the new ones are in place; nothing more after a failure.
class ConversionWatcher {
public:
    virtual ~ConversionWatcher() = default;
    virtual void Converting(const std::string& path, const std::vector<ConversionStep>& steps) = 0;
    virtual void Converted(const std::string& path, const std::vector<ConversionStep>& steps) = 0;
};

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
void CompressDirectory(const std::string& path, const ConversionProgress& progress = {},
                       ConversionWatcher* watcher = nullptr);
void DecompressDirectory(const std::string& path, const ConversionProgress& progress = {},
                         ConversionWatcher* watcher = nullptr);

} // namespace quillory
