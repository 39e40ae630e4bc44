#include "common/FileOperations.h"
#include "common/Messages.h"
#include "gui/scan/TForm_Progress.h"
#include "gui/scan/TForm_Rename.h"
#include "gui/scan/TForm_ScanCD.h"
#include "gui/support/BoxRecorder.h"
#include "gui/support/OnEvent.h"
#include "gui/widgets/CatalogListView.h"
#include "support/DirectorySnapshot.h"
#include "support/TempDir.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <unicode/uloc.h>

using namespace quillory;
using quillory::test::BoxRecorder;
using quillory::test::ReadFile;
using quillory::test::Snapshot;
using quillory::test::WriteFile;
namespace fs = std::filesystem;

class CatalogManagerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> temp;
    Settings settings;
    OpenDatabase openDatabase;
    std::unique_ptr<TForm_Rename> rename;
    std::unique_ptr<TForm_Progress> progress;
    std::unique_ptr<TForm_ScanCD> form;

    std::string Db(const std::string& name) const { return openDatabase.Path + name; }

    // Catalogs whose content is their own file name.
    void Catalogs(std::initializer_list<const char*> names) {
        for (const char* name : names)
            WriteFile(Db(name), name);
    }

    // The rows as the list shows them: "number name".
    QStringList Shown() const {
        QStringList rows;
        for (int i = 0; i < form->ListView1->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = form->ListView1->topLevelItem(i);
            rows << item->text(0) + " " + item->text(1);
        }
        return rows;
    }

    void Select(const QString& number) {
        const auto found = form->ListView1->findItems(number, Qt::MatchExactly, 0);
        QVERIFY(found.size() == 1);
        form->ListView1->setCurrentItem(found.front());
    }

    void Fields(const QString& number, const QString& name) {
        form->Edit_CDNum->setText(number);
        form->Edit_CDName->setText(name);
    }

    // Presses "Rename" on the selected row and runs `inside` in the rename
    // dialog; returns whether the dialog was still open afterwards.
    bool RenameWith(const std::function<void()>& inside) {
        bool open = false;
        QTimer::singleShot(0, rename.get(), [&] {
            inside();
            open = rename->isVisible();
            if (open)
                rename->reject();
        });
        form->Button_RenameClick();
        return open;
    }

    void PressRename(const QString& number, const QString& name) {
        rename->Edit_to_id->setText(number);
        rename->Edit_to_name->setText(name);
        rename->findChild<QPushButton*>("RenameButton")->click();
    }

private slots:
    void initTestCase() {
        UErrorCode status = U_ZERO_ERROR;
        uloc_setDefault("en_US", &status); // the C locale would sort by code point
    }

    void init() {
        temp = std::make_unique<test::TempDir>();
        settings = Settings();
        openDatabase = OpenDatabase();
        openDatabase.Path = temp->File("db/");
        settings.InputDir = temp->File("disk/");
        fs::create_directories(settings.InputDir + "docs");
        fs::create_directory(openDatabase.Path);
        WriteFile(Db("VLR_STD"), "Quillory v1.0\r\n");
        WriteFile(settings.InputDir + "docs/a.doc", "text");
        WriteFile(settings.InputDir + "readme.txt", "hello");
        rename = std::make_unique<TForm_Rename>();
        progress = std::make_unique<TForm_Progress>(nullptr);
        form = std::make_unique<TForm_ScanCD>(settings, openDatabase, *rename, *progress, nullptr);
    }

    void cleanup() {
        form.reset();
        progress.reset();
        rename.reset();
        temp.reset();
    }

    void emptyDatabaseProposesZeroAndScansIntoDefault() {
        BoxRecorder boxes;
        form->PrepareManageCatalog();
        QCOMPARE(form->ListView1->topLevelItemCount(), 0);
        QCOMPARE(form->Edit_CDNum->text(), QString("0"));
        form->Button_AddCDClick();
        QCOMPARE(boxes.Boxes.size(), std::size_t(0));
        QVERIFY(!ReadFile(Db("Default!0.txt")).empty());
        QCOMPARE(form->Edit_CDNum->text(), QString("1"));
        QCOMPARE(form->Edit_CDName->text(), QString());
        QCOMPARE(Shown(), QStringList{"0 Default"});
    }

    void scannedRowTakesItsSortedPlace() {
        Catalogs({"A!3.txt", "B!10.txt"});
        form->PrepareManageCatalog();
        QCOMPARE(form->Edit_CDNum->text(), QString("11"));
        Fields("007", "Mid");
        form->Button_AddCDClick();
        QVERIFY(fs::exists(Db("Mid!007.txt")));
        QCOMPARE(form->Edit_CDNum->text(), QString("8"));
        QCOMPARE(form->Edit_CDName->text(), QString());
        QCOMPARE(Shown(), (QStringList{"3 A", "007 Mid", "10 B"}));

        form->ListView1->ColumnClick(1);
        form->ListView1->ColumnClick(1);
        form->Edit_CDName->setText("C");
        form->Button_AddCDClick();
        QCOMPARE(Shown(), (QStringList{"007 Mid", "8 C", "10 B", "3 A"}));
        QCOMPARE(form->Edit_CDNum->text(), QString("9"));
    }

    void rescanningASelectedCatalogKeepsOneRow() {
        Catalogs({"A!3.txt", "Disk!5.txt", "Disk!05.txt"});
        form->PrepareManageCatalog();
        Select("5");
        QWindow* parentWhileShown = nullptr;
        test::OnEvent showing(progress.get(), QEvent::Show, [&] {
            parentWhileShown = progress->windowHandle()->transientParent();
        });
        form->Button_AddCDClick();
        QCOMPARE(Shown(), (QStringList{"3 A", "5 Disk", "05 Disk"}));
        QVERIFY(ReadFile(Db("Disk!5.txt")) != "Disk!5.txt"); // scanned anew
        // The progress window showed over the catalog manager.
        QVERIFY(parentWhileShown);
        QCOMPARE(parentWhileShown, form->windowHandle());
    }

    void returnScansFromTheNameFieldAndPressesAFocusedButton() {
        form->PrepareManageCatalog();
        auto* scan = form->findChild<QPushButton*>("Button_AddCD");
        QVERIFY(scan->isDefault());
        bool open = true;
        QTimer::singleShot(0, form.get(), [&] {
            QVERIFY(QTest::qWaitForWindowActive(form.get()));
            form->Edit_CDName->setFocus();
            QTest::keyClicks(form->Edit_CDName, "Returned");
            QTest::keyClick(form->Edit_CDName, Qt::Key_Return);
            auto* cancel = form->findChild<QPushButton*>("Button_Cancel");
            cancel->setFocus();
            QTest::keyClick(cancel, Qt::Key_Return);
            open = form->isVisible();
        });
        form->ScanCD1Click();
        QVERIFY(fs::exists(Db("Returned!0.txt")));
        QVERIFY(!open);
        QCOMPARE(form->result(), int(QDialog::Rejected));
    }

    void invalidFieldsAreRefusedAndChangeNothing() {
        Catalogs({"A!3.txt"});
        form->PrepareManageCatalog();
        const auto before = Snapshot(openDatabase.Path);
        const QList<std::tuple<QString, QString, const char*>> cases = {
            {"x", "Disk", msg::DiskNumberNotInteger},
            {"", "Disk", msg::DiskNumberNotInteger},
            {"4", "a!b", msg::DiskNameWithBang},
            {"4", "a/b", msg::DiskNameWithSeparator},
        };
        for (const auto& [number, name, message] : cases) {
            BoxRecorder boxes;
            Fields(number, name);
            form->Button_AddCDClick();
            QCOMPARE(boxes.Boxes.size(), std::size_t(1));
            QCOMPARE(boxes.Boxes[0].Text, QString(message));
            QCOMPARE(form->Edit_CDNum->text(), number);
            QCOMPARE(form->Edit_CDName->text(), name);
        }
        QCOMPARE(Shown(), QStringList{"3 A"});
        QVERIFY(Snapshot(openDatabase.Path) == before);
    }

    void unavailableDiskEmptiesTheNameAndKeepsTheNumber() {
        BoxRecorder boxes;
        settings.InputDir = temp->File("missing/");
        form->PrepareManageCatalog();
        Fields("5", "Disk");
        form->Button_AddCDClick();
        QCOMPARE(boxes.Boxes.size(), std::size_t(1));
        QCOMPARE(boxes.Boxes[0].Text, QString("Disk not available to scan. Please retry."));
        QCOMPARE(form->Edit_CDNum->text(), QString("5"));
        QCOMPARE(form->Edit_CDName->text(), QString());
        QCOMPARE(Snapshot(openDatabase.Path).size(), std::size_t(1));
    }

    void aCatalogThatCannotBeWrittenIsReportedAndChangesNothing() {
        BoxRecorder boxes;
        Catalogs({"Disk!5.txt"});
        form->PrepareManageCatalog();
        Fields("5", "Disk");
        InjectFault(InjectedFault{FileOperation::Write, 1, ENOSPC});
        form->Button_AddCDClick();
        InjectFault(std::nullopt);
        QCOMPARE(boxes.Boxes.size(), std::size_t(1));
        QCOMPARE(boxes.Boxes[0].Kind, BoxKind::UnexpectedError);
        QCOMPARE(boxes.Boxes[0].Text,
                 QString::fromStdString("Cannot write file " + Db("Disk!5.txt") + "."));
        QCOMPARE(ReadFile(Db("Disk!5.txt")), std::string("Disk!5.txt"));
        QCOMPARE(form->Edit_CDNum->text(), QString("5"));
        QCOMPARE(form->Edit_CDName->text(), QString("Disk"));
        QCOMPARE(Shown(), QStringList{"5 Disk"});
    }

    void selectingAndClickingSortTheRows() {
        Catalogs({"A!3.txt", "b!10.txt", "C!7.txt"});
        form->PrepareManageCatalog();
        const QStringList byNumber = {"3 A", "7 C", "10 b"};
        const QStringList byName = {"3 A", "10 b", "7 C"};
        auto reversed = [](QStringList rows) {
            std::reverse(rows.begin(), rows.end());
            return rows;
        };
        QCOMPARE(Shown(), byNumber);
        Select("7");
        QCOMPARE(form->Edit_CDNum->text(), QString("7"));
        QCOMPARE(form->Edit_CDName->text(), QString("C"));

        // The list opens ascending by number, so "id#" reverses it at once.
        form->ListView1->ColumnClick(0);
        QCOMPARE(Shown(), reversed(byNumber));
        form->ListView1->ColumnClick(1);
        QCOMPARE(Shown(), byName);
        form->ListView1->ColumnClick(1);
        QCOMPARE(Shown(), reversed(byName));
        form->ListView1->ColumnClick(0);
        QCOMPARE(Shown(), byNumber);

        form->ListView1->ColumnClick(1);
        form->PrepareManageCatalog();
        QCOMPARE(Shown(), byNumber);
        form->ListView1->ColumnClick(1); // the remembered state: names were ascending
        QCOMPARE(Shown(), reversed(byName));
    }

    void renameRefusesBadInputAndExistingCatalogs() {
        Catalogs({"A!3.txt", "B!4.txt"});
        form->PrepareManageCatalog();
        BoxRecorder boxes;
        form->Button_RenameClick();
        QCOMPARE(boxes.Boxes.size(), std::size_t(1));
        QCOMPARE(boxes.Boxes[0].Text, QString("Please select a file to rename."));
        const auto before = Snapshot(openDatabase.Path);

        Select("3");
        bool open = RenameWith([&] {
            QCOMPARE(rename->Edit_from_id->text(), QString("3"));
            QCOMPARE(rename->Edit_from_name->text(), QString("A"));
            QVERIFY(!rename->Edit_from_id->isEnabled() && !rename->Edit_from_name->isEnabled());
            PressRename("4", "B");
        });
        QVERIFY(!open);
        QCOMPARE(boxes.Boxes.size(), std::size_t(2));
        QCOMPARE(boxes.Boxes[1].Text, QString("Error renaming catalog."));
        QVERIFY(Snapshot(openDatabase.Path) == before);

        Select("3");
        open = RenameWith([&] {
            PressRename("5", "C!D");
            PressRename("x", "C");
            PressRename("5", "");
        });
        QVERIFY(open);
        QCOMPARE(boxes.Boxes.size(), std::size_t(5));
        QCOMPARE(boxes.Boxes[2].Text, QString(msg::DiskNameWithBang));
        QCOMPARE(boxes.Boxes[3].Text, QString(msg::DiskNumberNotInteger));
        QCOMPARE(boxes.Boxes[4].Text, QString(msg::ErrorRenamingCatalog));
        QVERIFY(Snapshot(openDatabase.Path) == before);

        Select("3");
        open = RenameWith([&] { PressRename("5", "C"); });
        QVERIFY(!open);
        QCOMPARE(boxes.Boxes.size(), std::size_t(5));
        QCOMPARE(ReadFile(Db("C!5.txt")), std::string("A!3.txt"));
        QVERIFY(!fs::exists(Db("A!3.txt")));
        QCOMPARE(Shown(), (QStringList{"4 B", "5 C"}));
    }

    void deleteAsksFirstAndEmptiesBothFields() {
        Catalogs({"A!3.txt", "B!4.txt"});
        form->PrepareManageCatalog();
        BoxRecorder boxes;
        form->Button_DeleteClick();
        QCOMPARE(boxes.Boxes.size(), std::size_t(1));
        QCOMPARE(boxes.Boxes[0].Text, QString("Please select a file to delete."));

        Select("3");
        boxes.Answer = false;
        form->Button_DeleteClick();
        QCOMPARE(boxes.Boxes.size(), std::size_t(2));
        QCOMPARE(boxes.Boxes[1].Kind, BoxKind::Warning);
        QCOMPARE(boxes.Boxes[1].Text, QString("Do you really want to delete this file?"));
        QVERIFY(fs::exists(Db("A!3.txt")));
        QCOMPARE(Shown().size(), 2);

        boxes.Answer = true;
        form->Button_DeleteClick();
        QVERIFY(!fs::exists(Db("A!3.txt")));
        QCOMPARE(Shown(), QStringList{"4 B"});
        QCOMPARE(form->Edit_CDNum->text(), QString());
        QCOMPARE(form->Edit_CDName->text(), QString());

        // With the number field empty, a scan asks for a number first.
        form->Button_AddCDClick();
        QCOMPARE(boxes.Boxes.back().Text, QString(msg::DiskNumberNotInteger));
    }
};

QTEST_MAIN(CatalogManagerTest)
#include "CatalogManagerTest.moc"
