#include "scan/CatalogList.h"

#include "common/Collation.h"
#include "common/Error.h"
#include "common/FileOperations.h"
#include "common/FormatMessage.h"
#include "common/IntegerConversion.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "store/DatabaseAccess.h"

#include <algorithm>
#include <cerrno>
#include <optional>

namespace quillory {

std::vector<CatalogName> ListCatalogNames(const OpenDatabase& database) {
    const DatabaseAccess access(database, LockKind::Shared);
    std::vector<CatalogName> catalogs;
    for (const std::string& file : access.CatalogFiles())
        catalogs.push_back(CutCatalogFileName(file, access.Compressed()));
    return catalogs;
}

std::int64_t NextDiskNumber(const std::vector<CatalogName>& catalogs) {
    std::int64_t highest = -1;
    for (const CatalogName& catalog : catalogs)
        highest = std::max<std::int64_t>(highest, StrToInt(catalog.DiskNumber));
    return highest + 1;
}

void SortCatalogNames(std::vector<CatalogName>& catalogs, int key, bool ascending) {
    if (key == NumberColumn) {
        // The values are converted once; a text that is no integer sorts after
        // every number, in either direction of the list.
        std::vector<std::pair<std::optional<std::int32_t>, CatalogName>> keyed;
        keyed.reserve(catalogs.size());
        for (CatalogName& catalog : catalogs)
            keyed.emplace_back(TryStrToInt(catalog.DiskNumber), std::move(catalog));
        std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
            if (!a.first || !b.first)
                return a.first.has_value() && !b.first.has_value();
            return ascending ? *a.first < *b.first : *b.first < *a.first;
        });
        for (std::size_t i = 0; i < catalogs.size(); ++i)
            catalogs[i] = std::move(keyed[i].second);
        return;
    }
    const Collation collation(Collation::Strength::IgnoreCase);
    std::stable_sort(catalogs.begin(), catalogs.end(),
                     [&](const CatalogName& a, const CatalogName& b) {
                         const int order = collation.Compare(a.DiskName, b.DiskName);
                         return ascending ? order < 0 : order > 0;
                     });
}

std::string CatalogPath(const OpenDatabase& database, const CatalogName& catalog) {
    return JoinPath(database.Path, CatalogFileName(catalog, database.Compressed));
}

void RenameCatalog(const OpenDatabase& database, const CatalogName& from, const CatalogName& to) {
    if (to.DiskNumber.empty() || to.DiskName.empty())
        throw Error(msg::ErrorRenamingCatalog);
    CheckCatalogName(to);
    CheckCatalogName(from);
    const DatabaseAccess access(database, LockKind::Exclusive);
    if (!RenameNoReplace(access.CatalogPath(from), access.CatalogPath(to)))
        throw Error(msg::ErrorRenamingCatalog);
    SyncDirectory(access.Path());
}

void DeleteCatalog(const OpenDatabase& database, const CatalogName& catalog) {
    CheckCatalogName(catalog);
    const DatabaseAccess access(database, LockKind::Exclusive);
    const std::string path = access.CatalogPath(catalog);
    if (!RemoveFile(path))
        throw Error(
            FormatMessage(errno == ENOENT ? msg::NoSuchCatalog : msg::CannotDeleteFile, path));
    SyncDirectory(access.Path());
}

} // namespace quillory
