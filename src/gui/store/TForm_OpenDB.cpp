#include "gui/store/TForm_OpenDB.h"

#include "common/Error.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "gui/store/TForm_RenameDB.h"
#include "gui/widgets/BackgroundWork.h"
#include "gui/widgets/CommandGuard.h"
#include "gui/widgets/DesktopScale.h"
#include "gui/widgets/MessageBoxes.h"
#include "gui/widgets/TForm_info.h"
#include "index/IndexedConversion.h"
#include "platform/Text.h"
#include "store/Database.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <sys/stat.h>

namespace quillory {

TForm_OpenDB::TForm_OpenDB(const Settings& settings, OpenDatabase& openDatabase,
                           TForm_RenameDB& renameDialog, TForm_info& waitWindow, QWidget* parent)
    : QDialog(parent), ListView1(new QTreeWidget(this)), Edit_DBName(new QLineEdit(this)),
      CheckBox_Compress(new QCheckBox(QStringLiteral("Compress Database"), this)),
      settings_(settings), openDatabase_(openDatabase), renameDialog_(renameDialog),
      waitWindow_(waitWindow) {
    setObjectName(QStringLiteral("Form_OpenDB"));
    setWindowTitle(QStringLiteral("Select Database"));
    resize(Scaled(QSize(420, 360)));

    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setHeaderLabels({QStringLiteral("Database"), QStringLiteral("Compressed")});
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    ListView1->header()->setSectionResizeMode(1, QHeaderView::Fixed);
    ListView1->header()->resizeSection(1, Scaled(100));
    ListView1->headerItem()->setTextAlignment(1, Qt::AlignCenter);
    Edit_DBName->setObjectName(QStringLiteral("Edit_DBName"));
    Edit_DBName->setAccessibleName(QStringLiteral("Database name"));
    ListView1->setAccessibleName(QStringLiteral("Databases"));
    CheckBox_Compress->setObjectName(QStringLiteral("CheckBox_Compress"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(ListView1, 0, 0, 1, 4);
    layout->addWidget(Edit_DBName, 1, 0, 1, 3);
    layout->addWidget(CheckBox_Compress, 1, 3);
    const std::array<std::pair<const char*, void (TForm_OpenDB::*)()>, 4> buttons = {
        std::pair{"Open/New", &TForm_OpenDB::Button_OpenClick},
        std::pair{"Rename", &TForm_OpenDB::Button_RenameClick},
        std::pair{"Delete", &TForm_OpenDB::Button_DeleteClick},
        std::pair{"Close", &TForm_OpenDB::Button_CancelClick}};
    int column = 0;
    for (const auto& [caption, handler] : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(caption), this);
        button->setObjectName(QString::fromLatin1(caption));
        // Return presses a focused button, and "Open/New" everywhere else.
        button->setDefault(column == 0);
        connect(button, &QPushButton::clicked, this,
                [this, handler = handler] { RunGuarded(this, [&] { (this->*handler)(); }); });
        layout->addWidget(button, 2, column++);
    }

    connect(ListView1, &QTreeWidget::itemSelectionChanged, this,
            &TForm_OpenDB::ListView1SelectItem);
    // Only the user's change converts, by mouse, keyboard or a screen
    // reader's toggle; the dialog's own settings of the box are made quietly.
    connect(CheckBox_Compress, &QCheckBox::toggled, this,
            [this] { RunGuarded(this, [this] { CheckBox_CompressClick(); }); });
}

void TForm_OpenDB::OpenDBClick() {
    ShowDBForm();
    // A person opening the dialog types a database's name first; the list
    // is a click or a Tab away.
    Edit_DBName->setFocus();
    exec();
}

void TForm_OpenDB::ShowDBForm() {
    const QSignalBlocker quiet(ListView1);
    ListView1->clear();
    for (const DatabaseEntry& database : ListDatabases(settings_.DatabaseDir)) {
        auto* row = new QTreeWidgetItem(
            ListView1, {FromBytes(database.Name), database.Compressed ? "Y" : "N"});
        row->setTextAlignment(1, Qt::AlignCenter);
    }
}

QString TForm_OpenDB::SelectedName() const {
    const auto selected = ListView1->selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text(0);
}

void TForm_OpenDB::ListView1SelectItem() {
    const auto selected = ListView1->selectedItems();
    if (selected.isEmpty() || selected.front()->text(0).isEmpty())
        return;
    Edit_DBName->setText(selected.front()->text(0));
    SetCompressQuietly(selected.front()->text(1) == QLatin1String("Y"));
}

bool TForm_OpenDB::AcceptableName(const std::string& name) {
    return PassesOrShowsError(this, [&] { CheckDatabaseName(name); });
}

void TForm_OpenDB::Button_OpenClick() {
    const std::string name = ToBytes(Edit_DBName->text());
    if (name.empty() || !AcceptableName(name))
        return;
    openDatabase_ =
        OpenOrCreateDatabase(settings_.DatabaseDir, name, CheckBox_Compress->isChecked());
    emit DatabaseOpened();
    accept();
    ListView1->clear();
}

void TForm_OpenDB::Button_DeleteClick() {
    const QString name = SelectedName();
    if (name.isEmpty()) {
        ShowErrorBox(this, msg::SelectDatabaseToDelete);
        return;
    }
    if (!AskWarningBox(this, msg::ConfirmDeleteDatabase))
        return;
    const std::string path = DatabasePath(settings_.DatabaseDir, ToBytes(name));
    try {
        DeleteDatabase(settings_.DatabaseDir, openDatabase_, ToBytes(name));
    } catch (...) {
        // A file that would not go is reported, but the database may be gone.
        DatabaseGone(path);
        throw;
    }
    DatabaseGone(path);
    Edit_DBName->clear();
}

void TForm_OpenDB::DatabaseGone(const std::string& path) {
    if (path == openDatabase_.Path && !IsDatabase(path))
        emit OpenDatabaseDeleted();
    ShowDBForm();
}

void TForm_OpenDB::Button_RenameClick() {
    const QString name = SelectedName();
    if (name.isEmpty()) {
        ShowErrorBox(this, msg::SelectDatabaseToRename);
        return;
    }
    renameDialog_.ShowFor(name, [this, oldName = ToBytes(name)] {
        RunGuarded(&renameDialog_, [&] { RenameDialogRenameClick(oldName); });
    });
}

void TForm_OpenDB::RenameDialogRenameClick(const std::string& oldName) {
    const std::string newName = ToBytes(renameDialog_.Edit_to_name->text());
    if (newName.empty()) {
        ShowErrorBox(&renameDialog_, msg::ErrorRenamingDatabase);
        return;
    }
    if (!AcceptableName(newName))
        return;
    bool renamedOpenDatabase = false;
    try {
        renamedOpenDatabase =
            RenameDatabase(settings_.DatabaseDir, openDatabase_, oldName, newName);
    } catch (const Error& error) {
        ShowErrorBox(&renameDialog_, error.what());
    }
    renameDialog_.accept();
    ShowDBForm();
    if (renamedOpenDatabase)
        emit OpenDatabaseChanged();
}

void TForm_OpenDB::Button_CancelClick() {
    ListView1->clear();
    reject();
}

void TForm_OpenDB::CheckBox_CompressClick() {
    const std::string name = ToBytes(Edit_DBName->text());
    const bool compress = CheckBox_Compress->isChecked();
    struct stat info {};
    if (name.empty() || ::lstat(JoinPath(settings_.DatabaseDir, name).c_str(), &info) != 0)
        return; // the box only chooses the form of a database created later
    if (!AcceptableName(name)) {
        SetCompressQuietly(!compress);
        return;
    }
    const std::string path = DatabasePath(settings_.DatabaseDir, name);
    if (!IsDatabase(path))
        return; // a directory without a marker is no database to convert
    try {
        const BusyCursor busy(&waitWindow_);
        waitWindow_.ShowWith(
            QString::fromLatin1(compress ? msg::WaitCompressing : msg::WaitDecompressing), this);
        RunWhileWaiting([&] { ConvertKeepingIndex(path, compress); });
    } catch (...) {
        FollowForm(path);
        throw;
    }
    FollowForm(path);
    ShowDBForm();
}

void TForm_OpenDB::SetCompressQuietly(bool checked) {
    const QSignalBlocker quiet(CheckBox_Compress);
    CheckBox_Compress->setChecked(checked);
}

void TForm_OpenDB::FollowForm(const std::string& path) {
    // Whether it succeeded or not, the markers say the database's form now:
    // the box shows it, and the open database follows it so that its
    // catalogs stay visible.
    const bool compressed = MarkedCompressed(path).value_or(CheckBox_Compress->isChecked());
    SetCompressQuietly(compressed);
    if (path == openDatabase_.Path) {
        openDatabase_.Compressed = compressed;
        emit OpenDatabaseChanged();
    }
}

} // namespace quillory
