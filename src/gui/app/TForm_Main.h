#pragma once

#include "gui/widgets/SearchRunner.h"
#include "search/ListViewData.h"
#include "search/ResultList.h"
#include "settings/LoadSettings.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "store/OpenDatabase.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QLabel;
class QTreeView;

namespace quillory {

class HelpWindow;
class ResultExporter;
class ResultListModel;
class ResultPrinter;
class TForm_IntroImage;
class TForm_OpenDB;
class TForm_FindFile;
class TForm_ScanCD;
class TForm_SelectCatalog;
class TForm_Setup;

// The dialogs the main window's commands open. They are created during
// start-up after the main window, and attached to it as they come.
struct MainWindowDialogs {
    TForm_IntroImage* IntroImage = nullptr;
    TForm_Setup* Setup = nullptr;
    TForm_OpenDB* OpenDB = nullptr;
    TForm_ScanCD* ScanCD = nullptr;
    TForm_FindFile* FindFile = nullptr;
    TForm_SelectCatalog* SelectCatalog = nullptr;
};

// The main window: menus, toolbar, the result list and the two-panel status
// bar. Every command starts here and is routed to the window that does the
// work; errors a command does not handle reach the unexpected-error box. The
// dialogs tell it what they did through their signals and run searches
// through its SearchRunner side.
class TForm_Main final : public QMainWindow, public SearchRunner {
    Q_OBJECT
public:
    // Creating the window loads the settings and applies the first-run rule; a
    // failure there is reported in the unexpected-error box and creation goes on.
    TForm_Main(Settings& settings, SettingsStore& store, const OpenDatabase& openDatabase,
               const FirstRunActions& firstRun, QWidget* parent = nullptr);
    ~TForm_Main() override;

    // The program's icon, for its windows and its desktop entry.
    static QIcon ApplicationIcon();

    // Attaches the dialogs the commands open, and listens to the database manager.
    void SetDialogs(const MainWindowDialogs& dialogs);

    // Enables or disables exactly the ten commands that need an open database.
    void DBOpenEnable();
    void DBOpenDisable();

    // Status panel 0 (left: the open database) or 1 (right: search progress).
    void SetStatusText(int panel, const QString& text);
    QString StatusText(int panel) const;

    ResultListModel& ResultList() { return *model_; }
    QTreeView& ResultView() { return *view_; }
    const quillory::ResultList& Results() const { return results_; }

    // Runs a search (or the listing of one catalog) of the open database and
    // shows its matches, sorted by name, with the progress and the outcome in
    // the status bar. A failure leaves the list as it was and is raised.
    void RunSearch(const CatalogScope& scope, const SearchCriteria& criteria) override;

    // The click on the heading of column `column`: sorts by that column,
    // ascending on a new column and reversed on the same one.
    void ListView1ColumnClick(int column);
    int SortState() const { return sortState_; }

    // The command handlers.
    void Export1Click();
    void Print1Click();
    void Setup1Click();
    void Quit1Click();
    void ManageDatabases1Click();
    void Find1Click();
    void ScanCD1Click();
    void ListAll1Click();
    void About2Click();
    void Help2Click();
    void ToolButton1Click();
    void Tool_ScanClick();
    void Tool_FindClick();
    void Tool_ExportClick();
    void Tool_PrintClick();
    void Tool_HelpClick();

private:
    void FormCreate(const FirstRunActions& firstRun);
    void CreateMenus();
    void CreateToolbar();
    void CreateResultList();
    void CreateStatusBar();
    QAction* AddCommand(QWidget* container, const char* objectName, const QString& text,
                        void (TForm_Main::*handler)());
    void SetDatabaseCommandsEnabled(bool enabled);
    // What the database manager's signals change here.
    void ShowOpenDatabase();
    void ForgetOpenDatabase();

    Settings& settings_;
    SettingsStore& store_;
    const OpenDatabase& openDatabase_;
    MainWindowDialogs dialogs_;
    ResultListModel* model_ = nullptr;
    QTreeView* view_ = nullptr;
    std::array<QLabel*, 2> statusPanels_{};
    std::array<QAction*, 10> databaseCommands_{};
    std::unique_ptr<HelpWindow> helpWindow_;
    std::unique_ptr<ResultExporter> exporter_;
    std::unique_ptr<ResultPrinter> printer_;
    quillory::ResultList results_;
    ResultListRows rows_{results_};
    int sortState_ = static_cast<int>(ResultKey::Name);
};

} // namespace quillory
