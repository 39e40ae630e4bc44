#include "store/DefaultDatabase.h"

#include "common/FileOperations.h"
#include "common/Path.h"
#include "store/DatabaseLayout.h"

namespace quillory {

void KeepDefaultDatabaseCompressed(const std::string& databaseDir) {
    const std::string database = FindEntryIgnoringCase(databaseDir, MainDatabaseName);
    if (database.empty() || FindEntryIgnoringCase(database, CompressedMarkerName).empty())
        return;
    const std::string plainMarker = FindEntryIgnoringCase(database, PlainMarkerName);
    if (!plainMarker.empty())
        RemoveFile(plainMarker);
}

} // namespace quillory
