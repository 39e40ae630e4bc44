#pragma once

#include "settings/Settings.h"

#include <QDialog>
#include <functional>

class QPushButton;

namespace quillory {

class CatalogListView;
class TForm_Main;

// "Select Catalog": the open database's catalogs, sortable by number and
// name, and an action button whose caption and action the opening command sets.
class TForm_SelectCatalog final : public QDialog {
    Q_OBJECT
public:
    TForm_SelectCatalog(Settings& settings, TForm_Main& main);

    // "List Disk Catalog": fills the list and shows it with the "List" action.
    void ListCatalogs();
    // Fills the list from the catalog files of the open database.
    void FindRecord();
    // The list action: every record of the selected catalog into the main list.
    void Button_ListClick();

    CatalogListView* ListView1;
    QPushButton* ActionButton;

private:
    Settings& settings_;
    TForm_Main& main_;
    std::function<void()> action_;
    int selectionSortState_ = 1;
};

} // namespace quillory
