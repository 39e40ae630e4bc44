#pragma once

#include "common/Collation.h"
#include "settings/Settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillory {

// One catalog of the open database as the catalog lists show it: the disk
// number as typed (007 stays 007) and the disk name.
struct CatalogRow {
    std::string Number;
    std::string Name;
};

// The columns of a catalog list, as sort keys: 1 for "id#", 2 for "Name".
inline constexpr int NumberColumn = 1;
inline constexpr int NameColumn = 2;

// The catalogs of the open database, in listing order.
std::vector<CatalogRow> ListCatalogRows(const Settings& settings);

// The number proposed for the next disk: the highest disk number plus one, 0
// when there are no catalogs. A number part that is not an integer raises the
// conversion error.
std::int64_t NextDiskNumber(const std::vector<CatalogRow>& rows);

// Sorts `rows` by column `key` (NumberColumn: by the numbers' values, numbers
// that are not integers after all others; NameColumn: names without regard to
// case, by the locale's rules), descending when not `ascending`.
void SortCatalogRows(std::vector<CatalogRow>& rows, int key, bool ascending);

// Refuses a disk number that is not an integer, and a disk name with "!" (it
// would end the name part of the file name) or with "/", "\" or a control
// character (it would write outside the database), each with its own Error.
void CheckDiskNumber(const std::string& number);
void CheckDiskName(const std::string& name);

// The file of a catalog in the open database.
std::string CatalogPath(const Settings& settings, const CatalogRow& row);

// Renames catalog `from` to `to` in the open database. Raises
// Error("Error renaming catalog.") for an empty new number or name and when the
// system refuses (a catalog of that name and number exists already), and the
// scan's messages for a new number or name the scan would refuse.
void RenameCatalog(const Settings& settings, const CatalogRow& from, const CatalogRow& to);

// Deletes catalog `row`; a file that cannot be removed is left as it is.
void DeleteCatalog(const Settings& settings, const CatalogRow& row);

} // namespace quillory
