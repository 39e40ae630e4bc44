#pragma once

#include <QDialog>

class QLabel;

namespace quillory {

// "Please Wait!": a small window with one centred line in large type, shown
// without blocking while a conversion or a search runs. It never takes the
// keyboard.
class TForm_info final : public QDialog {
    Q_OBJECT
public:
    explicit TForm_info(QWidget* parent = nullptr);

    // Sets the line and shows the window over `over`, the window the user
    // works in (by default its parent).
    void ShowWith(const QString& text, QWidget* over = nullptr);
    QString Text() const;

private:
    QLabel* label_;
};

} // namespace quillory
