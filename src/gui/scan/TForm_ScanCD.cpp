#include "gui/scan/TForm_ScanCD.h"

#include "common/Error.h"
#include "common/IntegerConversion.h"
#include "common/Messages.h"
#include "gui/scan/TForm_Progress.h"
#include "gui/scan/TForm_Rename.h"
#include "gui/widgets/BackgroundWork.h"
#include "gui/widgets/CatalogListView.h"
#include "gui/widgets/CommandGuard.h"
#include "gui/widgets/DesktopScale.h"
#include "gui/widgets/MessageBoxes.h"
#include "platform/SystemDrives.h"
#include "platform/Text.h"
#include "scan/CatalogList.h"
#include "scan/ScanCD.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quillory {

TForm_ScanCD::TForm_ScanCD(const Settings& settings, const OpenDatabase& openDatabase,
                           TForm_Rename& renameDialog, TForm_Progress& progress, QWidget* parent)
    : QDialog(parent), ListView1(new CatalogListView(sortState_, Scaled(335), this)),
      Edit_CDName(new QLineEdit(this)), Edit_CDNum(new QLineEdit(this)), settings_(settings),
      openDatabase_(openDatabase), renameDialog_(renameDialog), progress_(progress) {
    setObjectName(QStringLiteral("Form_ScanCD"));
    setWindowTitle(QStringLiteral("Manage Catalog"));
    resize(Scaled(QSize(495, 441)));
    Edit_CDName->setObjectName(QStringLiteral("Edit_CDName"));
    Edit_CDNum->setObjectName(QStringLiteral("Edit_CDNum"));

    auto* heading = new QLabel(QStringLiteral("Current Database Contents"), this);
    QFont large = heading->font();
    large.setPointSize(14);
    heading->setFont(large);

    auto button = [this](const char* caption, const char* objectName,
                         void (TForm_ScanCD::*handler)()) {
        auto* widget = new QPushButton(QString::fromLatin1(caption), this);
        widget->setObjectName(QString::fromLatin1(objectName));
        connect(widget, &QPushButton::clicked, this,
                [this, handler] { RunGuarded(this, [&] { (this->*handler)(); }); });
        return widget;
    };
    QPushButton* importLabel = button("Import Disk Label", "Button1", &TForm_ScanCD::Button1Click);
    QPushButton* scan = button("Scan", "Button_AddCD", &TForm_ScanCD::Button_AddCDClick);
    QPushButton* rename = button("Rename", "Button_Rename", &TForm_ScanCD::Button_RenameClick);
    QPushButton* remove = button("Delete", "Button_Delete", &TForm_ScanCD::Button_DeleteClick);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button_Cancel"));
    // Return presses a focused button, and "Scan" everywhere else.
    scan->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(heading, 0, 0, 1, 4);
    layout->addWidget(ListView1, 1, 0, 1, 4);
    auto* nameLabel = new QLabel(QStringLiteral("Name:"), this);
    auto* numberLabel = new QLabel(QStringLiteral("ID#:"), this);
    nameLabel->setBuddy(Edit_CDName);
    numberLabel->setBuddy(Edit_CDNum);
    layout->addWidget(nameLabel, 2, 0);
    layout->addWidget(Edit_CDName, 2, 1, 1, 2);
    layout->addWidget(importLabel, 2, 3);
    layout->addWidget(numberLabel, 3, 0);
    layout->addWidget(Edit_CDNum, 3, 1);
    layout->addWidget(scan, 4, 0);
    layout->addWidget(rename, 4, 1);
    layout->addWidget(remove, 4, 2);
    layout->addWidget(cancel, 4, 3);

    setTabOrder(Edit_CDName, scan);
    setTabOrder(scan, cancel);
    setTabOrder(cancel, Edit_CDNum);
    setTabOrder(Edit_CDNum, ListView1);
    setTabOrder(ListView1, importLabel);
    setTabOrder(importLabel, remove);
    setTabOrder(remove, rename);

    connect(ListView1, &CatalogListView::RowSelected, this, [this](const CatalogName& row) {
        Edit_CDNum->setText(FromBytes(row.DiskNumber));
        Edit_CDName->setText(FromBytes(row.DiskName));
    });
}

void TForm_ScanCD::ScanCD1Click() {
    PrepareManageCatalog();
    Edit_CDName->setFocus();
    exec();
}

void TForm_ScanCD::PrepareManageCatalog() {
    ListView1->SetRows({});
    ListView1->SetRows(ListCatalogNames(openDatabase_));
    Edit_CDNum->setText(QString::number(NextDiskNumber(ListView1->Rows())));
}

void TForm_ScanCD::Button1Click() {
    const std::string label = VolumeLabel(settings_.InputDir);
    if (!label.empty())
        Edit_CDName->setText(FromBytes(label));
}

void TForm_ScanCD::Button_AddCDClick() {
    const std::string number = ToBytes(Edit_CDNum->text());
    const QString typed = Edit_CDName->text();
    const CatalogName disk{DiskNameOrDefault(ToBytes(typed)), number};
    if (!PassesOrShowsError(this, [&] { CheckDiskNumber(number); }) ||
        !PassesOrShowsError(this, [&] { CheckDiskName(ToBytes(typed)); }) ||
        !PassesOrShowsError(this, [&] { CheckCatalogName(disk); }))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    progress_.BeginScan(this);
    Edit_CDName->setText(FromBytes(disk.DiskName));

    ScanResult result;
    try {
        RunWhileWaiting([&] {
            result = ScanCD(openDatabase_, settings_.InputDir, disk, ReadMountedVolumes());
        });
    } catch (...) {
        progress_.EndScan();
        Edit_CDName->setText(typed);
        throw;
    }
    progress_.EndScan();
    if (result.Outcome == ScanOutcome::WriteFailed) {
        // Nothing was catalogued: the old catalog stays, and so do the fields.
        Edit_CDName->setText(typed);
        ShowUnexpectedErrorBox(this, result.Failure);
        return;
    }
    if (result.Outcome == ScanOutcome::NotAvailable)
        ShowErrorBox(this, msg::DiskNotAvailable);
    if (result.Outcome == ScanOutcome::Written) {
        ListView1->PutRow(disk);
        Edit_CDNum->setText(QString::number(static_cast<long long>(StrToInt(number)) + 1));
    }
    Edit_CDName->clear();
    ListView1->SortAgain();
}

void TForm_ScanCD::Button_RenameClick() {
    const auto row = ListView1->SelectedRow();
    if (!row) {
        ShowErrorBox(this, msg::SelectFileToRename);
        return;
    }
    renameDialog_.ShowFor(
        *row, [this] { RunGuarded(&renameDialog_, [this] { RenameDialogRenameClick(); }); });
}

void TForm_ScanCD::RenameDialogRenameClick() {
    const CatalogName to = renameDialog_.To();
    // An empty, non-integer or unusable new id or name keeps the dialog open.
    if (to.DiskNumber.empty() || to.DiskName.empty()) {
        ShowErrorBox(&renameDialog_, msg::ErrorRenamingCatalog);
        return;
    }
    if (!PassesOrShowsError(&renameDialog_, [&] { CheckDiskNumber(to.DiskNumber); }) ||
        !PassesOrShowsError(&renameDialog_, [&] { CheckDiskName(to.DiskName); }))
        return;
    const bool renamed = PassesOrShowsError(
        &renameDialog_, [&] { RenameCatalog(openDatabase_, renameDialog_.From(), to); });
    renameDialog_.accept();
    if (renamed)
        PrepareManageCatalog();
}

void TForm_ScanCD::Button_DeleteClick() {
    const auto row = ListView1->SelectedRow();
    if (!row) {
        ShowErrorBox(this, msg::SelectFileToDelete);
        return;
    }
    if (!AskWarningBox(this, msg::ConfirmDeleteFile))
        return;
    try {
        DeleteCatalog(openDatabase_, *row);
    } catch (const Error&) {
        // A catalog that cannot be deleted says so by staying in the list.
    }
    PrepareManageCatalog();
    Edit_CDNum->clear();
    Edit_CDName->clear();
}

} // namespace quillory
