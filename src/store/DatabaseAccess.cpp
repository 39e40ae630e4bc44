#include "store/DatabaseAccess.h"

#include "common/Path.h"
#include "store/ConversionJournal.h"
#include "store/Database.h"
#include "store/TemporaryFile.h"

#include <dirent.h>
#include <memory>
#include <unistd.h>

namespace quillory {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

DatabaseAccess::DatabaseAccess(const std::string& path, bool unmarkedForm, LockKind kind)
    : path_(path), lock_(path, kind) {
    if (kind == LockKind::Exclusive) {
        CompleteInterruptedConversion(path_);
        RemoveLeftovers(path_);
    }
    compressed_ = MarkedCompressed(path_).value_or(unmarkedForm);
}

const std::vector<std::string>& DatabaseAccess::CatalogFiles() const {
    if (!catalogFiles_)
        catalogFiles_ = ListCatalogFiles(path_, compressed_);
    return *catalogFiles_;
}

std::string DatabaseAccess::CatalogPath(const CatalogName& catalog) const {
    return JoinPath(path_, CatalogFileName(catalog, compressed_));
}

void RemoveLeftovers(const std::string& path) {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
    if (!dir)
        return;
    const std::string_view prefix = TemporaryFile::Prefix;
    while (const dirent* entry = ::readdir(dir.get())) {
        // A leftover that cannot be removed does no harm: no listing shows it.
        if (std::string_view(entry->d_name).starts_with(prefix))
            ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
}

} // namespace quillory
