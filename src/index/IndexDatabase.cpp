#include "index/IndexDatabase.h"

#include "common/Error.h"
#include "common/FileSystem.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Parallel.h"
#include "index/CatalogIndexing.h"
#include "index/CatalogSource.h"
#include "index/IndexFolder.h"
#include "index/PartTrust.h"
#include "index/Segment.h"
#include "index/SegmentWriter.h"
#include "index/Segments.h"
#include "store/CatalogName.h"
#include "store/DatabaseAccess.h"

#include <memory>
#include <mutex>
#include <optional>

namespace quillory {

namespace {

// The writers of a run, one for each thread at work, made as they are needed.
class WriterPool {
public:
    WriterPool(std::shared_ptr<const IndexFolder> folder, const std::atomic<bool>* stop)
        : folder_(std::move(folder)), stop_(stop) {}

    std::unique_ptr<SegmentWriter> Take() {
        const std::lock_guard lock(mutex_);
        if (free_.empty())
            return std::make_unique<SegmentWriter>(folder_, stop_);
        auto writer = std::move(free_.back());
        free_.pop_back();
        return writer;
    }
    void Give(std::unique_ptr<SegmentWriter> writer) {
        const std::lock_guard lock(mutex_);
        free_.push_back(std::move(writer));
    }
    // Puts every segment written in place.
    void CommitAll() {
        for (auto& writer : free_)
            writer->Commit();
        free_.clear();
    }

private:
    std::shared_ptr<const IndexFolder> folder_;
    const std::atomic<bool>* stop_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<SegmentWriter>> free_;
};

// Everything one run works with.
struct Run {
    Run(const IndexOptions& options, int database, bool compressed,
        const std::shared_ptr<const IndexFolder>& folder, IndexReport& report)
        : Options(options), Database(database), Compressed(compressed), Times(database),
          Existing(OpenSegments(*folder)), Writers(folder, options.Stop), Report(report) {}

    const IndexOptions& Options;
    int Database;
    bool Compressed;
    DatabaseTimes Times;
    Segments Existing;
    WriterPool Writers;
    std::mutex Mutex; // for the report
    IndexReport& Report;
    std::atomic<bool> StoreFailed = false;
    // Why each catalog has no part, by its place in the listing: told in
    // that order whatever the order the threads met them in.
    std::vector<std::string> Problems;

    bool Stopping() const {
        return StoreFailed || (Options.Stop && Options.Stop->load(std::memory_order_relaxed));
    }
    void Problem(std::size_t catalog, const std::string& name, const std::string& why) {
        Problems[catalog] = FormatMessage(msg::CatalogProblem, {name, why});
    }
    void Failed(const IndexNotStored& failure) {
        const std::lock_guard lock(Mutex);
        if (Report.StoreFailure.empty())
            Report.StoreFailure = failure.what();
        StoreFailed = true;
    }
};

// Whether an entry of catalog `name` can stay: a sound one that is settled,
// or one whose bytes are still the catalog's, stamped anew into `writer`
// once the change before it has settled.
enum class Kept { No, AsItIs, Restamped };
Kept KeepFoundEntry(Run& run, const std::string& name, const CatalogIdentity& identity,
                    const std::vector<FoundEntry>& found, SegmentWriter& writer) {
    for (const FoundEntry& entry : found) {
        if (run.Times.Settled(entry.Entry.Stamp) && Sound(entry))
            return Kept::AsItIs;
    }
    if (found.empty())
        return Kept::No;
    const CatalogStamp now{identity, WallClockNow(), 0};
    const auto check = ContentCheckOf(run.Database, name, identity, run.Options.Stop);
    for (const FoundEntry& entry : found) {
        if (!check || *check != entry.Entry.Stamp.ContentCheck || !Sound(entry))
            continue;
        const CatalogStamp stamp{identity, now.ReadAt, *check};
        if (!run.Times.Settled(stamp))
            return Kept::AsItIs;
        writer.Copy(*entry.From, entry.Entry, name, stamp);
        return Kept::Restamped;
    }
    return Kept::No;
}

// Looks at one catalog and makes or stamps its part where it needs one;
// true when it has a current part at the end.
bool IndexOne(Run& run, std::size_t catalog, const std::string& name) {
    const std::optional<CatalogIdentity> identity = run.Times.CurrentIdentity(name);
    if (!identity) {
        run.Problem(catalog, name, FormatMessage(msg::CannotOpenFile, name));
        return false;
    }
    const std::vector<FoundEntry> found = EntriesOf(run.Existing, name, *identity);
    std::unique_ptr<SegmentWriter> writer;
    try {
        writer = run.Writers.Take();
        const Kept kept = KeepFoundEntry(run, name, *identity, found, *writer);
        if (kept == Kept::No)
            IndexCatalog(run.Database, name, run.Compressed, *writer, run.Options.Stop);
        if (kept != Kept::AsItIs) {
            const std::lock_guard lock(run.Mutex);
            ++run.Report.Made;
        }
        run.Writers.Give(std::move(writer));
        return true;
    } catch (const IndexNotStored& failure) {
        run.Failed(failure);
    } catch (const PartRefused&) {
        run.Problem(catalog, name, msg::CatalogTooOddForIndex);
    } catch (const CatalogChanged&) {
        run.Problem(catalog, name, msg::CatalogChangedWhileIndexed);
    } catch (const ReadingStopped&) {
    } catch (const DamagedPart&) {
        run.Problem(catalog, name, msg::CatalogChangedWhileIndexed);
    } catch (const std::bad_alloc&) {
        run.Problem(catalog, name, msg::CatalogTooOddForIndex);
    } catch (const Error& error) {
        run.Problem(catalog, name, error.what());
    }
    if (writer)
        run.Writers.Give(std::move(writer));
    return false;
}

} // namespace

IndexReport IndexDatabase(const OpenDatabase& database, const IndexOptions& options) {
    IndexReport report;
    const DatabaseAccess access(database, LockKind::Shared);
    const std::vector<std::string>& files = access.CatalogFiles();
    report.Catalogs = files.size();
    const std::string path = RealPath(access.Path());
    const auto directory = DirectoryHandle::Open(path);
    if (!directory)
        throw Error(FormatMessage(msg::CannotOpenFile, access.Path()));
    std::shared_ptr<const IndexFolder> folder;
    try {
        folder = IndexFolder::Open(path, true);
    } catch (const Error& error) {
        report.StoreFailure = error.what();
        return report;
    }
    folder->RemoveLeftovers();
    Run run(options, directory->Descriptor(), access.Compressed(), folder, report);
    run.Problems.resize(files.size());
    std::atomic<std::size_t> indexed = 0, done = 0;
    std::mutex progressMutex;
    const auto work = [&](std::size_t i) {
        if (run.Stopping())
            return;
        if (IndexOne(run, i, files[i]))
            ++indexed;
        if (options.Progress) {
            const std::lock_guard lock(progressMutex);
            options.Progress(++done, files.size());
        }
    };
    if (options.OneAtATime) {
        for (std::size_t i = 0; i < files.size(); ++i)
            work(i);
    } else {
        ForEachInParallel(files.size(), work);
    }
    report.Stopped = options.Stop && options.Stop->load();
    for (std::string& problem : run.Problems) {
        if (!problem.empty())
            report.Problems.push_back(std::move(problem));
    }
    report.Indexed = indexed;
    try {
        run.Writers.CommitAll();
    } catch (const IndexNotStored& failure) {
        run.Failed(failure);
        report.Indexed -= std::min(report.Indexed, report.Made); // the parts made are lost
    }
    try {
        if (!run.Stopping())
            MergeSegments(folder, run.Times, files, options.Stop);
    } catch (const IndexNotStored& failure) {
        run.Failed(failure);
    } catch (const ReadingStopped&) {
    }
    RemoveIndexesOfGoneDatabases();
    return report;
}

void DropIndex(const OpenDatabase& database) {
    const std::string path = RealPath(database.Path);
    if (!path.empty())
        DropIndexFolder(path);
}

} // namespace quillory
