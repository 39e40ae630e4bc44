#pragma once

#include "store/OpenDatabase.h"

#include <QDialog>
#include <functional>

class QPushButton;

namespace quillory {

class CatalogListView;
class SearchRunner;

// "Select Catalog": the open database's catalogs, sortable by number and
// name, and an action button whose caption and action the opening command sets.
class TForm_SelectCatalog final : public QDialog {
    Q_OBJECT
public:
    TForm_SelectCatalog(const OpenDatabase& openDatabase, SearchRunner& searches, QWidget* parent);

    // "List Disk Catalog": fills the list and shows it with the "List" action.
    void ListCatalogs();
    // Fills the list from the catalog files of the open database.
    void FindRecord();
    // The list action: every record of the selected catalog into the main list.
    void Button_ListClick();

    CatalogListView* ListView1;
    QPushButton* ActionButton;

private:
    const OpenDatabase& openDatabase_;
    SearchRunner& searches_;
    std::function<void()> action_;
    int selectionSortState_ = 1;
};

} // namespace quillory
