#include "gui/app/HelpWindow.h"
#include "gui/app/TForm_Main.h"
#include "gui/scan/TForm_Progress.h"
#include "gui/scan/TForm_Rename.h"
#include "gui/scan/TForm_ScanCD.h"
#include "gui/search/TForm_FindFile.h"
#include "gui/search/TForm_SelectCatalog.h"
#include "gui/settings/TForm_SelDir.h"
#include "gui/settings/TForm_Setup.h"
#include "gui/store/TForm_OpenDB.h"
#include "gui/store/TForm_RenameDB.h"
#include "gui/support/BoxRecorder.h"
#include "gui/widgets/DesktopScale.h"
#include "gui/widgets/ResultListModel.h"
#include "gui/widgets/TForm_info.h"
#include "search/ListViewData.h"
#include "support/MemorySettingsStore.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <atomic>

using namespace quillory;
using quillory::test::BoxRecorder;
using quillory::test::MemorySettingsStore;

namespace {

const QStringList DatabaseCommands = {"ScanCD1",     "Find1",     "ListAll1",  "Export1",
                                      "Print1",      "Tool_Scan", "Tool_Find", "Tool_ListAll",
                                      "Tool_Export", "Tool_Print"};
const QStringList AlwaysEnabled = {"Setup1", "Quit1",       "ManageDatabases1", "About2",
                                   "Help2",  "ToolButton1", "Tool_Help"};

class CountingRows final : public ResultRowSource {
public:
    mutable std::atomic<int> Calls = 0;
    void ReadRow(std::size_t index, ResultRow& row) const override {
        ++Calls;
        const std::string n = std::to_string(index);
        row = {"name" + n, "\\dir\\", "Disk", "7", "1024", "5/3/2003       10:04:00"};
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    MemorySettingsStore store;
    Settings settings;
    OpenDatabase openDatabase;

    std::unique_ptr<TForm_Main> MakeWindow() {
        return std::make_unique<TForm_Main>(settings, store, openDatabase, FirstRunActions());
    }

    static QAction* Command(TForm_Main& window, const QString& name) {
        return window.findChild<QAction*>(name);
    }

private slots:
    void init() {
        store = MemorySettingsStore();
        store.Present = false;
        settings = Settings();
    }

    void menusCarryTheirCaptionsAndShortcuts() {
        auto window = MakeWindow();
        const QList<std::tuple<QString, QString, QString>> table = {
            {"Export1", "Export &CSV", "Ctrl+C"},
            {"Print1", "&Print", "Ctrl+P"},
            {"Setup1", "S&etup", "Ctrl+E"},
            {"Quit1", "&Quit", "Ctrl+Q"},
            {"ManageDatabases1", "&Manage Databases", "Ctrl+M"},
            {"Find1", "&Find in Database", "Ctrl+F"},
            {"ScanCD1", "Manage &Catalogs", "Ctrl+A"},
            {"ListAll1", "&List Disk Catalog", "Ctrl+L"},
            {"About2", "&About", ""},
            {"Help2", "&Help", "Ctrl+H"},
        };
        for (const auto& [name, caption, shortcut] : table) {
            QAction* action = Command(*window, name);
            QVERIFY2(action, qPrintable(name));
            QCOMPARE(action->text(), caption);
            QCOMPARE(action->shortcut().toString(), shortcut);
        }
        QStringList menus;
        for (QAction* menu : window->menuBar()->actions())
            menus << menu->text();
        QCOMPARE(menus, (QStringList{"File", "Operations", "&Help"}));
        QCOMPARE(window->windowTitle(), QString("Quillory"));
        QCOMPARE(window->objectName(), QString("TForm_Main"));
    }

    void toolbarButtonsShowTheirTips() {
        auto window = MakeWindow();
        const QList<std::pair<QString, QString>> tips = {{"ToolButton1", "Open Database"},
                                                         {"Tool_Scan", "Scan Disk"},
                                                         {"Tool_Find", "Find File"},
                                                         {"Tool_ListAll", "List Disk"},
                                                         {"Tool_Export", "Export CSV"},
                                                         {"Tool_Print", "Print"},
                                                         {"Tool_Help", "Help"}};
        for (const auto& [name, tip] : tips) {
            QAction* action = Command(*window, name);
            QVERIFY2(action, qPrintable(name));
            QCOMPARE(action->toolTip(), tip);
            QVERIFY(!action->icon().isNull());
        }
    }

    void toolbarIconsAreOwnAndPlainlyDisabled() {
        auto window = MakeWindow();
        // How much two 16-pixel pictures differ: the share of pixels whose
        // colours are far apart.
        const auto difference = [](const QImage& a, const QImage& b) {
            int far = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const QColor p = a.pixelColor(x, y);
                    const QColor q = b.pixelColor(x, y);
                    far += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                               std::abs(p.blue() - q.blue()) + std::abs(p.alpha() - q.alpha()) >
                           96;
                }
            return far / 256.0;
        };
        const auto picture = [&](const QString& name, QIcon::Mode mode) {
            QImage image(16, 16, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            Command(*window, name)->icon().paint(&painter, image.rect(), Qt::AlignCenter, mode);
            return image;
        };
        const QStringList names = {"ToolButton1", "Tool_Scan",  "Tool_Find", "Tool_ListAll",
                                   "Tool_Export", "Tool_Print", "Tool_Help"};
        QList<QImage> disabled;
        for (const QString& name : names) {
            const QImage normal = picture(name, QIcon::Normal);
            disabled << picture(name, QIcon::Disabled);
            int drawn = 0;
            int grey = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const QColor c = disabled.back().pixelColor(x, y);
                    drawn += c.alpha() > 0;
                    grey += c.alpha() > 0 && c.hsvSaturation() < 16;
                }
            QVERIFY2(drawn > 40 && grey == drawn, qPrintable(name)); // a grey picture
            QVERIFY2(difference(normal, disabled.back()) > 0.15, qPrintable(name));
        }
        for (int i = 0; i < disabled.size(); ++i)
            for (int j = i + 1; j < disabled.size(); ++j)
                QVERIFY2(difference(disabled[i], disabled[j]) > 0.1,
                         qPrintable(names[i] + " " + names[j]));
        QVERIFY(!window->windowIcon().isNull());
        QVERIFY(QFile::exists(":/icons/quillory.svg"));
    }

    void databaseCommandsFollowOpenAndClose() {
        auto window = MakeWindow();
        auto expectState = [&](bool databaseOpen) {
            for (const QString& name : DatabaseCommands)
                QVERIFY2(Command(*window, name)->isEnabled() == databaseOpen, qPrintable(name));
            for (const QString& name : AlwaysEnabled)
                QVERIFY2(Command(*window, name)->isEnabled(), qPrintable(name));
        };
        expectState(false);
        window->DBOpenEnable();
        expectState(true);
        window->DBOpenDisable();
        expectState(false);
    }

    void ctrlAReachesManageCatalogsOnlyWhileEnabled() {
        auto window = MakeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QSignalSpy manageCatalogs(Command(*window, "ScanCD1"), &QAction::triggered);
        QSignalSpy about(Command(*window, "About2"), &QAction::triggered);

        QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(manageCatalogs.count(), 0);

        window->DBOpenEnable();
        QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(manageCatalogs.count(), 1);
        QCOMPARE(about.count(), 0);
    }

    void commandsNeedingADatabaseOrRowsSayWhy() {
        auto window = MakeWindow();
        BoxRecorder boxes;
        window->DBOpenEnable();
        for (const char* name : {"Tool_Scan", "Tool_Find", "ListAll1", "Tool_ListAll"})
            Command(*window, name)->trigger();
        Command(*window, "Export1")->trigger();
        Command(*window, "Tool_Print")->trigger();
        QCOMPARE(boxes.Boxes.size(), std::size_t(6));
        for (std::size_t i = 0; i < 4; ++i)
            QCOMPARE(boxes.Boxes[i].Text, QString("Please do a database search first."));
        QCOMPARE(boxes.Boxes[4].Text, QString("Before exporting please do a database search."));
        QCOMPARE(boxes.Boxes[5].Text, QString("Before printing please do a database search."));
        for (const auto& box : boxes.Boxes) {
            QCOMPARE(box.Kind, BoxKind::Error);
            QCOMPARE(box.Title, QString("Error"));
        }
    }

    void helpIsLookedUpBesideTheProgramEveryTime() {
        auto window = MakeWindow();
        BoxRecorder boxes;
        const QString path = QCoreApplication::applicationDirPath() + "/Quillory Help.html";
        QFile::remove(path);
        Command(*window, "Tool_Help")->trigger();
        QCOMPARE(boxes.Boxes.size(), std::size_t(1));
        const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                                  "/../share/quillory/Quillory Help.html");
        QCOMPARE(boxes.Boxes[0].Text, "Cannot open file " + installed);

        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html><body><h1>Quillory Help</h1></body></html>");
        file.close();
        Command(*window, "Help2")->trigger();
        QCOMPARE(boxes.Boxes.size(), std::size_t(1));
        auto* help = window->findChild<QDialog*>("HelpWindow");
        QVERIFY(help && help->isVisible());
        QFile::remove(path);
    }

    void anInstalledCopyFindsItsHelpUnderShare() {
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath("bin") && QDir(prefix.path()).mkpath("share/quillory"));
        const auto touch = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly);
        };
        const QString installed = prefix.path() + "/share/quillory/Quillory Help.html";
        QVERIFY(touch(installed));
        QCOMPARE(HelpWindow::HelpFilePath(prefix.path() + "/bin"), installed);
        QVERIFY(touch(prefix.path() + "/bin/Quillory Help.html"));
        QCOMPARE(HelpWindow::HelpFilePath(prefix.path() + "/bin"),
                 prefix.path() + "/bin/Quillory Help.html");
    }

    void settingsFailureAtCreationIsReportedAndStartupGoesOn() {
        store.Present = true;
        store.Values = {{"DatabaseDir", "/data/"},
                        {"PrintCols", " 30  3x  15   4  10  23"},
                        {"FirstTime", "True"}};
        BoxRecorder boxes;
        auto window = MakeWindow();
        QCOMPARE(boxes.Boxes.size(), std::size_t(1));
        QCOMPARE(boxes.Boxes[0].Kind, BoxKind::UnexpectedError);
        QCOMPARE(boxes.Boxes[0].Title, QString("Quillory"));
        QCOMPARE(boxes.Boxes[0].Text, QString("' 3x' is not a valid integer value."));
        QCOMPARE(settings.DatabaseDir, std::string("/data/"));
        QCOMPARE(settings.PrintCols[0], 30);
        QCOMPARE(settings.PrintCols[1], 0);
        QCOMPARE(store.Values["FirstTime"], std::string("True"));
        QVERIFY(Command(*window, "Setup1")->isEnabled());
    }

    void unexpectedErrorBoxAppliesTheFullStopRule() {
        BoxRecorder boxes;
        ShowUnexpectedErrorBox(nullptr, "Disk full");
        ShowUnexpectedErrorBox(nullptr, "Please retry.");
        ShowUnexpectedErrorBox(nullptr, "'x'");
        QCOMPARE(boxes.Boxes[0].Text, QString("Disk full."));
        QCOMPARE(boxes.Boxes[1].Text, QString("Please retry."));
        QCOMPARE(boxes.Boxes[2].Text, QString("'x'"));
    }

    void resultListShowsSixColumnsAndFormatsRowsOnDemand() {
        auto window = MakeWindow();
        QTreeView& view = window->ResultView();
        const QList<std::pair<QString, int>> columns = {{"Name", 225},      {"Directory", 225},
                                                        {"Disk Name", 125}, {"id#", 40},
                                                        {"Size", 55},       {"Date/Time", 135}};
        QCOMPARE(view.model()->columnCount(), 6);
        // The documented widths, grown with the desktop's font.
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(view.model()->headerData(c, Qt::Horizontal).toString(), columns[c].first);
            QCOMPARE(view.columnWidth(c), Scaled(columns[c].second));
        }
        QCOMPARE(view.selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(view.selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(view.height(), Scaled(378));
        QCOMPARE(window->width(), Scaled(838));

        CountingRows rows;
        window->ResultList().Show(&rows, 2'000'000);
        QCOMPARE(view.model()->rowCount(), 2'000'000);
        QCOMPARE(view.model()->index(1'999'999, 0).data().toString(), QString("name1999999"));
        QVERIFY(rows.Calls < 100);
        window->ResultList().Clear();
        QCOMPARE(view.model()->rowCount(), 0);
    }

    void aScreenReaderCanNameEveryField() {
        auto window = MakeWindow();
        TForm_info wait(window.get());
        TForm_SelDir picker(window.get());
        TForm_Setup setup(settings, store, picker, window.get());
        TForm_RenameDB renameDatabase(window.get());
        TForm_OpenDB databases(settings, openDatabase, renameDatabase, wait, window.get());
        TForm_Rename renameCatalog(window.get());
        TForm_Progress progress(window.get());
        TForm_ScanCD catalogs(settings, openDatabase, renameCatalog, progress, window.get());
        TForm_FindFile find(openDatabase, *window, wait, window.get());
        TForm_SelectCatalog select(openDatabase, *window, window.get());
        const QList<QWidget*> windows = {window.get(), &setup, &picker, &renameDatabase, &databases,
                                         &catalogs,    &find,  &select, &renameCatalog};
        int fields = 0;
        for (QWidget* shown : windows) {
            for (QWidget* field : shown->findChildren<QWidget*>()) {
                const bool input =
                    qobject_cast<QLineEdit*>(field) || qobject_cast<QComboBox*>(field) ||
                    qobject_cast<QAbstractSpinBox*>(field) ||
                    (qobject_cast<QAbstractItemView*>(field) && !qobject_cast<QHeaderView*>(field));
                // Parts of a combo box or spin box are named by their box.
                const QWidget* holder = field->parentWidget();
                if (!input || field->window() != shown || qobject_cast<const QComboBox*>(holder) ||
                    qobject_cast<const QAbstractSpinBox*>(holder))
                    continue;
                ++fields;
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(field);
                QVERIFY2(accessible && !accessible->text(QAccessible::Name).trimmed().isEmpty(),
                         qPrintable(shown->objectName() + " " + field->metaObject()->className() +
                                    " " + field->objectName()));
            }
        }
        QVERIFY(fields >= 25);
    }

    void theLongestCellsFitTheirColumns() {
        auto window = MakeWindow();
        QTreeView& view = window->ResultView();
        const int margins =
            2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1);
        quillory::ResultList results;
        results.BeginCatalog("Disk", "9999");
        for (const char* date : {"28/12/2003", "28/2/2003", "8/2/2003"})
            results.Append("a", "\\", "3221225472", date, "23:59:58", "F");
        const ResultListRows rows(results);
        for (std::size_t i = 0; i < results.Size(); ++i) {
            const ResultRow row = rows.Row(i);
            for (const int column : {3, 4, 5}) {
                const QString cell = QString::fromStdString(row[static_cast<std::size_t>(column)]);
                QVERIFY2(view.fontMetrics().horizontalAdvance(cell) + margins <=
                             view.columnWidth(column),
                         qPrintable(cell));
            }
        }
    }

    void statusBarHasTwoEmptyPanels() {
        auto window = MakeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const auto panels = window->statusBar()->findChildren<QLabel*>();
        QCOMPARE(panels.size(), 2);
        for (QLabel* panel : panels)
            QVERIFY(panel->text().isEmpty());
        // The first panel is 423 pixels (in the desktop's font); the second
        // follows it without overlapping and ends inside the window.
        QCOMPARE(panels[0]->width(), Scaled(423));
        const QRect first(panels[0]->mapTo(window.get(), QPoint()), panels[0]->size());
        const QRect second(panels[1]->mapTo(window.get(), QPoint()), panels[1]->size());
        QVERIFY(first.right() < second.left());
        QVERIFY(second.right() < window->width());
        QVERIFY(second.width() > Scaled(400));
        QVERIFY(panels[0]->alignment() & Qt::AlignLeft);
        QVERIFY(panels[1]->alignment() & Qt::AlignRight);
        window->SetStatusText(1, "Item count: 0       ");
        QCOMPARE(window->StatusText(1), QString("Item count: 0       "));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
