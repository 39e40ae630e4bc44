#pragma once

#include "scan/CatalogList.h"
#include "settings/Settings.h"
#include "store/OpenDatabase.h"

#include <QDialog>

class QLineEdit;

namespace quillory {

class CatalogListView;
class TForm_Progress;
class TForm_Rename;

// "Manage Catalog": the catalogs of the open database, and scanning a disk
// into a new one, renaming and deleting them.
class TForm_ScanCD final : public QDialog {
    Q_OBJECT
public:
    TForm_ScanCD(const Settings& settings, const OpenDatabase& openDatabase,
                 TForm_Rename& renameDialog, TForm_Progress& progress, QWidget* parent);

    // Opens the manager: fills it, proposes the next number, shows it modally.
    void ScanCD1Click();
    void PrepareManageCatalog();

    void Button1Click();      // "Import Disk Label"
    void Button_AddCDClick(); // "Scan"
    void Button_RenameClick();
    void Button_DeleteClick();

    CatalogListView* ListView1;
    QLineEdit* Edit_CDName;
    QLineEdit* Edit_CDNum;

private:
    void RenameDialogRenameClick();

    const Settings& settings_;
    const OpenDatabase& openDatabase_;
    TForm_Rename& renameDialog_;
    TForm_Progress& progress_;
    int sortState_ = NumberColumn;
};

} // namespace quillory
