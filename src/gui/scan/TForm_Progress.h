#pragma once

#include <QTimer>
#include <QWidget>

namespace quillory {

// "Scanning Disk" / "Please Wait": shown while a disk is scanned. Its repeating
// 4-second timer, running from start-up, hides it and gives the normal cursor
// back; a tick that falls due while a scan runs takes effect as soon as the
// scan is over, so the window never vanishes in the middle of a scan. It never
// takes the keyboard.
class TForm_Progress final : public QWidget {
    Q_OBJECT
public:
    static constexpr int TickMs = 4000;

    explicit TForm_Progress(QWidget* owner);

    // The scan starts: shows the window over `over`, the window the user works
    // in (by default its owner); the timer keeps its period.
    void BeginScan(QWidget* over = nullptr);
    // The scan is over: a tick that fell due meanwhile takes effect now.
    void EndScan();

private:
    void Timer1Timer();
    void HideAndRestoreCursor();

    QWidget* owner_;
    QTimer timer1_;
    bool scanning_ = false;
    bool tickDue_ = false;
};

} // namespace quillory
