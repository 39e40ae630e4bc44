#include "index/IndexDatabase.h"

#include "common/Parallel.h"
#include "common/Path.h"
#include "index/SearchIndex.h"
#include "store/CatalogName.h"
#include "store/DatabaseAccess.h"

#include <mutex>

namespace quillory {

void IndexDatabase(const OpenDatabase& database, const IndexProgress& progress) {
    const DatabaseAccess access(database, LockKind::Shared);
    const SearchIndex index(access.Path());
    const std::vector<std::string> files = ListCatalogFiles(access.Path(), access.Compressed());
    std::mutex mutex;
    std::size_t done = 0;
    ForEachInParallel(files.size(), [&](std::size_t i) {
        const std::string path = JoinPath(access.Path(), files[i]);
        if (!index.CurrentPart(path))
            index.ReadAndStore(path, access.Compressed());
        const std::lock_guard lock(mutex);
        if (progress)
            progress(++done, files.size());
    });
    index.RemoveStale(files);
}

void DropIndex(const OpenDatabase& database) {
    SearchIndex(database.Path).Drop();
}

} // namespace quillory
