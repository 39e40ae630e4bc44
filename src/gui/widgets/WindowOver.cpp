#include "gui/widgets/WindowOver.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace quillory {

namespace {

class KeyboardReturn final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Hide || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (!window->isWindow() || !window->testAttribute(Qt::WA_ShowModal))
            return false;
        QPointer<QWidget> owner =
            window->parentWidget() ? window->parentWidget()->window() : nullptr;
        // Once the hiding is over, the window below gets the keyboard, unless
        // another modal window has opened meanwhile and has it.
        QMetaObject::invokeMethod(
            this,
            [owner] {
                QWidget* target = QApplication::activeModalWidget();
                if (!target)
                    target = owner;
                // A window of no owner (the about window) leaves the
                // keyboard to the main window.
                if (!target)
                    for (QWidget* window : QApplication::topLevelWidgets())
                        if (qobject_cast<QMainWindow*>(window) && window->isVisible())
                            target = window;
                if (target && target->isVisible() && QApplication::activeWindow() != target)
                    target->activateWindow();
            },
            Qt::QueuedConnection);
        return false;
    }
};

} // namespace

void ShowOver(QWidget& window, QWidget* over) {
    if (!over)
        over = window.parentWidget();
    if (over) {
        over = over->window();
        // The native windows, the one to be made transient for the other.
        window.winId();
        over->winId();
        window.windowHandle()->setTransientParent(over->windowHandle());
        window.move(over->geometry().center() - window.rect().center());
    }
    window.show();
    window.raise();
}

void NeverTakeKeyboard(QWidget& window) {
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.setWindowFlag(Qt::WindowDoesNotAcceptFocus);
}

void ReturnKeyboardAfterModalWindows(QApplication& app) {
    app.installEventFilter(new KeyboardReturn(&app));
}

} // namespace quillory
