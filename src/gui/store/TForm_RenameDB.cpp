#include "gui/store/TForm_RenameDB.h"

#include "gui/widgets/DesktopScale.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory {

TForm_RenameDB::TForm_RenameDB(QWidget* parent)
    : RenameDialog(parent), Edit_from_name(new QLineEdit(this)), Edit_to_name(new QLineEdit(this)) {
    setObjectName(QStringLiteral("Form_RenameDB"));
    setWindowTitle(QStringLiteral("Rename Database"));
    Edit_from_name->setObjectName(QStringLiteral("Edit_from_name"));
    Edit_to_name->setObjectName(QStringLiteral("Edit_to_name"));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("FROM:"), Edit_from_name);
    fields->addRow(QStringLiteral("TO:"), Edit_to_name);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(RenameButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    resize(Scaled(QSize(380, 130)));
}

int TForm_RenameDB::ShowFor(const QString& name, std::function<void()> onRename) {
    Edit_from_name->setText(name);
    Edit_to_name->setText(name);
    Edit_from_name->setEnabled(false);
    return RunWith(std::move(onRename));
}

} // namespace quillory
