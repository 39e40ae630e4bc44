#pragma once

#include <QDialog>

class QTextBrowser;

namespace quillory {

// The program's own help window. It shows "Quillory Help.html", looked up
// anew on every use: beside the running program (the build tree), else in
// ../share/quillory/ from there (an installed copy).
class HelpWindow final : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // The help file for a program in `programDirectory`: the one beside it,
    // else the installed one (which is reported when neither exists).
    static QString HelpFilePath(const QString& programDirectory);
    static QString HelpFilePath();
    // Shows the help contents, or an error box when the file is missing.
    void ShowHelp();

private:
    QTextBrowser* browser_;
};

} // namespace quillory
