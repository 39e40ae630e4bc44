#pragma once

#include "store/CatalogName.h"
#include "store/OpenDatabase.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillory {

// The columns of a catalog list, as sort keys: 1 for "id#", 2 for "Name".
inline constexpr int NumberColumn = 1;
inline constexpr int NameColumn = 2;

// The catalogs of the open database, in listing order.
std::vector<CatalogName> ListCatalogNames(const OpenDatabase& database);

// The number proposed for the next disk: the highest disk number plus one, 0
// when there are no catalogs. A number part that is not an integer raises the
// conversion error.
std::int64_t NextDiskNumber(const std::vector<CatalogName>& catalogs);

// Sorts `catalogs` by column `key` (NumberColumn: by the numbers' values,
// numbers that are not integers after all others; NameColumn: names without
// regard to case, by the locale's rules), descending when not `ascending`.
void SortCatalogNames(std::vector<CatalogName>& catalogs, int key, bool ascending);

// The file of a catalog in the open database.
std::string CatalogPath(const OpenDatabase& database, const CatalogName& catalog);

// The catalogs of the open database as listed, in its form now, and the
// changes to them, each holding the database for its run (shared to list,
// exclusive to change).

// Renames catalog `from` to `to` in the open database. Raises
// Error("Error renaming catalog.") for an empty new number or name and when the
// system refuses (a catalog of that name and number exists already), and the
// scan's messages for an old or new number or name the scan would refuse.
void RenameCatalog(const OpenDatabase& database, const CatalogName& from, const CatalogName& to);

// Deletes catalog `catalog`. Raises the name's Error, Error("There is no
// catalog PATH") when there is none and Error("Cannot delete file PATH") when
// it cannot be removed.
void DeleteCatalog(const OpenDatabase& database, const CatalogName& catalog);

} // namespace quillory
