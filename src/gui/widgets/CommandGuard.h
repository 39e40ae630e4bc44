#pragma once

#include <functional>

class QAction;
class QWidget;

namespace quillory {

// Runs one command, with the background index paused meanwhile. An error that
// the command does not handle itself ends the command and is shown in the
// unexpected-error box; the program then goes on with whatever state the
// command had reached.
void RunGuarded(QWidget* parent, const std::function<void()>& command);

// Connects `action` so that triggering it runs `command` guarded.
void ConnectCommand(QAction* action, QWidget* parent, std::function<void()> command);

} // namespace quillory
