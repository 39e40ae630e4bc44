#pragma once

#include "search/FindFile.h"
#include "search/SearchCriteria.h"

namespace quillory {

// What runs a search or a disk listing and shows its matches: the dialogs that
// ask for one hold this, the main window is one. The dialogs so never know
// the window that shows the list.
class SearchRunner {
public:
    virtual ~SearchRunner() = default;

    // Searches the catalogs of `scope` in the open database and shows the
    // matches, sorted by name. A failure leaves the shown list as it was and
    // is raised.
    virtual void RunSearch(const CatalogScope& scope, const SearchCriteria& criteria) = 0;
};

} // namespace quillory
