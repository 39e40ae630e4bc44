#pragma once

#include "gui/widgets/RenameDialog.h"
#include "store/CatalogName.h"

class QLineEdit;

namespace quillory {

// "Rename Catalog": the catalog's id and name as they are (FROM:, not
// editable) and as they shall be (TO:).
class TForm_Rename final : public RenameDialog {
    Q_OBJECT
public:
    explicit TForm_Rename(QWidget* parent = nullptr);

    // Fills both rows with `row` and shows the dialog modally; `onRename` runs
    // when "Rename" is pressed and decides whether the dialog closes.
    int ShowFor(const CatalogName& row, std::function<void()> onRename);
    CatalogName From() const;
    CatalogName To() const;

    QLineEdit* Edit_from_id;
    QLineEdit* Edit_from_name;
    QLineEdit* Edit_to_id;
    QLineEdit* Edit_to_name;
};

} // namespace quillory
