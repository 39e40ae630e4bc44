#include "gui/app/TForm_Main.h"
#include "gui/output/ResultPrinter.h"
#include "gui/search/TForm_FindFile.h"
#include "gui/search/TForm_SelectCatalog.h"
#include "gui/support/BoxRecorder.h"
#include "gui/support/OnEvent.h"
#include "gui/widgets/BackgroundIndex.h"
#include "gui/widgets/CatalogListView.h"
#include "gui/widgets/CommandGuard.h"
#include "gui/widgets/QtTextCanvas.h"
#include "gui/widgets/ResultListModel.h"
#include "gui/widgets/TForm_info.h"
#include "output/PrintLine.h"
#include "output/PrinterTextStream.h"
#include "search/DayNumber.h"
#include "search/FindFile.h"
#include "store/CatalogRecord.h"
#include "support/MemorySettingsStore.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <filesystem>
#include <functional>
#include <unicode/uloc.h>

using namespace quillory;
using quillory::test::BoxRecorder;
using quillory::test::MemorySettingsStore;
using quillory::test::WriteFile;
namespace fs = std::filesystem;

class SearchWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> temp;
    MemorySettingsStore store;
    Settings settings;
    OpenDatabase openDatabase;
    std::unique_ptr<TForm_Main> main;
    std::unique_ptr<TForm_info> wait;
    std::unique_ptr<TForm_FindFile> find;
    std::unique_ptr<TForm_SelectCatalog> select;

    struct Entry {
        const char* Name;
        std::int64_t Size;
    };

    void Catalog(const std::string& file, std::initializer_list<Entry> entries) {
        std::string text;
        for (const Entry& entry : entries)
            AppendRecord(text, entry.Size == 0 ? EntryKind::Directory : EntryKind::File, entry.Name,
                         "\\", {5, 3, 2003, 10, 4, 0}, entry.Size);
        WriteFile(openDatabase.Path + file, text);
    }

    // Runs `inside` once `show` has the dialog up, and closes the dialog if it
    // is still open then; returns whether it was.
    static bool WhileShown(QDialog* dialog, const std::function<void()>& show,
                           const std::function<void()>& inside) {
        bool open = false;
        QTimer::singleShot(0, dialog, [&] {
            inside();
            open = dialog->isVisible();
            if (open)
                dialog->reject();
        });
        show();
        return open;
    }

    bool InFindDialog(const std::function<void()>& inside) {
        return WhileShown(
            find.get(), [this] { find->ShowModal(); }, inside);
    }

    void PressFind() { find->findChild<QPushButton*>("Button_Find")->click(); }

    int Rows() const { return main->ResultList().rowCount(); }

    QString Cell(int row, int column) const {
        return main->ResultList().index(row, column).data().toString();
    }

    QStringList Column(int column) const {
        QStringList texts;
        for (int row = 0; row < Rows(); ++row)
            texts << Cell(row, column);
        return texts;
    }

    static QStringList Items(const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }

    // The selection list as shown: "number name".
    QStringList Shown() const {
        QStringList rows;
        for (int i = 0; i < select->ListView1->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = select->ListView1->topLevelItem(i);
            rows << item->text(0) + " " + item->text(1);
        }
        return rows;
    }

    void SelectRow(const QString& number) {
        const auto found = select->ListView1->findItems(number, Qt::MatchExactly, 0);
        QCOMPARE(found.size(), 1);
        select->ListView1->setCurrentItem(found.front());
    }

private slots:
    void initTestCase() {
        UErrorCode status = U_ZERO_ERROR;
        uloc_setDefault("en_US", &status);
    }

    void init() {
        temp = std::make_unique<test::TempDir>();
        store = MemorySettingsStore();
        store.Present = false;
        settings = Settings();
        openDatabase = {"Search", temp->File("Search/"), false};
        main = std::make_unique<TForm_Main>(settings, store, openDatabase, FirstRunActions());
        fs::create_directory(openDatabase.Path);
        WriteFile(openDatabase.Path + "VLR_STD", "Quillory v1.0\r\n");
        Catalog("Holiday!3.txt", {{"beach.jpg", 2048}, {"photo1.jpg", 4096}, {"Photos", 0}});
        Catalog("Backup!12.txt", {{"readme.txt", 1024}, {"big.iso", 700000000}, {"zeta.doc", 9}});
        Catalog("Work!1.txt", {{"report.doc", 100}, {"alpha.txt", 10}, {"Beta.txt", 5}});
        main->DBOpenEnable();
        wait = std::make_unique<TForm_info>(main.get());
        find = std::make_unique<TForm_FindFile>(openDatabase, *main, *wait, main.get());
        select = std::make_unique<TForm_SelectCatalog>(openDatabase, *main, main.get());
    }

    void cleanup() {
        select.reset();
        find.reset();
        wait.reset();
        main.reset();
        temp.reset();
    }

    void findDialogEnablesWhatItsBoxesAllow() {
        QVERIFY(find->Edit1->isEnabled()); // "File Name" is ticked at first
        find->CheckBox_Name->setChecked(false);
        QVERIFY(!find->Edit1->isEnabled());
        find->CheckBox_DirectoryName->setChecked(true);
        QVERIFY(find->Edit1->isEnabled());

        QVERIFY(!find->ComboBox_CDName->isEnabled());
        QVERIFY(!find->ComboBox_CDNum->isEnabled());
        find->CheckBox_CDName->setChecked(true);
        QVERIFY(find->ComboBox_CDName->isEnabled());
        QVERIFY(!find->ComboBox_CDNum->isEnabled());
        find->CheckBox_CDNum->setChecked(true);
        QVERIFY(find->ComboBox_CDNum->isEnabled());

        const QList<QWidget*> pickers = {find->StartDate, find->StartTime, find->EndDate,
                                         find->EndTime};
        for (QWidget* picker : pickers)
            QVERIFY(!picker->isEnabled());
        find->CheckBox_Date->setChecked(true);
        for (QWidget* picker : pickers)
            QVERIFY(picker->isEnabled());
        QCOMPARE(find->StartDate->date(), QDate(2003, 2, 2));
        QCOMPARE(find->EndDate->date(), QDate(2003, 2, 2));
        QCOMPARE(find->StartTime->time(), QTime(0, 0, 0));
        QCOMPARE(find->EndTime->time(), QTime(23, 59, 59));
        const FindForm form = find->Read();
        QCOMPARE(form.Start, mjd(2, 2, 2003));
        QCOMPARE(form.End, mjd(2, 2, 2003) + 86399 / 86400.0);
    }

    void dropDownListsAreRefilledAtEachShowing() {
        Catalog("Backup!7.txt", {{"more.txt", 1}});
        Catalog("Extra!3.txt", {{"extra.txt", 1}});
        QStringList names;
        QStringList numbers;
        InFindDialog([&] {
            names = Items(find->ComboBox_CDName);
            numbers = Items(find->ComboBox_CDNum);
            find->ComboBox_CDName->setEditText("typed");
        });
        names.sort();
        QCOMPARE(names, (QStringList{"Backup", "Extra", "Holiday", "Work"}));
        QCOMPARE(numbers, (QStringList{"1", "12", "3", "7"}));

        Catalog("New!40.txt", {});
        InFindDialog([&] {
            names = Items(find->ComboBox_CDName);
            numbers = Items(find->ComboBox_CDNum);
            QCOMPARE(find->ComboBox_CDName->currentText(), QString("typed"));
        });
        QCOMPARE(names.size(), 5);
        QCOMPARE(numbers, (QStringList{"1", "12", "3", "40", "7"}));
    }

    void whatIsTypedIsWhatIsSearchedAndOneReturnSearches() {
        Catalog("Disk 139!139.txt", {{"a139.txt", 1}, {"b139.txt", 1}});
        Catalog("Disk 12!120.txt", {{"a12.txt", 1}});
        Catalog("mYDISC!7.txt", {{"mine.txt", 1}});
        find->CheckBox_CDName->setChecked(true);
        find->CheckBox_CDNum->setChecked(true);
        struct Typing {
            QWidget* Box;
            QString Text;
        };
        const QList<Typing> table = {{find->ComboBox_CDName, "Disk 1"},
                                     {find->ComboBox_CDName, "m"},
                                     {find->ComboBox_CDNum, "1"},
                                     {find->ComboBox_CDNum, "13"},
                                     {find->Edit1, "photo"}};
        QWidget* focused = nullptr;
        InFindDialog([&] {
            focused = find->focusWidget();
            // Completion works only in a field that has the keyboard.
            QVERIFY(QTest::qWaitForWindowActive(find.get()));
            for (const Typing& typing : table) {
                typing.Box->setFocus();
                QVERIFY(typing.Box->hasFocus());
                QTest::keyClick(typing.Box, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(typing.Box, Qt::Key_Delete);
                QTest::keyClicks(typing.Box, typing.Text);
                const FindForm form = find->Read();
                const std::string read = typing.Box == find->Edit1            ? form.Text
                                         : typing.Box == find->ComboBox_CDNum ? form.DiskNumber
                                                                              : form.DiskName;
                QCOMPARE(QString::fromStdString(read), typing.Text);
            }
        });
        QCOMPARE(focused, static_cast<QWidget*>(find->Edit1));

        // One Return in a drop-down list searches what it shows.
        find->CheckBox_CDNum->setChecked(false);
        find->Edit1->clear();
        QVERIFY(!InFindDialog([&] {
            QVERIFY(QTest::qWaitForWindowActive(find.get()));
            find->ComboBox_CDName->setFocus();
            QTest::keyClick(find->ComboBox_CDName, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(find->ComboBox_CDName, "Disk 1");
            QTest::keyClick(find->ComboBox_CDName, Qt::Key_Return);
        }));
        QCOMPARE(Column(0), (QStringList{"a12.txt", "a139.txt", "b139.txt"}));
    }

    void theWaitWindowShowsOverTheFindDialog() {
        QWindow* parentWhileShown = nullptr;
        test::OnEvent showing(wait.get(), QEvent::Show,
                              [&] { parentWhileShown = wait->windowHandle()->transientParent(); });
        QVERIFY(!InFindDialog([&] { PressFind(); }));
        QVERIFY(parentWhileShown);
        QCOMPARE(parentWhileShown, find->windowHandle());
        QVERIFY(!wait->isVisible());
    }

    void aNewListShowsItsTopAndKeepsTheWidenedColumns() {
        std::string text;
        for (int i = 0; i < 500; ++i)
            AppendRecord(text, EntryKind::File, "item" + std::to_string(1000 + i), "\\",
                         {5, 3, 2003, 10, 4, 0}, i);
        WriteFile(openDatabase.Path + "Many!50.txt", text);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QTreeView& view = main->ResultView();
        main->RunSearch(CatalogScope::OneCatalog({"Many", "50"}), SearchCriteria());
        view.scrollToBottom();
        QVERIFY(view.verticalScrollBar()->value() > 0);
        view.setColumnWidth(5, view.columnWidth(5) + 100);
        const int widened = view.columnWidth(5);

        main->RunSearch(CatalogScope::EveryCatalog(), SearchCriteria());
        QCOMPARE(view.verticalScrollBar()->value(), 0);
        QCOMPARE(view.indexAt(QPoint(1, 1)).row(), 0);
        QCOMPARE(view.columnWidth(5), widened);
    }

    void aDiskNumberThatIsNoIntegerKeepsTheDialogOpen() {
        BoxRecorder boxes;
        const bool open = InFindDialog([&] {
            find->CheckBox_CDNum->setChecked(true);
            find->ComboBox_CDNum->setEditText("12a");
            PressFind();
        });
        QVERIFY(open);
        QCOMPARE(boxes.Boxes.size(), std::size_t(1));
        QCOMPARE(boxes.Boxes[0].Kind, BoxKind::Error);
        QCOMPARE(boxes.Boxes[0].Text, QString("Integer values must be used for disk numbers. "
                                              "Please revise the disk number and retry."));
        QCOMPARE(Rows(), 0);
        QVERIFY(!wait->isVisible());
    }

    void findFillsTheListAndHeaderClicksResort() {
        BoxRecorder boxes;
        QVERIFY(!InFindDialog([&] { PressFind(); }));
        QCOMPARE(boxes.Boxes.size(), std::size_t(0));
        QVERIFY(!wait->isVisible());
        QCOMPARE(Column(0),
                 (QStringList{"alpha.txt", "beach.jpg", "Beta.txt", "big.iso", "photo1.jpg",
                              "Photos", "readme.txt", "report.doc", "zeta.doc"}));
        QCOMPARE(main->StatusText(0), QString("Open Database: Search"));
        QCOMPARE(main->StatusText(1), QString("Item count: 9       "));
        QCOMPARE(Cell(3, 5), QString("5/3/2003       10:04:00"));

        // The list is sorted by name already, so "Name" reverses it.
        QCOMPARE(main->SortState(), 1);
        main->ListView1ColumnClick(0);
        QCOMPARE(main->SortState(), -1);
        QCOMPARE(Cell(0, 0), QString("zeta.doc"));

        main->ListView1ColumnClick(4); // Size
        QCOMPARE(main->SortState(), 4);
        QCOMPARE(Column(4).mid(0, 4), (QStringList{"0", "5", "9", "10"}));
        main->ListView1ColumnClick(4);
        QCOMPARE(main->SortState(), -4);
        QCOMPARE(Cell(0, 4), QString("700000000"));
        main->ListView1ColumnClick(4);
        QCOMPARE(main->SortState(), 4);
        QCOMPARE(Cell(0, 4), QString("0"));
        main->ListView1ColumnClick(3); // id#
        QCOMPARE(main->SortState(), 7);
        QCOMPARE(Column(3).mid(0, 3), (QStringList{"1", "1", "1"}));
        QCOMPARE(Cell(8, 3), QString("12"));

        // A new search sorts by name but keeps the remembered order.
        find->Edit1->setText("o");
        QVERIFY(!InFindDialog([&] { PressFind(); }));
        QCOMPARE(Column(0),
                 (QStringList{"big.iso", "photo1.jpg", "Photos", "report.doc", "zeta.doc"}));
        QCOMPARE(main->StatusText(1), QString("Item count: 5       "));
        QCOMPARE(main->SortState(), 7);
    }

    void aFailedSearchKeepsThePreviousList() {
        main->RunSearch(CatalogScope::OneCatalog({"Work", "1"}), SearchCriteria());
        QCOMPARE(Rows(), 3);
        // A catalog whose first read fails: the memory of a process, read
        // from address 0, is an I/O error.
        fs::create_symlink("/proc/self/mem", openDatabase.Path + "Broken!9.txt");
        BoxRecorder boxes;
        QVERIFY(InFindDialog([&] { PressFind(); }));
        QCOMPARE(boxes.Boxes.size(), std::size_t(1));
        QCOMPARE(boxes.Boxes[0].Kind, BoxKind::UnexpectedError);
        QCOMPARE(boxes.Boxes[0].Text,
                 QString::fromStdString("Cannot read file " + openDatabase.Path + "Broken!9.txt."));
        QVERIFY(!wait->isVisible());
        QCOMPARE(Column(0), (QStringList{"alpha.txt", "Beta.txt", "report.doc"}));
        QCOMPARE(main->Results().Size(), std::size_t(3));
    }

    void theIndexIsMadeInTheBackgroundAfterASearchAndGivesWayToCommands() {
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(temp->File("cache")));
        std::string many;
        for (int i = 0; i < 20000; ++i)
            AppendRecord(many, EntryKind::File, "photo " + std::to_string(i) + ".jpg", "\\sub\\",
                         {5, 3, 2003, 10, 4, 0}, i);
        for (int disk = 20; disk < 60; ++disk)
            WriteFile(openDatabase.Path + "Disk!" + std::to_string(disk) + ".txt", many);
        const auto fromIndex = [&] {
            SearchCriteria criteria;
            criteria.NamePattern = "PHOTO 1234";
            criteria.MatchName = true;
            SearchCoverage coverage;
            FindFile(openDatabase, CatalogScope::EveryCatalog(), criteria, {}, {}, &coverage);
            return coverage.FromIndex;
        };
        QCOMPARE(fromIndex(), std::size_t(0));
        // A search that read its catalogs whole leaves their parts to be made
        // once it is over; any command stops the making for its length.
        find->Edit1->setText("photo");
        QVERIFY(!InFindDialog([&] { PressFind(); }));
        QVERIFY(BackgroundIndex::Running());
        RunGuarded(main.get(), [] { QVERIFY(!BackgroundIndex::Running()); });
        QVERIFY(BackgroundIndex::Running());
        QTRY_VERIFY_WITH_TIMEOUT(!BackgroundIndex::Running(), 60000);
        QCOMPARE(fromIndex(), std::size_t(43));
        // Closing the program stops it.
        BackgroundIndex::Want(openDatabase, 100, 0);
        QVERIFY(BackgroundIndex::Running());
        select.reset();
        find.reset();
        wait.reset();
        main.reset();
        QVERIFY(!BackgroundIndex::Running());
        qunsetenv("XDG_CACHE_HOME");
    }

    void selectionListsCatalogsAndListsTheChosenOne() {
        select->FindRecord();
        QCOMPARE(Shown(), (QStringList{"1 Work", "3 Holiday", "12 Backup"}));
        // The remembered order is id# ascending, so "id#" reverses at once.
        select->ListView1->ColumnClick(0);
        QCOMPARE(Shown(), (QStringList{"12 Backup", "3 Holiday", "1 Work"}));
        select->ListView1->ColumnClick(1);
        QCOMPARE(Shown(), (QStringList{"12 Backup", "3 Holiday", "1 Work"}));
        select->ListView1->ColumnClick(1);
        QCOMPARE(Shown(), (QStringList{"1 Work", "3 Holiday", "12 Backup"}));
        select->FindRecord();
        QCOMPARE(Shown(), (QStringList{"1 Work", "3 Holiday", "12 Backup"}));

        main->RunSearch(CatalogScope::EveryCatalog(), SearchCriteria());
        QCOMPARE(Rows(), 9);
        // The action button does nothing until a row is chosen.
        QVERIFY(WhileShown(
            select.get(), [this] { select->ListCatalogs(); },
            [this] { select->ActionButton->click(); }));
        QCOMPARE(select->ActionButton->text(), QString("List"));
        QCOMPARE(Rows(), 9);
        QVERIFY(!WhileShown(
            select.get(), [this] { select->ListCatalogs(); },
            [this] {
                SelectRow("3");
                select->ActionButton->click();
            }));
        QCOMPARE(Column(0), (QStringList{"beach.jpg", "photo1.jpg", "Photos"}));
        QCOMPARE(Column(2), (QStringList{"Holiday", "Holiday", "Holiday"}));
        QCOMPARE(main->StatusText(1), QString("Item count: 3       "));
    }

    void aDiskNameWithABangListsItsOwnFile() {
        Catalog("A!B!5.txt", {{"bang.txt", 1}});
        Catalog("A!5.txt", {{"plain.txt", 1}});
        select->FindRecord();
        SelectRow("B!5");
        select->Button_ListClick();
        QCOMPARE(Column(0), QStringList{"bang.txt"});
        QCOMPARE(Cell(0, 2), QString("A"));
        QCOMPARE(Cell(0, 3), QString("B!5"));
        // With no row chosen, nothing changes.
        select->FindRecord();
        select->Button_ListClick();
        QCOMPARE(Column(0), QStringList{"bang.txt"});
    }

    void exportAndPrintNeedRows() {
        BoxRecorder boxes;
        main->Export1Click();
        main->Print1Click();
        QCOMPARE(boxes.Boxes.size(), std::size_t(2));
        QCOMPARE(boxes.Boxes[0].Text, QString("Before exporting please do a database search."));
        QCOMPARE(boxes.Boxes[1].Text, QString("Before printing please do a database search."));
        QVERIFY(!main->findChild<QFileDialog*>());
        QVERIFY(!main->findChild<QPrintDialog*>());
    }

    // Prints the result list through the print dialog; `inside` runs in the
    // dialog, which is then accepted.
    void PrintWith(const std::function<void(QPrintDialog&)>& inside) {
        QTimer::singleShot(0, main.get(), [&] {
            auto* dialog = main->findChild<QPrintDialog*>("PrintDialog");
            QVERIFY(dialog && dialog->isVisible());
            inside(*dialog);
            dialog->accept();
        });
        main->findChild<QAction*>("Print1")->trigger();
    }

    static QString PrintingTo(QPrintDialog& dialog) {
        return dialog.findChild<QComboBox*>("printers")->currentText();
    }

    static void PrintToFile(QPrintDialog& dialog, const QString& file) {
        auto* printers = dialog.findChild<QComboBox*>("printers");
        printers->setCurrentIndex(printers->count() - 1);
        dialog.findChild<QLineEdit*>("filename")->setText(file);
    }

    void printingPutsEveryRowOnPdfPagesInAFixedFont() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
            QStandardPaths::findExecutable("pdffonts").isEmpty())
            QSKIP("pdftotext and pdffonts (poppler-utils) are not installed");
        std::string text;
        for (int i = 0; i < 150; ++i)
            AppendRecord(text, EntryKind::File, "item" + std::to_string(1000 + i) + ".txt",
                         "\\many\\", {5, 3, 2003, 10, 4, 0}, i);
        WriteFile(openDatabase.Path + "Many!50.txt", text);
        main->RunSearch(CatalogScope::OneCatalog({"Many", "50"}), SearchCriteria());
        QCOMPARE(Rows(), 150);
        QVERIFY(QFontInfo(ResultPrinter::PrintFont()).fixedPitch());

        settings.PrintCols = {20, 10, 10, 4, 8, 23};
        settings.PrintColsEnabled = {true, true, true, true, true, true};
        const QString pdf = QString::fromStdString(temp->File("out.pdf"));
        BoxRecorder boxes;
        PrintWith([&](QPrintDialog& dialog) {
            // Print to file is the first choice, and there is no page range.
            QCOMPARE(PrintingTo(dialog), QString("Print to File (PDF)"));
            for (const auto option :
                 {QAbstractPrintDialog::PrintPageRange, QAbstractPrintDialog::PrintSelection,
                  QAbstractPrintDialog::PrintCurrentPage})
                QVERIFY(!dialog.testOption(option));
            QVERIFY(!dialog.findChild<QWidget*>("gbPrintRange")->isVisible());
            PrintToFile(dialog, pdf);
        });
        QVERIFY(boxes.Boxes.empty());

        QProcess pdftotext;
        pdftotext.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(pdftotext.waitForFinished(30000));
        QCOMPARE(pdftotext.exitCode(), 0);
        const QString printed = QString::fromUtf8(pdftotext.readAllStandardOutput());
        for (int i = 0; i < 150; ++i)
            QVERIFY2(printed.contains(QString("item%1.txt").arg(1000 + i)), qPrintable(printed));
        QVERIFY(printed.contains("5/3/2003"));
        QVERIFY(printed.contains("Many"));
        QVERIFY(printed.count('\f') >= 2); // more than one page
        QProcess pdffonts;
        pdffonts.start("pdffonts", {pdf});
        QVERIFY(pdffonts.waitForFinished(30000));
        const QString fonts = QString::fromUtf8(pdffonts.readAllStandardOutput());
        QVERIFY2(fonts.contains("Mono"), qPrintable(fonts));

        // The next print starts from the last choice, in a new dialog; a file
        // that cannot be written is reported.
        const QString unwritable = QString::fromStdString(temp->File("no/such/dir/out.pdf"));
        PrintWith([&](QPrintDialog& dialog) {
            QCOMPARE(PrintingTo(dialog), QString("Print to File (PDF)"));
            QCOMPARE(dialog.findChild<QLineEdit*>("filename")->text(), pdf);
            QVERIFY(!dialog.findChild<QWidget*>("gbPrintRange")->isVisible());
            PrintToFile(dialog, unwritable);
        });
        QCOMPARE(boxes.Boxes.size(), std::size_t(1));
        QCOMPARE(boxes.Boxes[0].Kind, BoxKind::UnexpectedError);
        QCOMPARE(boxes.Boxes[0].Text, "Cannot create file " + unwritable + ".");
        QVERIFY(!main->findChild<QPrintDialog*>());
    }
};

QTEST_MAIN(SearchWindowTest)
#include "SearchWindowTest.moc"
