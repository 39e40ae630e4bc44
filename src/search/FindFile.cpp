#include "search/FindFile.h"

#include "common/AsciiUpper.h"
#include "common/IntegerConversion.h"
#include "common/Parallel.h"
#include "common/Path.h"
#include "search/Bmh.h"
#include "search/CandidateFilter.h"
#include "search/DayNumber.h"
#include "store/CatalogName.h"
#include "store/CatalogReader.h"
#include "store/DatabaseAccess.h"

#include <algorithm>
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

// Reads the catalogs of `scope`, each into a part of its own, holding the
// database shared for the reading only.
std::vector<ResultList> ReadMatches(const OpenDatabase& database, const CatalogScope& scope,
                                    const SearchCriteria& criteria,
                                    const SearchProgress& progress) {
    const DatabaseAccess access(database, LockKind::Shared);
    const std::vector<CatalogJob> jobs = ChooseCatalogs(access, scope, criteria);
    std::vector<ResultList> parts(jobs.size());
    std::mutex progressMutex;
    SearchStep step;
    step.CatalogCount = jobs.size();
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
        if (test.NeedsNameText()) {
            CandidateFilter filter(criteria.NamePattern, criteria.MatchName,
                                   criteria.MatchDirectory, keep);
            ReadCatalogText(job.Path, access.Compressed(), filter);
        } else {
            ReadCatalog(job.Path, access.Compressed(), keep);
        }
        const std::lock_guard lock(progressMutex);
        ++step.CatalogsRead;
        step.Matches += part.Size();
    });
    return parts;
}

} // namespace

ResultList FindFile(const OpenDatabase& database, const CatalogScope& scope,
                    const SearchCriteria& criteria, const SearchProgress& progress) {
    std::vector<ResultList> parts = ReadMatches(database, scope, criteria, progress);
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
