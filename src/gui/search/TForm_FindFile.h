#pragma once

#include "search/FindForm.h"
#include "store/OpenDatabase.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTimeEdit;

namespace quillory {

class SearchRunner;
class TForm_info;

// "Find File": what to look for in names and directories, which disks, and a
// date range. Its controls keep their values from one showing to the next.
class TForm_FindFile final : public QDialog {
    Q_OBJECT
public:
    TForm_FindFile(const OpenDatabase& openDatabase, SearchRunner& searches, TForm_info& waitWindow,
                   QWidget* parent);

    // Refills the two drop-down lists from the open database's catalogs and
    // shows the dialog modally.
    int ShowModal();
    void Button_FindClick();

    FindForm Read() const;

    QCheckBox* CheckBox_Name;
    QCheckBox* CheckBox_DirectoryName;
    QLineEdit* Edit1;
    QCheckBox* CheckBox_CDName;
    QComboBox* ComboBox_CDName;
    QCheckBox* CheckBox_CDNum;
    QComboBox* ComboBox_CDNum;
    QCheckBox* CheckBox_Date;
    QDateEdit* StartDate;
    QTimeEdit* StartTime;
    QDateEdit* EndDate;
    QTimeEdit* EndTime;

private:
    void FillDropDownLists();
    void UpdateEnabled();

    const OpenDatabase& openDatabase_;
    SearchRunner& searches_;
    TForm_info& waitWindow_;
    QLabel* startLabel_;
    QLabel* endLabel_;
};

} // namespace quillory
