#include "gui/widgets/RenameDialog.h"

#include <QPushButton>

namespace quillory {

RenameDialog::RenameDialog(QWidget* parent)
    : QDialog(parent), RenameButton(new QPushButton(QStringLiteral("Rename"), this)),
      CancelButton(new QPushButton(QStringLiteral("Cancel"), this)) {
    RenameButton->setObjectName(QStringLiteral("RenameButton"));
    RenameButton->setDefault(true);
    connect(RenameButton, &QPushButton::clicked, this, [this] {
        if (onRename_)
            onRename_();
    });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

int RenameDialog::RunWith(std::function<void()> onRename) {
    onRename_ = std::move(onRename);
    return exec();
}

} // namespace quillory
