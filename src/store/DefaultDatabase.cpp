#include "store/DefaultDatabase.h"

#include "common/Path.h"
#include "store/DatabaseLayout.h"

#include <unistd.h>

namespace quillory {

void KeepDefaultDatabaseCompressed(const std::string& databaseDir) {
    const std::string database = FindEntryIgnoringCase(databaseDir, MainDatabaseName);
    if (database.empty() || FindEntryIgnoringCase(database, CompressedMarkerName).empty())
        return;
    const std::string plainMarker = FindEntryIgnoringCase(database, PlainMarkerName);
    if (!plainMarker.empty())
        ::unlink(plainMarker.c_str());
}

} // namespace quillory
