#pragma once

#include "settings/Settings.h"
#include "store/OpenDatabase.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QTreeWidget;

namespace quillory {

class TForm_RenameDB;
class TForm_info;

// "Select Database": lists the databases under the database root and opens,
// creates, renames, deletes and converts them. Opening a database makes it the
// open database of the run; its signals tell the window that shows it.
class TForm_OpenDB final : public QDialog {
    Q_OBJECT
public:
    TForm_OpenDB(const Settings& settings, OpenDatabase& openDatabase, TForm_RenameDB& renameDialog,
                 TForm_info& waitWindow, QWidget* parent);

    // Fills the list and shows the dialog modally.
    void OpenDBClick();
    // Fills the list from the database root.
    void ShowDBForm();

    void Button_OpenClick();
    void Button_RenameClick();
    void Button_DeleteClick();
    void Button_CancelClick();
    void CheckBox_CompressClick();

    QTreeWidget* ListView1;
    QLineEdit* Edit_DBName;
    QCheckBox* CheckBox_Compress;

signals:
    // A database was opened (or created): the database commands may run.
    void DatabaseOpened();
    // The open database was renamed or converted: its status shows anew.
    void OpenDatabaseChanged();
    // The open database was deleted: nothing is open for the commands any more.
    void OpenDatabaseDeleted();

private:
    void ListView1SelectItem();
    void RenameDialogRenameClick(const std::string& oldName);
    QString SelectedName() const;
    void FollowForm(const std::string& path);
    // Sets the box to match a database; that converts nothing.
    void SetCompressQuietly(bool checked);
    // After a deletion: tells when the open database is gone, refills the list.
    void DatabaseGone(const std::string& path);
    // Refuses a bad name with the error box; true when the name may be used.
    bool AcceptableName(const std::string& name);

    const Settings& settings_;
    OpenDatabase& openDatabase_;
    TForm_RenameDB& renameDialog_;
    TForm_info& waitWindow_;
};

} // namespace quillory
