#include "gui/settings/TForm_SelDir.h"

#include "gui/widgets/DesktopScale.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace quillory {

TForm_SelDir::TForm_SelDir(QWidget* parent)
    : QDialog(parent), model_(new QFileSystemModel(this)), tree_(new QTreeView(this)),
      pathField_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("TForm_SelDir"));
    setWindowTitle(QStringLiteral("Select Directory"));
    resize(Scaled(QSize(495, 448)));

    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    model_->setRootPath(QDir::rootPath());
    tree_->setObjectName(QStringLiteral("DirectoryTree"));
    tree_->setAccessibleName(QStringLiteral("Folders"));
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column)
        tree_->hideColumn(column);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);

    // The field only shows the selection; what would be typed into it is not used.
    pathField_->setObjectName(QStringLiteral("PathField"));
    pathField_->setReadOnly(true);
    pathField_->setAccessibleName(QStringLiteral("Selected folder"));
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { pathField_->setText(SelectedPath()); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_);
    layout->addWidget(pathField_);
    layout->addWidget(buttons);
    SelectPath(QDir::homePath());
}

QString TForm_SelDir::SelectedPath() const {
    const QModelIndex current = tree_->currentIndex();
    return current.isValid() ? model_->filePath(current) : QString();
}

void TForm_SelDir::SelectPath(const QString& path) {
    const QModelIndex index = model_->index(QDir::cleanPath(path));
    if (!index.isValid())
        return;
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
}

} // namespace quillory
