#include "gui/app/HelpWindow.h"

#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "gui/widgets/MessageBoxes.h"
#include "platform/Text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace quillory {

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quillory Help"));
    resize(720, 600);
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
}

QString HelpWindow::HelpFilePath(const QString& programDirectory) {
    const QString name = QStringLiteral("Quillory Help.html");
    const QString inBuildTree = programDirectory + '/' + name;
    const QString installed =
        QDir::cleanPath(programDirectory + QStringLiteral("/../share/quillory/") + name);
    return QFileInfo::exists(inBuildTree) ? inBuildTree : installed;
}

QString HelpWindow::HelpFilePath() {
    return HelpFilePath(QCoreApplication::applicationDirPath());
}

void HelpWindow::ShowHelp() {
    const QString path = HelpFilePath();
    if (!QFileInfo(path).isReadable()) {
        ShowErrorBox(parentWidget(), FormatMessage(msg::CannotOpenFile, ToBytes(path)));
        return;
    }
    // The file may have changed since the last showing, so it is read again.
    browser_->setSource(QUrl::fromLocalFile(path));
    browser_->reload();
    show();
    raise();
    activateWindow();
}

} // namespace quillory
