#pragma once

#include <string>

namespace quillory {

// The first-run rule's part in the database root: an installation creates the
// default database "Main Database" with both markers, and on the first run it
// keeps only the compressed one, so the default database starts compressed.
// Names are matched without regard to case. A deletion that fails is of no
// consequence and is ignored.
void KeepDefaultDatabaseCompressed(const std::string& databaseDir);

} // namespace quillory
