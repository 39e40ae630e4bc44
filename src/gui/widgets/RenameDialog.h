#pragma once

#include <QDialog>
#include <functional>

class QPushButton;

namespace quillory {

// What the two rename dialogs share: a "Rename" button that runs the action
// the opening command gives (which decides whether the dialog closes) and a
// "Cancel" button that closes it.
class RenameDialog : public QDialog {
    Q_OBJECT
protected:
    explicit RenameDialog(QWidget* parent);

    // Shows the dialog modally with `onRename` behind its "Rename" button.
    int RunWith(std::function<void()> onRename);

    QPushButton* RenameButton;
    QPushButton* CancelButton;

private:
    std::function<void()> onRename_;
};

} // namespace quillory
