#include "gui/app/Application.h"

#include "gui/app/SingleInstance.h"
#include "gui/app/TForm_IntroImage.h"
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
#include "gui/widgets/TForm_info.h"
#include "gui/widgets/WindowOver.h"
#include "platform/QtSettingsStore.h"
#include "platform/SystemDrives.h"
#include "store/DefaultDatabase.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

namespace quillory {

namespace {

void CentreOnScreen(QWidget& window) {
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

// How long a compositor may take to give the window the keyboard before the
// window asks for attention instead.
constexpr int ActivationWaitMs = 1000;

// Hands the later start's activation token to the platform, which uses it
// when the window next asks to be activated: Qt's Wayland platform reads
// XDG_ACTIVATION_TOKEN from the environment then, and clears it.
void UseActivationToken(const QByteArray& token) {
    if (QGuiApplication::platformName() == QLatin1String("wayland") && !token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token);
}

void BringForward(QWidget& window, const QByteArray& activationToken) {
    // Before the start-up window has closed the main window is not shown yet,
    // and there is nothing to bring forward.
    if (!window.isVisible())
        return;
    if (window.isMinimized())
        window.showNormal();
    UseActivationToken(activationToken);
    window.raise();
    window.activateWindow();
    // A compositor may refuse (no token, or no activation at all): then the
    // window at least asks for attention, so that the user sees it.
    QTimer::singleShot(ActivationWaitMs, &window, [&window] {
        if (!window.isActiveWindow())
            QApplication::alert(&window);
    });
}

} // namespace

int RunApplication(int argc, char** argv) {
    QApplication app(argc, argv);

    SingleInstance instance;
    if (!instance.TryBecomeFirst()) {
        instance.AskFirstToRaise(qgetenv("XDG_ACTIVATION_TOKEN"));
        return 0;
    }
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    // The desktop entry this program is started from, which Wayland matches
    // windows with; on X11 the windows' class is "Quillory".
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillory.Quillory"));
    QApplication::setWindowIcon(TForm_Main::ApplicationIcon());

    Settings settings;
    OpenDatabase openDatabase;
    QtSettingsStore store;
    TForm_IntroImage intro;
    TForm_Main main(settings, store, openDatabase,
                    {KeepDefaultDatabaseCompressed, [] { return FindFirstOpticalDrive(); }});
    QObject::connect(&instance, &SingleInstance::RaiseRequested, &main,
                     [&main](const QByteArray& token) { BringForward(main, token); });
    TForm_RenameDB renameDatabase(&main);
    TForm_Rename renameCatalog(&main);
    TForm_SelDir picker(&main);
    TForm_Progress progress(&main);

    if (intro.ShowModal() != QDialog::Accepted)
        return 0;
    intro.hide();

    TForm_info waitWindow(&main);
    TForm_FindFile findFile(openDatabase, main, waitWindow, &main);
    TForm_Setup setup(settings, store, picker, &main);
    TForm_ScanCD catalogManager(settings, openDatabase, renameCatalog, progress, &main);
    TForm_SelectCatalog selectCatalog(openDatabase, main, &main);
    TForm_OpenDB databaseManager(settings, openDatabase, renameDatabase, waitWindow, &main);
    main.SetDialogs({&intro, &setup, &databaseManager, &catalogManager, &findFile, &selectCatalog});
    ReturnKeyboardAfterModalWindows(app);
    CentreOnScreen(main);
    main.show();
    // Without a window manager a window that is shown does not get the
    // keyboard by itself.
    main.activateWindow();
    return app.exec();
}

} // namespace quillory
