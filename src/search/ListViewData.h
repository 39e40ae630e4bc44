#pragma once

#include "search/ResultList.h"
#include "search/ResultRow.h"

namespace quillory {

// The six cell texts of result row `index`: Name, Directory, Disk Name, id#
// and Size as read, and the Date/Time cell made of the date, alignment spaces
// and the time. The spaces depend only on the date's length: 7 after an
// 8-character date (5/3/2003), 5 after a 9-character one, 4 after any other.
// A row outside the list gets empty cells. The cells go into `row`.
void ListViewData(const ResultList& list, std::size_t index, ResultRow& row);

// The rows of a result list, as the main window's list and the output read them.
class ResultListRows final : public ResultRowSource {
public:
    explicit ResultListRows(const ResultList& list) : list_(list) {}
    void ReadRow(std::size_t index, ResultRow& row) const override {
        ListViewData(list_, index, row);
    }

private:
    const ResultList& list_;
};

} // namespace quillory
