#pragma once

#include "gui/widgets/RenameDialog.h"

class QLineEdit;

namespace quillory {

// "Rename Database": the old name (shown, not editable) and the new one.
class TForm_RenameDB final : public RenameDialog {
    Q_OBJECT
public:
    explicit TForm_RenameDB(QWidget* parent = nullptr);

    // Fills both fields with `name` and shows the dialog modally; `onRename`
    // runs when "Rename" is pressed and decides whether the dialog closes.
    int ShowFor(const QString& name, std::function<void()> onRename);

    QLineEdit* Edit_from_name;
    QLineEdit* Edit_to_name;
};

} // namespace quillory
