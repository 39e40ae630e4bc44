#include "gui/widgets/BackgroundWork.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>
#include <atomic>
#include <exception>
#include <thread>

namespace quillory {

namespace {

// Windows asked to close while the work runs stay open.
class CloseBlocker final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Close; }
};

} // namespace

BusyCursor::BusyCursor(QWidget* waitWindow) : waitWindow_(waitWindow) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    if (waitWindow_)
        waitWindow_->hide();
    QApplication::restoreOverrideCursor();
}

void RunWhileWaiting(const std::function<void()>& work) {
    std::exception_ptr failure;
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    CloseBlocker blocker;
    qApp->installEventFilter(&blocker);
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    qApp->removeEventFilter(&blocker);
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace quillory
