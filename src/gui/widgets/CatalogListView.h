#pragma once

#include "scan/CatalogList.h"

#include <QTreeWidget>
#include <optional>
#include <vector>

namespace quillory {

// A list of the open database's catalogs with the columns "id#" and "Name",
// one row selectable at a time. A click on a column heading sorts by the
// click rule; the sort state belongs to the dialog that owns the list and is
// remembered for the whole run.
class CatalogListView final : public QTreeWidget {
    Q_OBJECT
public:
    CatalogListView(int& sortState, int nameWidth, QWidget* parent);

    // Shows `rows` sorted by number, ascending; the sort state is not changed.
    void SetRows(std::vector<CatalogName> rows);
    // Adds a row at the end unless one of the same name and number is shown
    // already; SortAgain puts it in its place.
    void PutRow(CatalogName row);
    // Sorts again in the order the sort state stands for.
    void SortAgain();
    // The click on heading `column` (0 "id#", 1 "Name").
    void ColumnClick(int column);

    std::optional<CatalogName> SelectedRow() const;
    const std::vector<CatalogName>& Rows() const { return rows_; }

signals:
    void RowSelected(const quillory::CatalogName& row);

private:
    void Sort(int key, bool ascending);
    void Show();

    int& sortState_;
    std::vector<CatalogName> rows_;
};

} // namespace quillory
