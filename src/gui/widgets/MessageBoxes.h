#pragma once

#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace quillory {

// The three boxes every window uses, each a modal message box:
// - the error box: error icon, title "Error", one "OK" button;
// - the warning box: warning icon, title "Warning", "OK" and "Cancel";
// - the unexpected-error box: error icon, title "Quillory", one "OK" button,
//   the error's own text with the full-stop rule applied.
enum class BoxKind { Error, Warning, UnexpectedError };

void ShowErrorBox(QWidget* parent, const std::string& text);
// True only when the user answered "OK".
bool AskWarningBox(QWidget* parent, const std::string& text);
void ShowUnexpectedErrorBox(QWidget* parent, const std::string& text);

// Runs `check`; when it refuses with an Error, shows the error's text in the
// error box and returns false.
bool PassesOrShowsError(QWidget* parent, const std::function<void()>& check);

// Shows a box and returns whether "OK" was chosen. Tests put a recorder in
// place of the real message box; passing an empty function restores it.
using BoxPresenter =
    std::function<bool(QWidget* parent, BoxKind kind, const QString& title, const QString& text)>;
void SetBoxPresenter(BoxPresenter presenter);

} // namespace quillory
