#include "scan/ScanCD.h"

#include "common/Error.h"
#include "common/FileSystem.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "index/PartTrust.h"
#include "index/WrittenCatalogPart.h"
#include "scan/CatalogWriter.h"
#include "scan/DosAttributes.h"
#include "scan/InputLocation.h"
#include "scan/Walk.h"
#include "store/BZip2.h"
#include "store/CatalogName.h"
#include "store/DatabaseAccess.h"
#include "store/TemporaryFile.h"

#include <unistd.h>

namespace quillory {

namespace {

// Writes the walk of the input location into `output`, a catalog for `target`.
void WriteCatalog(const std::string& location, ByteOutput& output, const std::string& target,
                  const MountedVolumes& volumes,
                  const std::function<void(std::uint64_t)>& progress) {
    CatalogWriter writer(output, target, progress);
    // Whether to ask for DOS attributes is decided once, for the file system
    // holding the location, so other file systems pay nothing.
    const std::string real = RealPath(location);
    const auto attributes = DosAttributesFor(FileSystemTypeOf(real, volumes.Mounted), real);
    AddItems(location, TopDirectoryText(location, volumes), writer, attributes.get());
    writer.Flush();
}

} // namespace

bool IsLocationAvailable(const std::string& location, const MountedVolumes& volumes) {
    const std::string real = RealPath(location);
    if (real.empty() || ::access(real.c_str(), R_OK | X_OK) != 0)
        return false;
    const auto entries = VisibleEntries(real);
    if (!entries)
        return false;
    return !entries->empty() ||
           (!IsMountPoint(real, volumes.Mounted) && !IsMountPoint(real, volumes.Configured));
}

std::string TopDirectoryText(const std::string& location, const MountedVolumes& volumes) {
    const std::string real = RealPath(location);
    const std::string mountPoint = MountPointFor(real, volumes.Mounted);
    std::string below = mountPoint == "/" ? real : real.substr(mountPoint.size());
    std::string text = "\\";
    for (char c : below) {
        if (c == '/') {
            if (text.back() != '\\')
                text += '\\';
        } else {
            text += c;
        }
    }
    if (text.back() != '\\')
        text += '\\';
    return text;
}

ScanResult ScanCD(const OpenDatabase& database, const std::string& inputDir,
                  const CatalogName& disk, const MountedVolumes& volumes,
                  const std::function<void(std::uint64_t)>& progress) {
    if (inputDir.empty())
        throw Error(msg::NoInputLocation);
    CheckCatalogName(disk);
    // The database is held for the whole scan, and its form is read under the
    // hold: a conversion that ran meanwhile decides how the catalog is stored.
    const DatabaseAccess access(database, LockKind::Exclusive);
    ScanResult result;
    const std::optional<std::string> location = ScannedDirectory(inputDir, volumes.Mounted);
    if (!location || !IsLocationAvailable(*location, volumes))
        return result;
    const std::string target = access.CatalogPath(disk);
    TemporaryFile plain(access.Path(), target);
    // The new catalog's search index part is made from its text as it is
    // written, on another core, and finished while the catalog is put in place.
    WrittenCatalogPart part(plain);
    try {
        WriteCatalog(*location, part, target, volumes, progress);
        part.End(access.Path());
        if (!access.Compressed())
            plain.Commit();
    } catch (const Error& error) {
        result.Outcome = ScanOutcome::WriteFailed;
        result.Failure = error.what();
        return result;
    }
    std::optional<std::uint64_t> packedCheck;
    if (access.Compressed()) {
        plain.Finish();
        TemporaryFile packed(access.Path(), target);
        Compress(plain.Path(), packed.Path(), true);
        packedCheck = BytesCheckOf(packed.Path());
        packed.Commit();
    }
    result.Outcome = ScanOutcome::Written;
    result.CatalogFile = CatalogFileName(disk, access.Compressed());
    part.Store(access.Path(), result.CatalogFile, packedCheck);
    return result;
}

} // namespace quillory
