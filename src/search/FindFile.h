#pragma once

#include "search/ResultList.h"
#include "search/SearchCriteria.h"
#include "store/CatalogName.h"
#include "store/OpenDatabase.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// The catalogs a search reads: every catalog of the open database, or the one
// catalog of a disk (the listing of a disk).
struct CatalogScope {
    std::optional<CatalogName> Only; // nothing: every catalog

    static CatalogScope EveryCatalog() { return {}; }
    static CatalogScope OneCatalog(CatalogName disk) { return {std::move(disk)}; }
};

// How far a search has come, told as the reading of each catalog starts.
struct SearchStep {
    std::string_view DiskName;    // the disk whose catalog is now read
    std::size_t CatalogsRead = 0; // catalogs finished before it
    std::size_t CatalogCount = 0; // catalogs to read in all
    std::size_t Matches = 0;      // matches in the catalogs finished
};

// Called from the searching threads, one call at a time.
using SearchProgress = std::function<void(const SearchStep& step)>;

// Whether a search may answer from the search index, or must read every catalog.
enum class IndexUse { UseIndex, ReadCatalogs };

// How a search runs: through the index or not, and whether a catalog that
// cannot be read stops it (as in the windows) or is passed over.
struct SearchOptions {
    IndexUse Index = IndexUse::UseIndex;
    bool KeepGoing = false;
};

// How a search's catalogs were answered: from the index (some of them only
// once their bytes were found unchanged, as they had changed lately), or read
// whole for want of a current part (the others were read as that was
// faster); whether an index could be kept for the database at all; and, for
// a search that keeps going, each catalog passed over as "FILE: cause", in
// the order the catalogs are listed.
struct SearchCoverage {
    std::size_t FromIndex = 0;
    std::size_t CheckedByBytes = 0;
    std::size_t WithoutPart = 0;
    bool IndexUsable = false;
    std::vector<std::string> PassedOver;
    std::size_t Catalogs = 0; // the catalogs the search chose
};

// Searches the catalogs of `scope` in the open database and returns the
// records that pass `criteria`, sorted by name.
//
// The disk-name and disk-number tests run on the file names before any
// catalog is read. Catalogs are independent and are read several at once, one
// per core, compressed ones decoded on the fly without a scratch file; the
// entries are gathered in catalog order, so the list equals that of a
// one-at-a-time run. A catalog that cannot be read, a disk number that is not
// an integer while the number test is on, or a date or time that does not
// convert while the date test is on stops the run with its Error; a failure
// of the codec is told after the catalog's file name ("Backup!3.txt.bz2:
// BZ_DATA_ERROR"), as its own text does not say which catalog it was. A
// search that keeps going passes over such a catalog, with none of its
// records, and goes on with the others.
//
// A catalog with a current part in the search index is answered from it: a
// text of three bytes or more picks the blocks holding all its trigrams, and
// every record of those blocks meets the same test, so the list is the one a
// reading of the catalogs gives. A catalog without one is read in the same
// run, as it would be without an index; its part is made elsewhere, where
// nobody waits. A plain catalog is read also when its part would not narrow
// the search down to a few of its blocks: its text is looked through
// faster; but a part answers every search with further tests
// (criteria.Filters), which its columns and trigrams narrow down before any
// name is decoded. `coverage`, when given, hears how the catalogs were
// answered.
ResultList FindFile(const OpenDatabase& database, const CatalogScope& scope,
                    const SearchCriteria& criteria, const SearchProgress& progress = {},
                    const SearchOptions& options = {}, SearchCoverage* coverage = nullptr);

// Takes the matches of one catalog, in the order the catalog holds them.
using CatalogSink = std::function<void(const ResultList& matches)>;

// The same search, handing each catalog's matches to `sink` as soon as the
// catalog is done (one call at a time, catalogs in the order they end, none
// for a catalog without matches), so that nothing waits for the whole search
// and no list of every match is held.
void FindEachCatalog(const OpenDatabase& database, const CatalogScope& scope,
                     const SearchCriteria& criteria, const CatalogSink& sink,
                     const SearchProgress& progress = {}, const SearchOptions& options = {},
                     SearchCoverage* coverage = nullptr);

// The number of records the same search finds. A record is not even decoded
// where the index can tell without: every record of a part passes a search
// with no test, and kind and size are told by a part's columns.
std::size_t CountMatches(const OpenDatabase& database, const CatalogScope& scope,
                         const SearchCriteria& criteria, const SearchProgress& progress = {},
                         const SearchOptions& options = {}, SearchCoverage* coverage = nullptr);

} // namespace quillory
