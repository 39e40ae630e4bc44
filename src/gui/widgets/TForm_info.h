#pragma once

#include <QDialog>

class QLabel;

namespace quillory {

// "Please Wait!": a small window with one centred line in large type, shown
// without blocking while a conversion or a search runs.
class TForm_info final : public QDialog {
    Q_OBJECT
public:
    explicit TForm_info(QWidget* parent = nullptr);

    // Sets the line, centres the window over its parent and shows it.
    void ShowWith(const QString& text);
    QString Text() const;

private:
    QLabel* label_;
};

} // namespace quillory
