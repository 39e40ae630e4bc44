#pragma once

#include <QDialog>
#include <memory>

class QAbstractFileIconProvider;
class QFileSystemModel;
class QLineEdit;
class QTreeView;

namespace quillory {

// The directory picker behind both "Browse" buttons of the setup dialog: a
// tree of folders with the selected folder's full path shown below it.
class TForm_SelDir final : public QDialog {
    Q_OBJECT
public:
    explicit TForm_SelDir(QWidget* parent = nullptr);
    ~TForm_SelDir() override;

    // The folder selected in the tree, or an empty text when none is.
    QString SelectedPath() const;
    // Selects `path` in the tree when it is an existing folder.
    void SelectPath(const QString& path);

private:
    std::unique_ptr<QAbstractFileIconProvider> icons_;
    QFileSystemModel* model_;
    QTreeView* tree_;
    QLineEdit* pathField_;
};

} // namespace quillory
