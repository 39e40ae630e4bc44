#pragma once

#include <QDialog>
#include <QTimer>

class QPushButton;

namespace quillory {

// The start-up window. In start-up mode (its first showing) it closes itself
// after 2.5 seconds with the OK result and shows no button; closing it with the
// system close key gives the cancel result, which ends the program. Every later
// showing is the about mode: no timer, and the "OK" button closes it.
class TForm_IntroImage final : public QDialog {
    Q_OBJECT
public:
    static constexpr int CloseDelayMs = 2500;

    explicit TForm_IntroImage(QWidget* parent = nullptr);

    // Shows the window modally in its current mode; returns the dialog result.
    int ShowModal();
    // The about mode of the Help menu: shows the "OK" button and waits for it.
    void About2Click();

    QPushButton* OkButton() const { return okButton_; }
    bool IsFirstShowing() const { return firstShowing_; }

protected:
    void showEvent(QShowEvent* event) override;
    // Escape changes nothing: the start-up showing lasts its 2.5 seconds and
    // the about showing lasts until "OK".
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void done(int result) override;

private:
    QPushButton* okButton_;
    QTimer closeTimer_;
    bool firstShowing_ = true;
};

} // namespace quillory
