#pragma once

#include <functional>

class QWidget;

namespace quillory {

// The busy cursor for as long as it lives, whichever way the command ends;
// a wait window given to it is hidden at the end as well.
class BusyCursor {
public:
    explicit BusyCursor(QWidget* waitWindow = nullptr);
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    QWidget* waitWindow_;
};

// Runs `work` on a thread of its own while this thread keeps the windows
// painted (the wait window included), and returns when it is done, raising
// the work's error here. Meanwhile the user can neither type, click nor close a
// window, so no second command starts: the program behaves as if the work ran
// inside the command, only without freezing.
void RunWhileWaiting(const std::function<void()>& work);

} // namespace quillory
