#pragma once

#include "scan/MountTable.h"
#include "store/CatalogName.h"
#include "store/OpenDatabase.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quillory {

// Whether the input location can be scanned: it exists and can be read, and
// it is not an empty mount point (a drive without a disc). Any other
// directory is available even when empty.
bool IsLocationAvailable(const std::string& location, const MountedVolumes& volumes);

// The directory text of the location's top entries: its path below the mount
// point of the file system holding it, with "\" separators, beginning and
// ending with "\" ("\" for the mount point itself).
std::string TopDirectoryText(const std::string& location, const MountedVolumes& volumes);

enum class ScanOutcome {
    NotAvailable, // nothing written: "Disk not available to scan. Please retry."
    Written,      // the catalog is complete on disk
    WriteFailed,  // nothing of the new catalog remains; a catalog it replaced is intact
};

struct ScanResult {
    ScanOutcome Outcome = ScanOutcome::NotAvailable;
    std::string CatalogFile; // the catalog's file name once written
    std::string Failure;     // why the write failed
};

// Scans the input location `inputDir` (a directory, or a drive read where its
// medium is mounted: not available without one) into the catalog of disk
// `disk` in the open database, holding the database alone for the whole scan and storing
// the catalog in the form its marker says then. The catalog is written under
// a hidden name of its own, flushed to stable storage and put in place
// (compressed first, in a compressed database) only when complete, so a
// failed scan never destroys the catalog it was replacing, and two scans
// never mix. Raises the name's Error (CheckCatalogName), the lock's, and the
// codec's; a failed write is a WriteFailed result naming the catalog.
// `progress`, when given, hears the number of entries written now and then.
ScanResult ScanCD(const OpenDatabase& database, const std::string& inputDir,
                  const CatalogName& disk, const MountedVolumes& volumes,
                  const std::function<void(std::uint64_t entries)>& progress = {});

} // namespace quillory
