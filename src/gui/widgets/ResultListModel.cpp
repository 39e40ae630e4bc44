#include "gui/widgets/ResultListModel.h"

#include "platform/Text.h"

#include <algorithm>
#include <limits>

namespace quillory {

namespace {
constexpr std::array<const char*, ResultColumnCount> ColumnCaptions = {
    "Name", "Directory", "Disk Name", "id#", "Size", "Date/Time"};
}

ResultListModel::ResultListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultListModel::Show(const ResultRowSource* source, std::size_t rowCount) {
    beginResetModel();
    source_ = source;
    // A view counts rows in an int; more rows than that cannot be shown.
    rowCount_ = static_cast<int>(
        std::min<std::size_t>(rowCount, static_cast<std::size_t>(std::numeric_limits<int>::max())));
    endResetModel();
}

void ResultListModel::Clear() {
    Show(source_, 0);
}

void ResultListModel::Refresh() {
    if (rowCount_ > 0)
        emit dataChanged(index(0, 0), index(rowCount_ - 1, columnCount() - 1));
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount_;
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ResultColumnCount);
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !source_ || !index.isValid() || index.row() >= rowCount_)
        return {};
    return FromBytes(source_->Row(static_cast<std::size_t>(index.row()))[index.column()]);
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    return QString::fromLatin1(ColumnCaptions[section]);
}

} // namespace quillory
