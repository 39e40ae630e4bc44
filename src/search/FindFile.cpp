#include "search/FindFile.h"

#include "common/AsciiUpper.h"
#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/IntegerConversion.h"
#include "common/Messages.h"
#include "common/Parallel.h"
#include "common/Path.h"
#include "index/PartFormat.h"
#include "index/SearchIndex.h"
#include "search/Bmh.h"
#include "search/CandidateFilter.h"
#include "search/DayNumber.h"
#include "search/KeyQuery.h"
#include "search/RecordFilters.h"
#include "store/BZip2.h"
#include "store/CatalogName.h"
#include "store/CatalogReader.h"
#include "store/DatabaseAccess.h"

#include <algorithm>
#include <atomic>
#include <malloc.h>
#include <mutex>

namespace quillory {

namespace {

// A plain catalog is read rather than its part when the search's text picks
// more than this share of the part's blocks.
constexpr std::size_t MostBlocksOfPlain = 4;

struct CatalogJob {
    std::string FileName;
    CatalogName Disk;
    std::string Failure; // why the catalog is passed over unread, when it is
};

// The test every record meets; one per searching thread, as it keeps a buffer.
class RecordTest {
public:
    explicit RecordTest(const SearchCriteria& criteria)
        : criteria_(criteria), filters_(criteria.Filters.get()),
          dateTest_(criteria.RangeStart > -1 && criteria.RangeEnd > -1),
          nameTest_(criteria.NamePattern != "*" && !criteria.NamePattern.empty()),
          nameText_(nameTest_ && criteria.MatchName ? criteria.NamePattern
                    : filters_                      ? filters_->NameLiteral()
                                                    : std::string()) {}

    // A text (upper-case) only records holding it in their name or
    // directory can pass, so that a catalog can be looked through for it
    // instead of read whole: the name text, or else one the further tests
    // find in every passing name. Every record meets the date test, which
    // must fail on a date that does not convert.
    struct NeededText {
        std::string_view Text;
        bool InName = false, InDirectory = false;
    };
    std::optional<NeededText> TextToLookFor() const {
        if (dateTest_)
            return std::nullopt;
        if (nameTest_ && (criteria_.MatchName || criteria_.MatchDirectory))
            return NeededText{criteria_.NamePattern, criteria_.MatchName, criteria_.MatchDirectory};
        if (!nameText_.empty())
            return NeededText{nameText_, true, false};
        return std::nullopt;
    }

    // The blocks of an index part a passing record can be in: those holding
    // the trigrams of the name text in each field it must be found in, and
    // those the further tests pick.
    KeyQuery IndexKeys() const {
        std::vector<std::uint32_t> keys;
        for (const auto& [field, wanted] :
             {std::pair{TextField::Name, criteria_.MatchName},
              std::pair{TextField::Directory, criteria_.MatchDirectory}}) {
            if (nameTest_ && wanted) {
                const std::vector<std::uint32_t> more = TrigramKeys(criteria_.NamePattern, field);
                keys.insert(keys.end(), more.begin(), more.end());
            }
        }
        std::vector<KeyQuery> all{KeyQuery::AllKeys(std::move(keys))};
        if (filters_)
            all.push_back(filters_->Keys());
        return KeyQuery::AllOf(std::move(all));
    }

    bool Passes(const CatalogRecordView& record) {
        if (dateTest_) {
            // Dates and times are read only when the date test is on.
            const double time = TimeValue(record.Date(), record.Time());
            if (time < criteria_.RangeStart || time > criteria_.RangeEnd)
                return false;
        }
        if (nameTest_ && !((!criteria_.MatchName || Contains(record.Name())) &&
                           (!criteria_.MatchDirectory || Contains(record.Directory()))))
            return false;
        return !filters_ || filters_->Passes(record);
    }

    bool TestsDates() const { return dateTest_; }
    // Whether the command line's further tests are made.
    bool Filters() const { return filters_ != nullptr; }
    // The test of a record's kind and size, when one is made.
    const ColumnTest* Columns() const {
        return filters_ && filters_->TestsColumns() ? filters_ : nullptr;
    }
    // Whether a record is tested beyond its kind and size.
    bool TestsTexts() const {
        return dateTest_ || nameTest_ || (filters_ && filters_->TestsTexts());
    }

    // A text every passing record's name holds (upper-case), when there is one.
    std::string_view NameText() const { return nameText_; }

private:
    bool Contains(std::string_view text) {
        // The table is made for the first record tested: many catalogs of a
        // search through the index have none.
        if (!tablePrepared_) {
            table_.BmhPrepare(criteria_.NamePattern);
            tablePrepared_ = true;
        }
        // The buffer travels through AsciiUpper and back, keeping its room.
        upper_.assign(text);
        upper_ = AsciiUpper(std::move(upper_));
        return table_.BmhSearch(upper_.data(), upper_.size()) != BmhTable::NotFound;
    }

    const SearchCriteria& criteria_;
    const RecordFilters* filters_;
    const bool dateTest_;
    const bool nameTest_;
    const std::string nameText_;
    BmhTable table_;
    bool tablePrepared_ = false;
    std::string upper_;
};

// What a search does with one catalog's passing records: keeps them in a
// list, or only counts them.
struct CatalogMatches {
    ResultList* Kept = nullptr; // nothing: counted
    std::size_t Counted = 0;

    std::size_t Size() const { return Kept ? Kept->Size() : Counted; }
};

// The catalogs to read, after the tests on their file names. A disk number
// that is not an integer fails the number test's catalog, which a search
// that keeps going passes over.
std::vector<CatalogJob> ChooseCatalogs(const DatabaseAccess& database, const CatalogScope& scope,
                                       const SearchCriteria& criteria, bool keepGoing) {
    const bool compressed = database.Compressed();
    const std::vector<std::string> only =
        scope.Only ? std::vector<std::string>{CatalogFileName(*scope.Only, compressed)}
                   : std::vector<std::string>();
    const std::vector<std::string>& files = scope.Only ? only : database.CatalogFiles();
    std::vector<CatalogJob> jobs;
    for (const std::string& file : files) {
        CatalogName disk = CutCatalogFileName(file, compressed);
        if (criteria.UseDiskName && criteria.DiskNamePattern != "*" &&
            AsciiUpper(disk.DiskName).find(criteria.DiskNamePattern) == std::string::npos)
            continue;
        std::string failure;
        try {
            if (criteria.UseDiskNumber && criteria.DiskNumber != -1 &&
                StrToInt(disk.DiskNumber) != criteria.DiskNumber)
                continue;
        } catch (const Error& error) {
            if (!keepGoing)
                throw;
            failure = error.what();
        }
        jobs.push_back({file, std::move(disk), std::move(failure)});
    }
    return jobs;
}

// How a catalog's part served a search: it answered, or the catalog is to be
// read because it has no current part (or a damaged one), or because it is
// read faster (see below).
enum class PartAnswer { Answered, AnsweredByBytes, Missing, Passed };

// Answers one catalog from its index part; `matches` are left empty when the
// catalog is to be read instead.
PartAnswer SearchPart(const SearchIndex& index, const CatalogJob& job, bool compressed,
                      const KeyQuery& keys, RecordTest& test, const RecordConsumer& keep,
                      CatalogMatches& matches) {
    // A plain catalog's text is looked through faster than every block of a
    // part is decoded: its part serves only a search whose text picks few
    // blocks. A compressed catalog's part is always the faster, and so is
    // every part for the command line's further tests, which its columns
    // answer before any name is decoded, and for a count that tests nothing
    // but kind and size, which decodes no record at all.
    const bool countColumns = !matches.Kept && !test.TestsTexts();
    const bool partFirst = compressed || test.Filters() || countColumns;
    if (!partFirst && !keys.Narrows())
        return PartAnswer::Passed;
    const std::optional<CurrentEntry> current = index.Current(job.FileName);
    if (!current)
        return PartAnswer::Missing;
    const SegmentEntry& entry = current->Entry;
    const PartAnswer answered =
        current->CheckedByBytes ? PartAnswer::AnsweredByBytes : PartAnswer::Answered;
    // A date test converts every record's date and time, and one that does
    // not convert stops the search: then every record is tested.
    const bool everyRecord = test.TestsDates() && !entry.AllTimesCoded;
    // A part whose key filter lacks the keys of a passing record holds none.
    if (!everyRecord && !keys.MayHold(entry.Filter))
        return answered;
    try {
        const CatalogPart part = current->From->Part(entry);
        const std::vector<std::uint32_t> blocks =
            everyRecord ? KeyQuery::Everything().Blocks(part) : keys.Blocks(part);
        const bool read = partFirst || blocks.size() <= part.BlockCount() / MostBlocksOfPlain;
        if (read && countColumns && !test.Columns()) {
            matches.Counted += part.RecordCount();
        } else if (read) {
            for (std::uint32_t block : blocks) {
                if (countColumns)
                    matches.Counted += part.CountRecords(block, *test.Columns());
                else
                    part.ForEachRecord(block, keep,
                                       everyRecord ? std::string_view() : test.NameText(),
                                       everyRecord ? nullptr : test.Columns());
            }
        }
        current->From->Done(entry);
        if (!read)
            return PartAnswer::Passed;
        if (!current->From->Damaged())
            return answered;
    } catch (const DamagedPart&) {
    }
    if (matches.Kept) {
        *matches.Kept = ResultList();
        matches.Kept->BeginCatalog(job.Disk.DiskName, job.Disk.DiskNumber);
    }
    matches.Counted = 0;
    return PartAnswer::Missing;
}

// Reads one catalog as it is on disk.
void ReadWhole(const DatabaseAccess& database, const CatalogJob& job, RecordTest& test,
               const RecordConsumer& keep) {
    const std::string path = JoinPath(database.Path(), job.FileName);
    if (const auto needed = test.TextToLookFor()) {
        CandidateFilter filter(std::string(needed->Text), needed->InName, needed->InDirectory,
                               keep);
        ReadCatalogText(path, database.Compressed(), filter);
    } else {
        ReadCatalog(path, database.Compressed(), keep);
    }
}

// What a search tells of a catalog that failed: its file name, then why.
std::string CatalogFailure(const CatalogJob& job, const char* cause) {
    return FormatMessage(msg::CatalogProblem, {job.FileName, cause});
}

// What a run of the search is for: the matches of each catalog kept for the
// caller (as a list each, or handed over as each catalog is done), or counted.
struct SearchGoal {
    bool Count = false;
    const CatalogSink* EachCatalog = nullptr;
};

// What a run of the search found: the matches of each catalog when they are
// kept, and how many there are in all.
struct ReadOutcome {
    std::vector<ResultList> Parts;
    std::size_t Matches = 0;
};

// Reads the catalogs of `scope`, each into a part of its own, holding the
// database shared for the reading only. Catalogs are answered from the
// search index where it can; the others are read, and nothing waits for
// their parts to be made. `coverage`, when given, hears how.
ReadOutcome ReadMatches(const OpenDatabase& database, const CatalogScope& scope,
                        const SearchCriteria& criteria, const SearchProgress& progress,
                        const SearchOptions& options, const SearchGoal& goal,
                        SearchCoverage* coverage) {
    const DatabaseAccess access(database, LockKind::Shared);
    const std::vector<CatalogJob> jobs = ChooseCatalogs(access, scope, criteria, options.KeepGoing);
    const std::optional<SearchIndex> index = options.Index == IndexUse::UseIndex
                                                 ? std::optional<SearchIndex>(access.Path())
                                                 : std::nullopt;
    const auto pages = std::make_shared<ResultPages>();
    const bool keepParts = !goal.Count && !goal.EachCatalog;
    std::vector<ResultList> parts;
    if (keepParts) {
        parts.reserve(jobs.size());
        for (std::size_t i = 0; i < jobs.size(); ++i)
            parts.emplace_back(pages);
    }
    // Progress is told for every catalog, by one thread at a time, and so
    // is each catalog handed over.
    std::mutex progressMutex, sinkMutex;
    std::atomic<std::size_t> catalogsRead = 0, matches = 0, fromIndex = 0, missing = 0, byBytes = 0;
    std::vector<std::string> failures(jobs.size());
    const KeyQuery keys = RecordTest(criteria).IndexKeys();
    ForEachInParallel(jobs.size(), [&](std::size_t i) {
        const CatalogJob& job = jobs[i];
        if (progress) {
            const std::lock_guard lock(progressMutex);
            progress({job.Disk.DiskName, catalogsRead, jobs.size(), matches});
        }
        RecordTest test(criteria);
        // A list handed over has blocks of its own, given back as soon as the
        // sink has taken it, not pages kept for the whole search.
        ResultList handed;
        CatalogMatches found{.Kept = goal.Count ? nullptr : keepParts ? &parts[i] : &handed};
        if (found.Kept)
            found.Kept->BeginCatalog(job.Disk.DiskName, job.Disk.DiskNumber);
        const RecordConsumer keep = [&](const CatalogRecordView& record) {
            if (!test.Passes(record))
                return;
            if (found.Kept)
                found.Kept->Append(record.Name(), record.Directory(), record.Size(), record.Date(),
                                   record.Time(), record.Kind());
            else
                ++found.Counted;
        };
        try {
            if (!job.Failure.empty())
                throw Error(job.Failure);
            const PartAnswer answer =
                index ? SearchPart(*index, job, access.Compressed(), keys, test, keep, found)
                      : PartAnswer::Passed;
            if (answer == PartAnswer::Answered || answer == PartAnswer::AnsweredByBytes)
                ++fromIndex;
            else
                ReadWhole(access, job, test, keep);
            if (answer == PartAnswer::AnsweredByBytes)
                ++byBytes;
            if (answer == PartAnswer::Missing)
                ++missing;
        } catch (const Error& error) {
            if (!options.KeepGoing) {
                // The codec's own text does not say which catalog it was reading.
                if (!dynamic_cast<const CodecError*>(&error))
                    throw;
                throw Error(CatalogFailure(job, error.what()));
            }
            failures[i] = CatalogFailure(job, error.what());
            if (found.Kept)
                *found.Kept = ResultList(pages);
            found.Counted = 0;
        }
        matches += found.Size();
        if (goal.EachCatalog && found.Size() > 0) {
            const std::lock_guard lock(sinkMutex);
            (*goal.EachCatalog)(*found.Kept);
        }
        ++catalogsRead;
    });
    if (coverage) {
        *coverage = {};
        coverage->FromIndex = fromIndex;
        coverage->CheckedByBytes = byBytes;
        coverage->WithoutPart = missing;
        coverage->IndexUsable = index && index->Usable();
        coverage->Catalogs = jobs.size();
        for (std::string& failure : failures) {
            if (!failure.empty())
                coverage->PassedOver.push_back(std::move(failure));
        }
    }
    return {std::move(parts), matches};
}

} // namespace

ResultList FindFile(const OpenDatabase& database, const CatalogScope& scope,
                    const SearchCriteria& criteria, const SearchProgress& progress,
                    const SearchOptions& options, SearchCoverage* coverage) {
    ReadOutcome found = ReadMatches(database, scope, criteria, progress, options, {}, coverage);
    ResultList results;
    results.Reserve(found.Matches);
    for (ResultList& part : found.Parts)
        results.Splice(std::move(part));
    found.Parts.clear();
    // The parts' order vectors were freed in the searching threads' own
    // memory pools, which keep freed memory; give it back before the sort
    // needs its own.
    ::malloc_trim(0);
    results.Sort(ResultKey::Name, true);
    return results;
}

void FindEachCatalog(const OpenDatabase& database, const CatalogScope& scope,
                     const SearchCriteria& criteria, const CatalogSink& sink,
                     const SearchProgress& progress, const SearchOptions& options,
                     SearchCoverage* coverage) {
    ReadMatches(database, scope, criteria, progress, options, {.EachCatalog = &sink}, coverage);
}

std::size_t CountMatches(const OpenDatabase& database, const CatalogScope& scope,
                         const SearchCriteria& criteria, const SearchProgress& progress,
                         const SearchOptions& options, SearchCoverage* coverage) {
    return ReadMatches(database, scope, criteria, progress, options, {.Count = true}, coverage)
        .Matches;
}

} // namespace quillory
