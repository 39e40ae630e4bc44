#include "gui/widgets/CatalogListView.h"

#include "common/SortState.h"
#include "gui/widgets/DesktopScale.h"
#include "platform/Text.h"

#include <QHeaderView>
#include <algorithm>

namespace quillory {

CatalogListView::CatalogListView(int& sortState, int nameWidth, QWidget* parent)
    : QTreeWidget(parent), sortState_(sortState) {
    setObjectName(QStringLiteral("ListView1"));
    setAccessibleName(QStringLiteral("Catalogs"));
    setHeaderLabels({QStringLiteral("id#"), QStringLiteral("Name")});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    setColumnWidth(0, Scaled(60));
    setColumnWidth(1, nameWidth);
    connect(header(), &QHeaderView::sectionClicked, this, &CatalogListView::ColumnClick);
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (const auto row = SelectedRow())
            emit RowSelected(*row);
    });
}

void CatalogListView::SetRows(std::vector<CatalogName> rows) {
    rows_ = std::move(rows);
    Sort(NumberColumn, true);
}

void CatalogListView::PutRow(CatalogName row) {
    // A rescanned catalog is one file still, so it stays one row.
    const bool shown = std::any_of(rows_.begin(), rows_.end(), [&](const CatalogName& r) {
        return r.DiskName == row.DiskName && r.DiskNumber == row.DiskNumber;
    });
    if (!shown)
        rows_.push_back(std::move(row));
    Show();
}

void CatalogListView::SortAgain() {
    const SortOrder order = CurrentOrder(sortState_);
    Sort(order.Key, order.Ascending);
}

void CatalogListView::ColumnClick(int column) {
    const SortOrder order = HeaderClick(sortState_, column + 1);
    Sort(order.Key, order.Ascending);
}

std::optional<CatalogName> CatalogListView::SelectedRow() const {
    const auto selected = selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return rows_.at(static_cast<std::size_t>(indexOfTopLevelItem(selected.front())));
}

void CatalogListView::Sort(int key, bool ascending) {
    SortCatalogNames(rows_, key, ascending);
    Show();
}

void CatalogListView::Show() {
    const QSignalBlocker quiet(this);
    clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows_.size()));
    for (const CatalogName& row : rows_)
        items.append(new QTreeWidgetItem({FromBytes(row.DiskNumber), FromBytes(row.DiskName)}));
    addTopLevelItems(items);
}

} // namespace quillory
