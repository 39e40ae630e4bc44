#pragma once

#include <functional>

namespace quillory {

// Runs `work` on a thread of its own while this thread keeps the windows
// painted (the wait window included), and returns when it is done, raising
// the work's error here. Meanwhile the user can neither type, click nor close a
// window, so no second command starts: the program behaves as if the work ran
// inside the command, only without freezing.
void RunWhileWaiting(const std::function<void()>& work);

} // namespace quillory
