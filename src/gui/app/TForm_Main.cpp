#include "gui/app/TForm_Main.h"

#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/ProgressPace.h"
#include "common/SortState.h"
#include "gui/app/HelpWindow.h"
#include "gui/app/TForm_IntroImage.h"
#include "gui/output/ResultExporter.h"
#include "gui/output/ResultPrinter.h"
#include "gui/scan/TForm_ScanCD.h"
#include "gui/search/TForm_FindFile.h"
#include "gui/search/TForm_SelectCatalog.h"
#include "gui/settings/TForm_Setup.h"
#include "gui/store/TForm_OpenDB.h"
#include "gui/widgets/BackgroundIndex.h"
#include "gui/widgets/BackgroundWork.h"
#include "gui/widgets/CommandGuard.h"
#include "gui/widgets/DesktopScale.h"
#include "gui/widgets/MessageBoxes.h"
#include "gui/widgets/ResultListModel.h"
#include "platform/Text.h"
#include "store/Database.h"

#include <QApplication>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace quillory {

namespace {

constexpr int ToolbarHeight = 25;
constexpr int ResultListHeight = 378;
constexpr int StatusBarHeight = 25;
constexpr int StatusPanelWidth = 423;
constexpr std::array<int, ResultColumnCount> ColumnWidths = {225, 225, 125, 40, 55, 135};
// The sort key of each column, left to right.
constexpr std::array<ResultKey, ResultColumnCount> ColumnKeys = {
    ResultKey::Name,       ResultKey::Directory, ResultKey::DiskName,
    ResultKey::DiskNumber, ResultKey::Size,      ResultKey::DateTime};

// A toolbar icon: its picture, and a grey one while it is disabled.
QIcon ToolbarIcon(const char* name) {
    const QString path = QStringLiteral(":/icons/") + QString::fromLatin1(name);
    QIcon icon;
    icon.addFile(path + QStringLiteral(".svg"), {}, QIcon::Normal);
    icon.addFile(path + QStringLiteral("-disabled.svg"), {}, QIcon::Disabled);
    return icon;
}

} // namespace

QIcon TForm_Main::ApplicationIcon() {
    return QIcon(QStringLiteral(":/icons/quillory.svg"));
}

TForm_Main::TForm_Main(Settings& settings, SettingsStore& store, const OpenDatabase& openDatabase,
                       const FirstRunActions& firstRun, QWidget* parent)
    : QMainWindow(parent), settings_(settings), store_(store), openDatabase_(openDatabase),
      helpWindow_(std::make_unique<HelpWindow>(this)),
      exporter_(std::make_unique<ResultExporter>(this)),
      printer_(std::make_unique<ResultPrinter>(this)) {
    setObjectName(QStringLiteral("TForm_Main"));
    setWindowTitle(QStringLiteral("Quillory"));
    setWindowIcon(ApplicationIcon());
    CreateMenus();
    CreateToolbar();
    CreateResultList();
    CreateStatusBar();
    // 838 x 475 is the whole window with its title bar; the inside holds the
    // menu, the toolbar, the 378-pixel list and the status bar exactly. The
    // sizes grow with the desktop's font, within the screen.
    QSize size(Scaled(838), menuBar()->sizeHint().height() + ToolbarHeight + view_->height() +
                                statusBar()->height());
    if (const QScreen* screen = this->screen()) {
        const QSize room = screen->availableGeometry().size();
        // On a small screen the list gives up what the window cannot have.
        if (size.height() > room.height())
            view_->setFixedHeight(std::max(0, view_->height() - (size.height() - room.height())));
        size = size.boundedTo(room);
    }
    resize(size);
    DBOpenDisable();
    FormCreate(firstRun);
}

TForm_Main::~TForm_Main() {
    BackgroundIndex::Stop();
}

void TForm_Main::FormCreate(const FirstRunActions& firstRun) {
    RunGuarded(this, [&] { LoadSettings(store_, settings_, firstRun); });
}

void TForm_Main::SetDialogs(const MainWindowDialogs& dialogs) {
    dialogs_ = dialogs;
    if (!dialogs.OpenDB)
        return;
    connect(dialogs.OpenDB, &TForm_OpenDB::DatabaseOpened, this, [this] {
        ShowOpenDatabase();
        DBOpenEnable();
    });
    connect(dialogs.OpenDB, &TForm_OpenDB::OpenDatabaseChanged, this,
            &TForm_Main::ShowOpenDatabase);
    connect(dialogs.OpenDB, &TForm_OpenDB::OpenDatabaseDeleted, this,
            &TForm_Main::ForgetOpenDatabase);
}

void TForm_Main::ShowOpenDatabase() {
    SetStatusText(0, FromBytes(OpenDatabaseStatus(openDatabase_)));
}

void TForm_Main::ForgetOpenDatabase() {
    SetStatusText(0, QString());
    SetStatusText(1, QString());
    model_->Clear();
    DBOpenDisable();
}

QAction* TForm_Main::AddCommand(QWidget* container, const char* objectName, const QString& text,
                                void (TForm_Main::*handler)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(objectName));
    container->addAction(action);
    ConnectCommand(action, this, [this, handler] { (this->*handler)(); });
    return action;
}

void TForm_Main::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    QAction* export1 =
        AddCommand(file, "Export1", QStringLiteral("Export &CSV"), &TForm_Main::Export1Click);
    QAction* print1 =
        AddCommand(file, "Print1", QStringLiteral("&Print"), &TForm_Main::Print1Click);
    QAction* setup1 =
        AddCommand(file, "Setup1", QStringLiteral("S&etup"), &TForm_Main::Setup1Click);
    QAction* quit1 = AddCommand(file, "Quit1", QStringLiteral("&Quit"), &TForm_Main::Quit1Click);

    QMenu* operations = menuBar()->addMenu(QStringLiteral("Operations"));
    QAction* manage =
        AddCommand(operations, "ManageDatabases1", QStringLiteral("&Manage Databases"),
                   &TForm_Main::ManageDatabases1Click);
    QAction* find1 = AddCommand(operations, "Find1", QStringLiteral("&Find in Database"),
                                &TForm_Main::Find1Click);
    QAction* scanCD1 = AddCommand(operations, "ScanCD1", QStringLiteral("Manage &Catalogs"),
                                  &TForm_Main::ScanCD1Click);
    QAction* listAll1 = AddCommand(operations, "ListAll1", QStringLiteral("&List Disk Catalog"),
                                   &TForm_Main::ListAll1Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    // About carries no shortcut: Ctrl+A belongs to "Manage Catalogs".
    AddCommand(help, "About2", QStringLiteral("&About"), &TForm_Main::About2Click);
    QAction* help2 = AddCommand(help, "Help2", QStringLiteral("&Help"), &TForm_Main::Help2Click);

    export1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    print1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    setup1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    quit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    manage->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    find1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    scanCD1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    listAll1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    help2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));

    databaseCommands_[0] = scanCD1;
    databaseCommands_[1] = find1;
    databaseCommands_[2] = listAll1;
    databaseCommands_[3] = export1;
    databaseCommands_[4] = print1;
}

void TForm_Main::CreateToolbar() {
    QToolBar* toolbar = addToolBar(QStringLiteral("Toolbar"));
    toolbar->setObjectName(QStringLiteral("ToolBar1"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setFixedHeight(ToolbarHeight);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);

    // The program's own icons, the same on every desktop.
    struct Button {
        const char* objectName;
        const char* tip;
        const char* icon;
        void (TForm_Main::*handler)();
    };
    const Button buttons[] = {
        {"ToolButton1", "Open Database", "open-database", &TForm_Main::ToolButton1Click},
        {"Tool_Scan", "Scan Disk", "scan-disk", &TForm_Main::Tool_ScanClick},
        {"Tool_Find", "Find File", "find-file", &TForm_Main::Tool_FindClick},
        {"Tool_ListAll", "List Disk", "list-disk", &TForm_Main::ListAll1Click},
        {"Tool_Export", "Export CSV", "export-csv", &TForm_Main::Tool_ExportClick},
        {"Tool_Print", "Print", "print", &TForm_Main::Tool_PrintClick},
        {"Tool_Help", "Help", "help", &TForm_Main::Tool_HelpClick},
    };
    std::size_t next = 5;
    for (const Button& button : buttons) {
        const QString tip = QString::fromLatin1(button.tip);
        QAction* action = AddCommand(toolbar, button.objectName, tip, button.handler);
        action->setToolTip(tip);
        action->setIcon(ToolbarIcon(button.icon));
        const QString name = action->objectName();
        if (name != QLatin1String("ToolButton1") && name != QLatin1String("Tool_Help"))
            databaseCommands_[next++] = action;
        // Separators after "Open Database" (8 pixels), "Scan Disk" and "Print".
        if (name == QLatin1String("ToolButton1")) {
            auto* gap = new QWidget(toolbar);
            gap->setFixedWidth(8);
            toolbar->addWidget(gap);
        } else if (name == QLatin1String("Tool_Scan") || name == QLatin1String("Tool_Print")) {
            toolbar->addSeparator();
        }
    }
}

void TForm_Main::CreateResultList() {
    model_ = new ResultListModel(this);
    view_ = new QTreeView;
    view_->setObjectName(QStringLiteral("ListView1"));
    view_->setAccessibleName(QStringLiteral("Results"));
    view_->setModel(model_);
    view_->setRootIsDecorated(false);
    view_->setItemsExpandable(false);
    view_->setUniformRowHeights(true);
    view_->setAllColumnsShowFocus(true);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->header()->setStretchLastSection(false);
    view_->header()->setSectionsMovable(false);
    for (int column = 0; column < static_cast<int>(ColumnWidths.size()); ++column)
        view_->setColumnWidth(column, Scaled(ColumnWidths[static_cast<std::size_t>(column)]));
    view_->header()->setSectionsClickable(true);
    connect(view_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        RunGuarded(this, [this, column] { ListView1ColumnClick(column); });
    });
    // The list follows the window's width but keeps its height.
    view_->setFixedHeight(Scaled(ResultListHeight));

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_);
    layout->addStretch();
    setCentralWidget(central);
}

void TForm_Main::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setFixedHeight(Scaled(StatusBarHeight));
    bar->setSizeGripEnabled(false);
    // The first panel has its width; the second takes the rest up to the
    // window's right edge, so neither overlaps the other nor the edge.
    for (std::size_t panel = 0; panel < statusPanels_.size(); ++panel) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(panel + 1));
        label->setAlignment((panel == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
        if (panel == 0)
            label->setFixedWidth(Scaled(StatusPanelWidth));
        else
            label->setMinimumWidth(0);
        bar->addWidget(label, panel == 0 ? 0 : 1);
        statusPanels_[panel] = label;
    }
}

void TForm_Main::SetDatabaseCommandsEnabled(bool enabled) {
    for (QAction* action : databaseCommands_)
        action->setEnabled(enabled);
}

void TForm_Main::DBOpenEnable() {
    SetDatabaseCommandsEnabled(true);
}

void TForm_Main::DBOpenDisable() {
    SetDatabaseCommandsEnabled(false);
}

void TForm_Main::SetStatusText(int panel, const QString& text) {
    statusPanels_.at(static_cast<std::size_t>(panel))->setText(text);
}

QString TForm_Main::StatusText(int panel) const {
    return statusPanels_.at(static_cast<std::size_t>(panel))->text();
}

void TForm_Main::Export1Click() {
    const auto count = static_cast<std::size_t>(model_->rowCount());
    if (count == 0)
        ShowErrorBox(this, msg::NothingToExport);
    else
        exporter_->Export(rows_, count);
}

void TForm_Main::Print1Click() {
    const auto count = static_cast<std::size_t>(model_->rowCount());
    if (count == 0)
        ShowErrorBox(this, msg::NothingToPrint);
    else
        printer_->Print(rows_, count, settings_,
                        FromBytes(FormatMessage(msg::PrintJobTitle, openDatabase_.Name)));
}

void TForm_Main::Setup1Click() {
    if (dialogs_.Setup)
        dialogs_.Setup->ShowModal();
}

void TForm_Main::Quit1Click() {
    close();
}

void TForm_Main::ManageDatabases1Click() {
    if (dialogs_.OpenDB)
        dialogs_.OpenDB->OpenDBClick();
}

void TForm_Main::Find1Click() {
    if (dialogs_.FindFile)
        dialogs_.FindFile->ShowModal();
}

void TForm_Main::ScanCD1Click() {
    if (dialogs_.ScanCD)
        dialogs_.ScanCD->ScanCD1Click();
}

void TForm_Main::ListAll1Click() {
    if (!openDatabase_.IsOpen())
        ShowErrorBox(this, msg::NoDatabaseOpen);
    else if (dialogs_.SelectCatalog)
        dialogs_.SelectCatalog->ListCatalogs();
}

void TForm_Main::RunSearch(const CatalogScope& scope, const SearchCriteria& criteria) {
    // The searching threads report each catalog, one at a time; the status
    // bar is changed here, at the pace a person reads.
    ProgressPace pace;
    const SearchProgress progress = [this, &pace](const SearchStep& step) {
        if (!pace.Due())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, text = FromBytes(FormatMessage(msg::StatusScanningDisk, step.DiskName))] {
                SetStatusText(1, text);
            },
            Qt::QueuedConnection);
    };
    quillory::ResultList found;
    SearchCoverage coverage;
    RunWhileWaiting(
        [&] { found = FindFile(openDatabase_, scope, criteria, progress, {}, &coverage); });
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    model_->Show(nullptr, 0);
    results_ = std::move(found);
    model_->Show(&rows_, results_.Size());
    // A new list starts at its first row, wherever the last one was scrolled to.
    view_->scrollToTop();
    SetStatusText(0, FromBytes(FormatMessage(msg::StatusOpenDatabase, openDatabase_.Name)));
    SetStatusText(1,
                  FromBytes(FormatMessage(msg::StatusItemCount, std::to_string(results_.Size()))));
    // The parts the search lacked are made once the command is over.
    if (coverage.IndexUsable)
        BackgroundIndex::Want(openDatabase_, coverage.WithoutPart, coverage.CheckedByBytes);
}

void TForm_Main::ListView1ColumnClick(int column) {
    const SortOrder order =
        HeaderClick(sortState_, static_cast<int>(ColumnKeys.at(static_cast<std::size_t>(column))));
    const BusyCursor busy;
    // The list stays drawn from the old order while the new one is worked out.
    quillory::ResultList::Order sorted;
    RunWhileWaiting(
        [&] { sorted = results_.SortedOrder(static_cast<ResultKey>(order.Key), order.Ascending); });
    results_.SetOrder(std::move(sorted));
    model_->Refresh();
}

void TForm_Main::About2Click() {
    if (dialogs_.IntroImage)
        dialogs_.IntroImage->About2Click();
}

void TForm_Main::Help2Click() {
    helpWindow_->ShowHelp();
}

void TForm_Main::ToolButton1Click() {
    ManageDatabases1Click();
}

void TForm_Main::Tool_ScanClick() {
    if (!openDatabase_.IsOpen())
        ShowErrorBox(this, msg::NoDatabaseOpen);
    else
        ScanCD1Click();
}

void TForm_Main::Tool_FindClick() {
    if (!openDatabase_.IsOpen())
        ShowErrorBox(this, msg::NoDatabaseOpen);
    else
        Find1Click();
}

void TForm_Main::Tool_ExportClick() {
    Export1Click();
}

void TForm_Main::Tool_PrintClick() {
    Print1Click();
}

void TForm_Main::Tool_HelpClick() {
    Help2Click();
}

} // namespace quillory
