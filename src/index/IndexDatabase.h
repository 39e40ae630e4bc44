#pragma once

#include "store/OpenDatabase.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quillory {

// Told how many catalogs of how many have been looked at.
using IndexProgress = std::function<void(std::size_t done, std::size_t total)>;

struct IndexOptions {
    IndexProgress Progress;
    // Turns true to end the run early; what is made so far is kept.
    const std::atomic<bool>* Stop = nullptr;
    // Every catalog in the calling thread, one after another (a background
    // job at low priority), rather than one per core.
    bool OneAtATime = false;
};

// What a run of IndexDatabase left.
struct IndexReport {
    std::size_t Catalogs = 0; // of the database
    std::size_t Indexed = 0;  // with a current part at the end
    std::size_t Made = 0;     // parts made or stamped anew by this run
    // A line for each catalog left without a part: its file name, then why.
    std::vector<std::string> Problems;
    // Why the index folder took nothing more, when it did not.
    std::string StoreFailure;
    bool Stopped = false;

    bool Complete() const { return Indexed == Catalogs && StoreFailure.empty() && !Stopped; }
};

// Makes the search index part of every catalog of `database` that has no
// current one, several at once, one per core: a catalog that cannot be read
// or is too large or too odd for a part is passed over and told in the
// report. A part made from a catalog that had changed just before is
// stamped anew once its change has settled (see PartTrust.h). Then the
// index's segments are merged when they are many or hold much that is no
// longer current, and the indexes of databases that are gone are removed.
// Raises the lock's Error and that of a database directory that cannot be read.
IndexReport IndexDatabase(const OpenDatabase& database, const IndexOptions& options = {});

// Removes the search index of `database`; raises Error when some of it stays.
void DropIndex(const OpenDatabase& database);

} // namespace quillory
