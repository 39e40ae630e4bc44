#include "gui/scan/TForm_Rename.h"

#include "gui/widgets/DesktopScale.h"
#include "platform/Text.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quillory {

TForm_Rename::TForm_Rename(QWidget* parent)
    : RenameDialog(parent), Edit_from_id(new QLineEdit(this)), Edit_from_name(new QLineEdit(this)),
      Edit_to_id(new QLineEdit(this)), Edit_to_name(new QLineEdit(this)) {
    setObjectName(QStringLiteral("Form_Rename"));
    setWindowTitle(QStringLiteral("Rename Catalog"));
    resize(Scaled(QSize(575, 195)));
    Edit_from_id->setObjectName(QStringLiteral("Edit_from_id"));
    Edit_from_name->setObjectName(QStringLiteral("Edit_from_name"));
    Edit_to_id->setObjectName(QStringLiteral("Edit_to_id"));
    Edit_to_name->setObjectName(QStringLiteral("Edit_to_name"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("ID#"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Name"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("FROM:"), this), 1, 0);
    grid->addWidget(Edit_from_id, 1, 1);
    grid->addWidget(Edit_from_name, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("TO:"), this), 2, 0);
    grid->addWidget(Edit_to_id, 2, 1);
    grid->addWidget(Edit_to_name, 2, 2);
    grid->setColumnStretch(2, 1);
    // Room the fields do not need goes below them, not above the headings.
    grid->setRowStretch(3, 1);

    grid->addWidget(RenameButton, 4, 1);
    grid->addWidget(CancelButton, 4, 2, Qt::AlignLeft);
    Edit_from_id->setAccessibleName(QStringLiteral("From ID#"));
    Edit_from_name->setAccessibleName(QStringLiteral("From name"));
    Edit_to_id->setAccessibleName(QStringLiteral("To ID#"));
    Edit_to_name->setAccessibleName(QStringLiteral("To name"));
}

int TForm_Rename::ShowFor(const CatalogName& row, std::function<void()> onRename) {
    Edit_from_id->setText(FromBytes(row.DiskNumber));
    Edit_to_id->setText(FromBytes(row.DiskNumber));
    Edit_from_name->setText(FromBytes(row.DiskName));
    Edit_to_name->setText(FromBytes(row.DiskName));
    Edit_from_id->setEnabled(false);
    Edit_from_name->setEnabled(false);
    Edit_to_id->setFocus();
    return RunWith(std::move(onRename));
}

CatalogName TForm_Rename::From() const {
    return {ToBytes(Edit_from_name->text()), ToBytes(Edit_from_id->text())};
}

CatalogName TForm_Rename::To() const {
    return {ToBytes(Edit_to_name->text()), ToBytes(Edit_to_id->text())};
}

} // namespace quillory
