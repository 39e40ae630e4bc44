#include "gui/widgets/MessageBoxes.h"

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "platform/Text.h"

#include <QMessageBox>

namespace quillory {

namespace {

bool ShowMessageBox(QWidget* parent, BoxKind kind, const QString& title, const QString& text) {
    const bool warning = kind == BoxKind::Warning;
    QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Critical, title, text,
                    warning ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, parent);
    return box.exec() == QMessageBox::Ok;
}

BoxPresenter& Presenter() {
    static BoxPresenter presenter = ShowMessageBox;
    return presenter;
}

} // namespace

void SetBoxPresenter(BoxPresenter presenter) {
    Presenter() = presenter ? std::move(presenter) : BoxPresenter(ShowMessageBox);
}

void ShowErrorBox(QWidget* parent, const std::string& text) {
    Presenter()(parent, BoxKind::Error, QStringLiteral("Error"), FromBytes(text));
}

bool AskWarningBox(QWidget* parent, const std::string& text) {
    return Presenter()(parent, BoxKind::Warning, QStringLiteral("Warning"), FromBytes(text));
}

void ShowUnexpectedErrorBox(QWidget* parent, const std::string& text) {
    Presenter()(parent, BoxKind::UnexpectedError, QStringLiteral("Quillory"),
                FromBytes(WithFullStop(text)));
}

} // namespace quillory

namespace quillory {

bool PassesOrShowsError(QWidget* parent, const std::function<void()>& check) {
    try {
        check();
        return true;
    } catch (const Error& error) {
        ShowErrorBox(parent, error.what());
        return false;
    }
}

} // namespace quillory
