#pragma once

#include "search/ResultList.h"
#include "search/SearchCriteria.h"
#include "settings/Settings.h"

#include <functional>
#include <string>

namespace quillory {

// Told the disk name of each catalog as its reading starts; called from the
// searching threads, one call at a time.
using SearchProgress = std::function<void(const std::string& diskName)>;

// Every catalog of the open database.
inline constexpr char AllCatalogs[] = "*";

// Searches `catalog` (AllCatalogs, or one catalog's file name) of the open
// database and returns the records that pass `criteria`, sorted by name.
//
// The disk-name and disk-number tests run on the file names before any
// catalog is read. Catalogs are independent and are read several at once, one
// per core, compressed ones decoded on the fly without a scratch file; the
// entries are gathered in catalog order, so the list equals that of a
// one-at-a-time run. A catalog that cannot be read, a disk number that is not
// an integer while the number test is on, or a date or time that does not
// convert while the date test is on stops the run with its Error.
ResultList FindFile(const Settings& settings, const std::string& catalog,
                    const SearchCriteria& criteria, const SearchProgress& progress = {});

} // namespace quillory
