#include "scan/ScanCD.h"

#include "common/Error.h"
#include "common/FileSystem.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "scan/CatalogWriter.h"
#include "scan/Walk.h"
#include "store/BZip2.h"
#include "store/FileStream.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace quillory {

namespace {

std::string RealPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

// Writes the walk of the input location into `temporary`.
void WriteCatalog(const std::string& inputDir, const std::string& temporary,
                  const MountedVolumes& volumes,
                  const std::function<void(std::uint64_t)>& progress) {
    FileOutput output(temporary);
    CatalogWriter writer(output, temporary, progress);
    AddItems(inputDir, TopDirectoryText(inputDir, volumes), writer);
    writer.Flush();
    if (!output.Close())
        throw Error(FormatMessage(msg::CannotWriteFile, temporary));
}

void PutInPlace(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0)
        throw Error(FormatMessage(msg::CannotCreateFile, to));
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
    ScanResult result;
    if (!IsLocationAvailable(inputDir, volumes))
        return result;

    const std::string plainName = CatalogFileName(disk, false);
    const std::string target = JoinPath(database.Path, plainName);
    const std::string temporary = TemporaryPathFor(target);
    try {
        WriteCatalog(inputDir, temporary, volumes, progress);
    } catch (const Error& error) {
        ::unlink(temporary.c_str());
        result.Outcome = ScanOutcome::WriteFailed;
        result.Failure = error.what();
        return result;
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }

    result.Outcome = ScanOutcome::Written;
    if (!database.Compressed) {
        PutInPlace(temporary, target);
        result.CatalogFile = plainName;
        return result;
    }
    const std::string compressed = target + CompressedSuffix;
    const std::string compressedTemporary = TemporaryPathFor(compressed);
    try {
        Compress(temporary, compressedTemporary, true);
        PutInPlace(compressedTemporary, compressed);
    } catch (...) {
        ::unlink(temporary.c_str());
        ::unlink(compressedTemporary.c_str());
        throw;
    }
    ::unlink(temporary.c_str());
    result.CatalogFile = plainName + CompressedSuffix;
    return result;
}

} // namespace quillory
