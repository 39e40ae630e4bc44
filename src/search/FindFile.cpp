#include "search/FindFile.h"

#include "common/AsciiUpper.h"
#include "common/IntegerConversion.h"
#include "common/Parallel.h"
#include "common/Path.h"
#include "index/SearchIndex.h"
#include "search/Bmh.h"
#include "search/CandidateFilter.h"
#include "search/DayNumber.h"
#include "store/CatalogName.h"
#include "store/CatalogReader.h"
#include "store/DatabaseAccess.h"

#include <algorithm>
#include <atomic>
#include <malloc.h>
#include <mutex>

namespace quillory {

namespace {

struct CatalogJob {
    std::string Path;
    CatalogName Disk;
};

// The test every record meets; one per searching thread, as it keeps a buffer.
class RecordTest {
public:
    explicit RecordTest(const SearchCriteria& criteria)
        : criteria_(criteria), dateTest_(criteria.RangeStart > -1 && criteria.RangeEnd > -1),
          nameTest_(criteria.NamePattern != "*" && !criteria.NamePattern.empty()) {
        if (nameTest_)
            table_.BmhPrepare(criteria.NamePattern);
    }

    // Whether only records holding the name text somewhere can pass, so that
    // a catalog can be looked through for that text instead of read whole.
    bool NeedsNameText() const {
        return nameTest_ && !dateTest_ && (criteria_.MatchName || criteria_.MatchDirectory);
    }

    // The trigram keys every passing record holds: those of the name text in
    // each field it must be found in, when it is long enough to have any.
    std::vector<std::uint32_t> IndexKeys() const {
        std::vector<std::uint32_t> keys;
        const std::string& text = criteria_.NamePattern;
        if (!nameTest_ || text.size() < 3)
            return keys;
        for (const auto& [field, wanted] :
             {std::pair{TextField::Name, criteria_.MatchName},
              std::pair{TextField::Directory, criteria_.MatchDirectory}}) {
            for (std::size_t i = 0; wanted && i + 3 <= text.size(); ++i)
                keys.push_back(TrigramKey(text.data() + i, field));
        }
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        return keys;
    }

    bool Passes(const CatalogRecordView& record) {
        if (dateTest_) {
            // Dates and times are read only when the date test is on.
            const double time = TimeValue(record.Date(), record.Time());
            if (time < criteria_.RangeStart || time > criteria_.RangeEnd)
                return false;
        }
        if (!nameTest_)
            return true;
        return (!criteria_.MatchName || Contains(record.Name())) &&
               (!criteria_.MatchDirectory || Contains(record.Directory()));
    }

    bool TestsDates() const { return dateTest_; }

    // The text every passing record's name holds, when there is one.
    std::string_view NameText() const {
        return nameTest_ && criteria_.MatchName ? std::string_view(criteria_.NamePattern)
                                                : std::string_view();
    }

private:
    bool Contains(std::string_view text) {
        // The buffer travels through AsciiUpper and back, keeping its room.
        upper_.assign(text);
        upper_ = AsciiUpper(std::move(upper_));
        return table_.BmhSearch(upper_.data(), upper_.size()) != BmhTable::NotFound;
    }

    const SearchCriteria& criteria_;
    const bool dateTest_;
    const bool nameTest_;
    BmhTable table_;
    std::string upper_;
};

// The catalogs to read, after the tests on their file names.
std::vector<CatalogJob> ChooseCatalogs(const DatabaseAccess& database, const CatalogScope& scope,
                                       const SearchCriteria& criteria) {
    const bool compressed = database.Compressed();
    const std::vector<std::string> files =
        scope.Only ? std::vector<std::string>{CatalogFileName(*scope.Only, compressed)}
                   : ListCatalogFiles(database.Path(), compressed);
    std::vector<CatalogJob> jobs;
    for (const std::string& file : files) {
        CatalogName disk = CutCatalogFileName(file, compressed);
        if (criteria.UseDiskName && criteria.DiskNamePattern != "*" &&
            AsciiUpper(disk.DiskName).find(criteria.DiskNamePattern) == std::string::npos)
            continue;
        if (criteria.UseDiskNumber && criteria.DiskNumber != -1 &&
            StrToInt(disk.DiskNumber) != criteria.DiskNumber)
            continue;
        jobs.push_back({JoinPath(database.Path(), file), std::move(disk)});
    }
    return jobs;
}

// Answers one catalog from its index part; false when it has no current
// part or the part turns out damaged, `found` then left empty.
bool SearchPart(const SearchIndex& index, const CatalogJob& job, RecordTest& test,
                const RecordConsumer& keep, ResultList& found) {
    const std::optional<CatalogPart> part = index.CurrentPart(job.Path);
    if (!part)
        return false;
    try {
        // A date test converts every record's date and time, and one that
        // does not convert stops the search: then every record is tested.
        const bool everyRecord = test.TestsDates() && !part->AllTimesCoded();
        const auto keys = everyRecord ? std::vector<std::uint32_t>() : test.IndexKeys();
        for (std::uint32_t block : part->CandidateBlocks(keys))
            part->ForEachRecord(block, keep, everyRecord ? std::string_view() : test.NameText());
        return true;
    } catch (const DamagedPart&) {
        found = ResultList();
        found.BeginCatalog(job.Disk.DiskName, job.Disk.DiskNumber);
        return false;
    }
}

// Reads one catalog as it is on disk, making its index part as it goes when
// `index` is given and can keep it; true when a part was made.
bool ReadWhole(const CatalogJob& job, bool compressed, const SearchCriteria& criteria,
               RecordTest& test, const RecordConsumer& keep, const SearchIndex* index) {
    if (!index || !index->Keeps()) {
        if (test.NeedsNameText()) {
            CandidateFilter filter(criteria.NamePattern, criteria.MatchName,
                                   criteria.MatchDirectory, keep);
            ReadCatalogText(job.Path, compressed, filter);
        } else {
            ReadCatalog(job.Path, compressed, keep);
        }
        return false;
    }
    index->ReadAndStore(job.Path, compressed, keep);
    return true;
}

// Reads the catalogs of `scope`, each into a part of its own, holding the
// database shared for the reading only. Catalogs are answered from the
// search index where it can.
std::vector<ResultList> ReadMatches(const OpenDatabase& database, const CatalogScope& scope,
                                    const SearchCriteria& criteria, const SearchProgress& progress,
                                    IndexUse indexUse) {
    const DatabaseAccess access(database, LockKind::Shared);
    const std::vector<CatalogJob> jobs = ChooseCatalogs(access, scope, criteria);
    const std::optional<SearchIndex> index =
        indexUse == IndexUse::UseIndex ? std::optional<SearchIndex>(access.Path()) : std::nullopt;
    const auto pages = std::make_shared<ResultPages>();
    std::vector<ResultList> parts;
    parts.reserve(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i)
        parts.emplace_back(pages);
    std::mutex progressMutex;
    SearchStep step;
    step.CatalogCount = jobs.size();
    std::atomic<bool> partsMade = false;
    ForEachInParallel(jobs.size(), [&](std::size_t i) {
        const CatalogJob& job = jobs[i];
        if (progress) {
            const std::lock_guard lock(progressMutex);
            step.DiskName = job.Disk.DiskName;
            progress(step);
        }
        RecordTest test(criteria);
        ResultList& part = parts[i];
        part.BeginCatalog(job.Disk.DiskName, job.Disk.DiskNumber);
        const RecordConsumer keep = [&](const CatalogRecordView& record) {
            if (test.Passes(record))
                part.Append(record.Name(), record.Directory(), record.Size(), record.Date(),
                            record.Time());
        };
        if (!index || !SearchPart(*index, job, test, keep, part)) {
            if (ReadWhole(job, access.Compressed(), criteria, test, keep,
                          index ? &*index : nullptr))
                partsMade = true;
        }
        const std::lock_guard lock(progressMutex);
        ++step.CatalogsRead;
        step.Matches += part.Size();
    });
    // Parts of catalogs that are gone go when new ones come.
    if (partsMade)
        index->RemoveStale(ListCatalogFiles(access.Path(), access.Compressed()));
    return parts;
}

} // namespace

ResultList FindFile(const OpenDatabase& database, const CatalogScope& scope,
                    const SearchCriteria& criteria, const SearchProgress& progress,
                    IndexUse indexUse) {
    std::vector<ResultList> parts = ReadMatches(database, scope, criteria, progress, indexUse);
    ResultList results;
    std::size_t total = 0;
    for (const ResultList& part : parts)
        total += part.Size();
    results.Reserve(total);
    for (ResultList& part : parts)
        results.Splice(std::move(part));
    parts.clear();
    // The parts' order vectors were freed in the searching threads' own
    // memory pools, which keep freed memory; give it back before the sort
    // needs its own.
    ::malloc_trim(0);
    results.Sort(ResultKey::Name, true);
    return results;
}

} // namespace quillory
