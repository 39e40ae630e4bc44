#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

namespace quillory::test {

// While it lives, runs `action` whenever `watched` receives an event of `type`.
class OnEvent final : public QObject {
public:
    OnEvent(QObject* watched, QEvent::Type type, std::function<void()> action)
        : watched_(watched), type_(type), action_(std::move(action)) {
        watched_->installEventFilter(this);
    }
    ~OnEvent() override { watched_->removeEventFilter(this); }

    bool eventFilter(QObject* object, QEvent* event) override {
        if (object == watched_ && event->type() == type_)
            action_();
        return false;
    }

private:
    QObject* watched_;
    QEvent::Type type_;
    std::function<void()> action_;
};

} // namespace quillory::test
