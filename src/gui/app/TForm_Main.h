#pragma once

#include "search/ListViewData.h"
#include "search/ResultList.h"
#include "search/SearchCriteria.h"
#include "settings/LoadSettings.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QFileDialog;
class QLabel;
class QPrintDialog;
class QPrinter;
class QTreeView;

namespace quillory {

class HelpWindow;
class ResultListModel;
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
// work; errors a command does not handle reach the unexpected-error box.
class TForm_Main final : public QMainWindow {
    Q_OBJECT
public:
    // Creating the window loads the settings and applies the first-run rule; a
    // failure there is reported in the unexpected-error box and creation goes on.
    TForm_Main(Settings& settings, SettingsStore& store, FirstOpticalDriveQuery firstOpticalDrive,
               QWidget* parent = nullptr);
    ~TForm_Main() override;

    void SetDialogs(const MainWindowDialogs& dialogs) { dialogs_ = dialogs; }

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
    void RunSearch(const std::string& catalog, const SearchCriteria& criteria);

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
    void FormCreate(FirstOpticalDriveQuery firstOpticalDrive);
    void CreateMenus();
    void CreateToolbar();
    void CreateResultList();
    void CreateStatusBar();
    QAction* AddCommand(QWidget* container, const char* objectName, const QString& text,
                        void (TForm_Main::*handler)());
    void SetDatabaseCommandsEnabled(bool enabled);
    // Prints the first `count` rows on `printer`, one line each.
    void PrintRows(QPrinter& printer, std::size_t count);

    Settings& settings_;
    SettingsStore& store_;
    MainWindowDialogs dialogs_;
    ResultListModel* model_ = nullptr;
    QTreeView* view_ = nullptr;
    std::array<QLabel*, 2> statusPanels_{};
    std::array<QAction*, 10> databaseCommands_{};
    std::unique_ptr<HelpWindow> helpWindow_;
    // The save and print dialogs live for the run, so they remember the last
    // file name and whether to print to a file.
    QFileDialog* saveDialog_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    QPrintDialog* printDialog_ = nullptr;
    quillory::ResultList results_;
    ResultListRows rows_{results_};
    int sortState_ = static_cast<int>(ResultKey::Name);
};

} // namespace quillory
