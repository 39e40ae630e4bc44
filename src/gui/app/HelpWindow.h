#pragma once

#include <QDialog>

class QTextBrowser;

namespace quillory {

// The program's own help window. It shows "Quillory Help.html" from the
// directory of the running program, looked up anew on every use.
class HelpWindow final : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    static QString HelpFilePath();
    // Shows the help contents, or an error box when the file is missing.
    void ShowHelp();

private:
    QTextBrowser* browser_;
};

} // namespace quillory
