#include "gui/settings/TForm_SelDir.h"

#include "gui/widgets/DesktopScale.h"

#include <QAbstractFileIconProvider>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

namespace quillory {

namespace {

// The desktop's icons for folders, and the program's own where its icon
// theme has none.
class FolderIcons final : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType type) const override {
        const QIcon themed = QAbstractFileIconProvider::icon(type);
        return themed.isNull() && type != File ? Closed : themed;
    }
    QIcon icon(const QFileInfo& info) const override {
        const QIcon themed = QAbstractFileIconProvider::icon(info);
        return themed.isNull() && info.isDir() ? Closed : themed;
    }
    bool OwnIcons() const { return QAbstractFileIconProvider::icon(Folder).isNull(); }

    const QIcon Closed{QStringLiteral(":/icons/folder.svg")};
    const QIcon Open{QStringLiteral(":/icons/folder-open.svg")};
};

// With the program's own icons, an expanded folder shows open.
class FolderDelegate final : public QStyledItemDelegate {
public:
    FolderDelegate(QTreeView* tree, const FolderIcons& icons)
        : QStyledItemDelegate(tree), tree_(tree), open_(icons.Open), own_(icons.OwnIcons()) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (own_ && tree_->isExpanded(index))
            option->icon = open_;
    }

private:
    QTreeView* tree_;
    QIcon open_;
    bool own_;
};

} // namespace

TForm_SelDir::TForm_SelDir(QWidget* parent)
    : QDialog(parent), icons_(std::make_unique<FolderIcons>()), model_(new QFileSystemModel(this)),
      tree_(new QTreeView(this)), pathField_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("TForm_SelDir"));
    setWindowTitle(QStringLiteral("Select Directory"));
    resize(Scaled(QSize(495, 448)));

    model_->setIconProvider(icons_.get());
    tree_->setItemDelegate(new FolderDelegate(tree_, static_cast<const FolderIcons&>(*icons_)));
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

TForm_SelDir::~TForm_SelDir() {
    // The model asks its icon provider until it is gone.
    delete model_;
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
