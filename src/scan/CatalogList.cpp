#include "scan/CatalogList.h"

#include "common/Error.h"
#include "common/FileSystem.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "store/CatalogName.h"
#include "common/IntegerConversion.h"

#include <algorithm>
#include <optional>
#include <unistd.h>

namespace quillory {

std::vector<CatalogRow> ListCatalogRows(const Settings& settings) {
    std::vector<CatalogRow> rows;
    for (const std::string& file :
         ListCatalogFiles(settings.OpenDBPath, settings.OpenDBCompressed)) {
        CatalogName cut = CutCatalogFileName(file, settings.OpenDBCompressed);
        rows.push_back({std::move(cut.DiskNumber), std::move(cut.DiskName)});
    }
    return rows;
}

std::int64_t NextDiskNumber(const std::vector<CatalogRow>& rows) {
    std::int64_t highest = -1;
    for (const CatalogRow& row : rows)
        highest = std::max<std::int64_t>(highest, StrToInt(row.Number));
    return highest + 1;
}

void SortCatalogRows(std::vector<CatalogRow>& rows, int key, bool ascending) {
    if (key == NumberColumn) {
        // The values are converted once; a text that is no integer sorts after
        // every number, in either direction of the list.
        std::vector<std::pair<std::optional<std::int32_t>, CatalogRow>> keyed;
        keyed.reserve(rows.size());
        for (CatalogRow& row : rows)
            keyed.emplace_back(TryStrToInt(row.Number), std::move(row));
        std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
            if (!a.first || !b.first)
                return a.first.has_value() && !b.first.has_value();
            return ascending ? *a.first < *b.first : *b.first < *a.first;
        });
        for (std::size_t i = 0; i < rows.size(); ++i)
            rows[i] = std::move(keyed[i].second);
        return;
    }
    const Collation collation(Collation::Strength::IgnoreCase);
    std::stable_sort(rows.begin(), rows.end(), [&](const CatalogRow& a, const CatalogRow& b) {
        const int order = collation.Compare(a.Name, b.Name);
        return ascending ? order < 0 : order > 0;
    });
}

void CheckDiskNumber(const std::string& number) {
    if (!TryStrToInt(number))
        throw Error(msg::DiskNumberNotInteger);
}

void CheckDiskName(const std::string& name) {
    if (name.find('!') != std::string::npos)
        throw Error(msg::DiskNameWithBang);
    const bool bad = std::any_of(name.begin(), name.end(), [](char c) {
        return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (bad)
        throw Error(msg::DiskNameWithSeparator);
}

std::string CatalogPath(const Settings& settings, const CatalogRow& row) {
    return JoinPath(settings.OpenDBPath,
                    CatalogFileName(row.Name, row.Number, settings.OpenDBCompressed));
}

void RenameCatalog(const Settings& settings, const CatalogRow& from, const CatalogRow& to) {
    if (to.Number.empty() || to.Name.empty())
        throw Error(msg::ErrorRenamingCatalog);
    CheckDiskNumber(to.Number);
    CheckDiskName(to.Name);
    if (!RenameNoReplace(CatalogPath(settings, from), CatalogPath(settings, to)))
        throw Error(msg::ErrorRenamingCatalog);
}

void DeleteCatalog(const Settings& settings, const CatalogRow& row) {
    ::unlink(CatalogPath(settings, row).c_str());
}

} // namespace quillory
