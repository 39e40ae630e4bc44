#include "store/CompressionMode.h"

#include "common/Error.h"
#include "common/FileOperations.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Parallel.h"
#include "common/Path.h"
#include "store/BZip2.h"
#include "store/CatalogName.h"
#include "store/ConversionJournal.h"
#include "store/Database.h"
#include "store/DatabaseAccess.h"
#include "store/TemporaryFile.h"

#include <cerrno>
#include <memory>
#include <mutex>
#include <vector>

namespace quillory {

namespace {

std::string FileName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// Compressing appends ".bz2" to the whole name; decompressing removes exactly
// those four characters again.
std::string ConvertedName(const std::string& name, bool compress) {
    return compress ? name + CompressedSuffix : name.substr(0, name.size() - 4);
}

// Writes every catalog of the other form into a hidden file of its own, on
// every core, each flushed to stable storage. A failure of the codec is told
// after the catalog's file name. The files go with the returned
// objects unless they are kept.
std::vector<std::unique_ptr<TemporaryFile>> WriteConverted(const std::string& path,
                                                           const std::vector<std::string>& sources,
                                                           bool compress,
                                                           const ConversionProgress& progress) {
    std::vector<std::unique_ptr<TemporaryFile>> converted(sources.size());
    std::mutex mutex;
    std::size_t done = 0;
    ForEachInParallel(sources.size(), [&](std::size_t i) {
        auto file = std::make_unique<TemporaryFile>(
            path, JoinPath(path, ConvertedName(sources[i], compress)));
        try {
            Compress(JoinPath(path, sources[i]), file->Path(), compress);
        } catch (const CodecError& error) {
            // The codec's text alone does not tell which catalog failed.
            throw Error(FormatMessage(msg::CatalogProblem, {sources[i], error.what()}));
        }
        file->Finish();
        const std::lock_guard lock(mutex);
        converted[i] = std::move(file);
        if (progress)
            progress(++done, sources.size());
    });
    return converted;
}

// Takes back what a conversion that failed before it counted as done had put
// in place. The journal goes first: should anything here fail, the journal
// is gone only when nothing remains to complete.
void Undo(const std::string& path, const ConversionPlan& plan) {
    if (!RemoveFile(JoinPath(path, JournalName)) && errno != ENOENT)
        return; // the next command completes the conversion instead
    // A hidden file that is gone was put in place: its catalog goes again.
    for (const ConversionStep& step : plan.Steps) {
        if (!RemoveFile(JoinPath(path, step.Temporary)) && errno == ENOENT)
            RemoveFile(JoinPath(path, step.Destination));
    }
    if (MarkedCompressed(path) == !plan.Compress)
        RemoveFile(JoinPath(path, MarkerFileName(plan.Compress)));
    SyncDirectory(path);
}

void ConvertDirectory(const std::string& path, bool compress, const ConversionProgress& progress,
                      ConversionWatcher* watcher) {
    const DatabaseAccess database(path, !compress, LockKind::Exclusive);
    ConversionPlan plan;
    plan.Compress = compress;
    std::vector<std::unique_ptr<TemporaryFile>> converted;
    // A database in the target form already has no catalog to convert; files
    // of the other form in it are not its catalogs and stay as they are.
    if (database.Compressed() != compress) {
        const std::vector<std::string> sources = ListCatalogFiles(path, !compress);
        converted = WriteConverted(path, sources, compress, progress);
        for (std::size_t i = 0; i < sources.size(); ++i)
            plan.Steps.push_back(
                {FileName(converted[i]->Keep()), ConvertedName(sources[i], compress), sources[i]});
    }
    if (watcher)
        watcher->Converting(path, plan.Steps);
    try {
        WriteJournal(path, plan);
        ApplyConversion(path, plan);
    } catch (...) {
        if (!ConversionCommitted(path, plan))
            Undo(path, plan);
        throw; // once committed, the journal stays for the old copies' removal
    }
    RemoveFile(JoinPath(path, JournalName));
    SyncDirectory(path);
    if (watcher)
        watcher->Converted(path, plan.Steps);
}

} // namespace

void CompressDirectory(const std::string& path, const ConversionProgress& progress,
                       ConversionWatcher* watcher) {
    ConvertDirectory(path, true, progress, watcher);
}

void DecompressDirectory(const std::string& path, const ConversionProgress& progress,
                         ConversionWatcher* watcher) {
    ConvertDirectory(path, false, progress, watcher);
}

} // namespace quillory
