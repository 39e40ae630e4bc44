#pragma once

#include "search/ResultRow.h"

#include <QAbstractTableModel>

namespace quillory {

// The main window's result list as a virtual model: it knows a row count and a
// source of rows, and formats a row's cells only when the view asks for them,
// so a list of millions of rows shows at once.
class ResultListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultListModel(QObject* parent = nullptr);

    // Shows `rowCount` rows of `source` (which must outlive the model's use of it).
    void Show(const ResultRowSource* source, std::size_t rowCount);
    // Shows no rows; the source itself is left as it is.
    void Clear();
    // Tells the view that the rows' order or texts changed.
    void Refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const ResultRowSource* source_ = nullptr;
    int rowCount_ = 0;
};

} // namespace quillory
