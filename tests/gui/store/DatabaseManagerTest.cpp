#include "common/Messages.h"
#include "gui/app/TForm_Main.h"
#include "gui/store/TForm_OpenDB.h"
#include "gui/store/TForm_RenameDB.h"
#include "gui/support/BoxRecorder.h"
#include "gui/support/OnEvent.h"
#include "gui/widgets/ResultListModel.h"
#include "gui/widgets/TForm_info.h"
#include "store/BZip2.h"
#include "support/DirectorySnapshot.h"
#include "support/MemorySettingsStore.h"
#include "support/TempDir.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <filesystem>

using namespace quillory;
using quillory::test::BoxRecorder;
using quillory::test::MemorySettingsStore;
using quillory::test::ReadFile;
using quillory::test::Snapshot;
using quillory::test::WriteFile;
namespace fs = std::filesystem;

namespace {

const QStringList DatabaseCommands = {"ScanCD1",     "Find1",     "ListAll1",  "Export1",
                                      "Print1",      "Tool_Scan", "Tool_Find", "Tool_ListAll",
                                      "Tool_Export", "Tool_Print"};
const std::string Marker = "Quillory v1.0\r\n";
const QString Spaces(17, ' ');

class SomeRows final : public ResultRowSource {
public:
    void ReadRow(std::size_t, ResultRow& row) const override {
        row = {"a", "\\", "Disk", "1", "0", ""};
    }
};

} // namespace

class DatabaseManagerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> temp;
    std::string root; // inside `temp`, so that "../x" would land beside it
    MemorySettingsStore store;
    Settings settings;
    OpenDatabase openDatabase;
    std::unique_ptr<TForm_Main> main;
    TForm_RenameDB* rename = nullptr;
    TForm_info* info = nullptr;
    TForm_OpenDB* dialog = nullptr;

    void MakeDatabase(const std::string& name, const std::string& marker,
                      const std::map<std::string, std::string>& catalogs = {}) {
        fs::create_directory(root + name);
        WriteFile(root + name + "/" + marker, Marker);
        for (const auto& [file, bytes] : catalogs)
            WriteFile(root + name + "/" + file, bytes);
    }

    QStringList Rows() const {
        QStringList rows;
        for (int i = 0; i < dialog->ListView1->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = dialog->ListView1->topLevelItem(i);
            rows << row->text(0) + ":" + row->text(1);
        }
        return rows;
    }

    void Select(const QString& name) {
        const auto found = dialog->ListView1->findItems(name, Qt::MatchExactly, 0);
        QVERIFY2(found.size() == 1, qPrintable(name));
        dialog->ListView1->setCurrentItem(found.front());
    }

    bool CommandsEnabled(bool enabled) const {
        return std::all_of(DatabaseCommands.begin(), DatabaseCommands.end(), [&](const QString& n) {
            return main->findChild<QAction*>(n)->isEnabled() == enabled;
        });
    }

    // Selects database `name`, presses "Rename" in the rename dialog with
    // `newName` in its "TO:" box and returns whether the dialog stayed open (it
    // is then cancelled).
    bool Rename(const QString& name, const QString& newName) {
        Select(name);
        if (dialog->ListView1->selectedItems().isEmpty())
            return false; // the dialog would not open, and nothing would answer it
        bool stayedOpen = false;
        QTimer::singleShot(0, rename, [&] {
            rename->Edit_to_name->setText(newName);
            rename->findChild<QPushButton*>("RenameButton")->click();
            stayedOpen = rename->isVisible();
            if (stayedOpen)
                rename->reject();
        });
        dialog->Button_RenameClick();
        return stayedOpen;
    }

    // Opens database `name` with the box clear, then lists the databases again.
    void OpenByName(const QString& name) {
        dialog->Edit_DBName->setText(name);
        dialog->Button_OpenClick();
        dialog->ShowDBForm();
    }

private slots:
    void init() {
        temp = std::make_unique<test::TempDir>();
        root = temp->File("root") + "/";
        fs::create_directory(root);
        store = MemorySettingsStore();
        store.Present = false;
        settings = Settings();
        openDatabase = OpenDatabase();
        main = std::make_unique<TForm_Main>(settings, store, openDatabase, FirstRunActions());
        settings.DatabaseDir = root;
        rename = new TForm_RenameDB(main.get());
        info = new TForm_info(main.get());
        dialog = new TForm_OpenDB(settings, openDatabase, *rename, *info, main.get());
        MainWindowDialogs dialogs;
        dialogs.OpenDB = dialog;
        main->SetDialogs(dialogs);
    }

    void cleanup() {
        main.reset();
        temp.reset();
    }

    void returnOpensTheTypedNameAndPressesAFocusedButton() {
        QVERIFY(dialog->findChild<QPushButton*>("Open/New")->isDefault());
        bool open = true;
        QTimer::singleShot(0, dialog, [&] {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            dialog->Edit_DBName->setFocus();
            QTest::keyClicks(dialog->Edit_DBName, "Typed");
            QTest::keyClick(dialog->Edit_DBName, Qt::Key_Return);
            open = dialog->isVisible();
            if (open)
                dialog->reject();
        });
        dialog->OpenDBClick();
        QVERIFY(!open);
        QCOMPARE(ReadFile(root + "Typed/VLR_STD"), Marker);

        QTimer::singleShot(0, dialog, [&] {
            auto* close = dialog->findChild<QPushButton*>("Close");
            close->setFocus();
            QTest::keyClick(close, Qt::Key_Return);
            open = dialog->isVisible();
        });
        dialog->OpenDBClick();
        QVERIFY(!open);
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
    }

    void openWithoutANameDoesNothing() {
        BoxRecorder boxes;
        dialog->Button_OpenClick();
        QVERIFY(boxes.Boxes.empty());
        QVERIFY(fs::is_empty(root));
        QVERIFY(openDatabase.Name.empty());
        QVERIFY(CommandsEnabled(false));
    }

    void newNameWithTheBoxTickedCreatesACompressedDatabase() {
        BoxRecorder boxes;
        dialog->Edit_DBName->setText("Music");
        dialog->CheckBox_Compress->click(); // names nothing yet: only chooses the form
        QVERIFY(dialog->CheckBox_Compress->isChecked());
        QVERIFY(fs::is_empty(root));
        QVERIFY(info->Text().isEmpty());

        dialog->Button_OpenClick();
        QVERIFY(boxes.Boxes.empty());
        QCOMPARE(ReadFile(root + "Music/VLR_ZIP"), Marker);
        QCOMPARE(Snapshot(root).size(), std::size_t(2));
        QCOMPARE(main->StatusText(0), "Open Database: Music (Num Catalogs: 0)" + Spaces);
        QVERIFY(CommandsEnabled(true));
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    void anExistingDatabaseOpensInTheFormItsMarkerGives() {
        MakeDatabase("Zipped", "VLR_ZIP", {{"A!1.txt.bz2", ""}, {"B!2.txt", ""}});
        dialog->ShowDBForm();
        dialog->Edit_DBName->setText("Zipped");
        dialog->Button_OpenClick();
        QCOMPARE(dialog->ListView1->topLevelItemCount(), 0);
        QVERIFY(openDatabase.Compressed);
        QCOMPARE(main->StatusText(0), "Open Database: Zipped (Num Catalogs: 1)" + Spaces);
    }

    void selectingARowFillsTheBoxesWithoutConverting() {
        MakeDatabase("beta", "VLR_STD", {{"A!1.txt", "plain"}});
        MakeDatabase("Alpha", "VLR_ZIP", {{"B!1.txt.bz2", "not bzip2"}});
        fs::create_directory(root + "Unmarked");
        const auto before = Snapshot(root);
        BoxRecorder boxes;
        dialog->ShowDBForm();
        QCOMPARE(Rows(), (QStringList{"Alpha:Y", "beta:N"}));
        Select("Alpha");
        QCOMPARE(dialog->Edit_DBName->text(), QString("Alpha"));
        QVERIFY(dialog->CheckBox_Compress->isChecked());
        Select("beta");
        QCOMPARE(dialog->Edit_DBName->text(), QString("beta"));
        QVERIFY(!dialog->CheckBox_Compress->isChecked());
        QVERIFY(boxes.Boxes.empty());
        QVERIFY(info->Text().isEmpty());
        QCOMPARE(Snapshot(root), before);
    }

    void clickingTheBoxConvertsTheNamedDatabaseAndKeepsTheOpenOneInStep() {
        const std::string catalog(70'000, 'x');
        MakeDatabase("Disks", "VLR_STD", {{"A!1.txt", catalog}});
        OpenByName("Disks");
        BoxRecorder boxes;
        Select("Disks");
        QWindow* parentWhileShown = nullptr;
        test::OnEvent showing(info, QEvent::Show,
                              [&] { parentWhileShown = info->windowHandle()->transientParent(); });

        dialog->CheckBox_Compress->click();
        // "Please Wait!" showed over the manager, the dialog that is open.
        QVERIFY(parentWhileShown);
        QCOMPARE(parentWhileShown, dialog->windowHandle());
        QVERIFY(boxes.Boxes.empty());
        QCOMPARE(Rows(), QStringList{"Disks:Y"});
        QCOMPARE(info->Text(), QString("Compressing Database"));
        QVERIFY(!info->isVisible());
        QVERIFY(fs::exists(root + "Disks/A!1.txt.bz2") && !fs::exists(root + "Disks/A!1.txt"));
        QVERIFY(openDatabase.Compressed);
        QCOMPARE(main->StatusText(0), "Open Database: Disks (Num Catalogs: 1)" + Spaces);

        // A screen reader's toggle converts as a click does.
        Select("Disks");
        QAccessibleInterface* box =
            QAccessible::queryAccessibleInterface(dialog->CheckBox_Compress);
        box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(Rows(), QStringList{"Disks:N"});
        QCOMPARE(info->Text(), QString("Decompressing Database"));
        QCOMPARE(ReadFile(root + "Disks/A!1.txt"), catalog);
        QVERIFY(!openDatabase.Compressed);
        QCOMPARE(main->StatusText(0), "Open Database: Disks (Num Catalogs: 1)" + Spaces);
        QVERIFY(boxes.Boxes.empty());
    }

    void aFailedConversionIsReportedAndChangesNothing() {
        MakeDatabase("Damaged", "VLR_ZIP", {{"Bad!1.txt.bz2", "BZh1 and then nonsense"}});
        WriteFile(root + "Good!1.txt", "x");
        Compress(root + "Good!1.txt", root + "Damaged/Good!1.txt.bz2", true);
        fs::remove(root + "Good!1.txt");
        const auto before = Snapshot(root);
        BoxRecorder boxes;
        dialog->ShowDBForm();
        Select("Damaged");
        dialog->CheckBox_Compress->click();
        QCOMPARE(boxes.Boxes.size(), std::size_t(1));
        QCOMPARE(boxes.Boxes[0].Kind, BoxKind::UnexpectedError);
        QCOMPARE(boxes.Boxes[0].Text, QString("Bad!1.txt.bz2: BZ_DATA_ERROR."));
        QVERIFY(dialog->CheckBox_Compress->isChecked());
        QVERIFY(!info->isVisible());
        QCOMPARE(Snapshot(root), before);
    }

    void deleteAsksForASelectionAndConfirmation() {
        MakeDatabase("Keep", "VLR_STD", {{"A!1.txt", "a"}});
        const auto before = Snapshot(root);
        BoxRecorder boxes;
        dialog->ShowDBForm();
        dialog->Button_DeleteClick();
        Select("Keep");
        boxes.Answer = false;
        dialog->Button_DeleteClick();
        QCOMPARE(boxes.Boxes.size(), std::size_t(2));
        QCOMPARE(boxes.Boxes[0].Kind, BoxKind::Error);
        QCOMPARE(boxes.Boxes[0].Text, QString(msg::SelectDatabaseToDelete));
        QCOMPARE(boxes.Boxes[1].Kind, BoxKind::Warning);
        QCOMPARE(boxes.Boxes[1].Text, QString(msg::ConfirmDeleteDatabase));
        QCOMPARE(Snapshot(root), before);
        QCOMPARE(Rows(), QStringList{"Keep:N"});
    }

    void deletingTheOpenDatabaseEmptiesTheMainWindow() {
        MakeDatabase("Other", "VLR_STD");
        MakeDatabase("Open", "VLR_ZIP", {{"A!1.txt.bz2", ""}, {".hidden", "h"}});
        OpenByName("Open");
        SomeRows rows;
        main->ResultList().Show(&rows, 3);
        main->SetStatusText(1, "Item count: 3       ");
        BoxRecorder boxes;

        Select("Other");
        dialog->Button_DeleteClick();
        QVERIFY(!fs::exists(root + "Other"));
        QVERIFY(CommandsEnabled(true));
        QCOMPARE(main->ResultList().rowCount(), 3);

        Select("Open");
        dialog->Button_DeleteClick();
        QCOMPARE(boxes.Boxes.size(), std::size_t(2));
        QVERIFY(main->StatusText(0).isEmpty());
        QVERIFY(main->StatusText(1).isEmpty());
        QCOMPARE(main->ResultList().rowCount(), 0);
        QVERIFY(CommandsEnabled(false));
        QVERIFY(Rows().isEmpty());
        QVERIFY(dialog->Edit_DBName->text().isEmpty());
        QCOMPARE(ReadFile(root + "Open/.hidden"), std::string("h")); // a hidden file keeps it
    }

    void renameReportsWhatItCannotDo() {
        MakeDatabase("One", "VLR_STD");
        MakeDatabase("Two", "VLR_ZIP");
        const auto before = Snapshot(root);
        BoxRecorder boxes;
        dialog->ShowDBForm();
        dialog->Button_RenameClick();
        QVERIFY(!Rename("One", "Two"));
        QVERIFY(Rename("One", ""));
        QVERIFY(Rename("One", "../One")); // stays open for a better name
        QCOMPARE(boxes.Boxes.size(), std::size_t(4));
        QCOMPARE(boxes.Boxes[0].Text, QString(msg::SelectDatabaseToRename));
        QCOMPARE(boxes.Boxes[1].Text, QString(msg::ErrorRenamingDatabase));
        QCOMPARE(boxes.Boxes[2].Text, QString(msg::ErrorRenamingDatabase));
        QCOMPARE(boxes.Boxes[3].Text, QString(msg::BadDatabaseName));
        for (const auto& box : boxes.Boxes)
            QCOMPARE(box.Kind, BoxKind::Error);
        QCOMPARE(Snapshot(root), before);
        QVERIFY(!fs::exists(temp->File("One")));

        // With no database open, a rename leaves the main window alone.
        QVERIFY(!Rename("One", "Uno"));
        QCOMPARE(Rows(), (QStringList{"Two:Y", "Uno:N"}));
        QVERIFY(main->StatusText(0).isEmpty());
    }

    void renamingTheOpenDatabaseUpdatesTheStatus() {
        MakeDatabase("Old", "VLR_STD", {{"A!1.txt", ""}, {"B!2.txt", ""}});
        MakeDatabase("Other", "VLR_STD");
        OpenByName("Old");
        BoxRecorder boxes;

        QVERIFY(!Rename("Other", "Another"));
        QCOMPARE(main->StatusText(0), "Open Database: Old (Num Catalogs: 2)" + Spaces);

        QVERIFY(!Rename("Old", "New"));
        QVERIFY(boxes.Boxes.empty());
        QCOMPARE(Rows(), (QStringList{"Another:N", "New:N"}));
        QCOMPARE(main->StatusText(0), "Open Database: New (Num Catalogs: 2)" + Spaces);
        QCOMPARE(openDatabase.Path, root + "New/");
        QCOMPARE(dialog->Edit_DBName->text(), QString("Old")); // the name box keeps its text
    }

    void aBadNameIsRefusedBeforeAnythingIsMade() {
        BoxRecorder boxes;
        for (const char* name : {"../x", "a/b", "..", "tab\there"}) {
            dialog->Edit_DBName->setText(name);
            dialog->Button_OpenClick();
        }
        dialog->Edit_DBName->setText("../x");
        dialog->CheckBox_Compress->click(); // names the root's parent's "x": nothing there
        fs::create_directory(temp->File("x"));
        dialog->CheckBox_Compress->click();
        QCOMPARE(boxes.Boxes.size(), std::size_t(5));
        for (const auto& box : boxes.Boxes) {
            QCOMPARE(box.Kind, BoxKind::Error);
            QCOMPARE(box.Text, QString(msg::BadDatabaseName));
        }
        QVERIFY(fs::is_empty(root));
        QVERIFY(fs::is_empty(temp->File("x")));
        QVERIFY(dialog->CheckBox_Compress->isChecked()); // put back after the refusal
        QVERIFY(openDatabase.Name.empty());
        QVERIFY(CommandsEnabled(false));
    }
};

QTEST_MAIN(DatabaseManagerTest)
#include "DatabaseManagerTest.moc"
