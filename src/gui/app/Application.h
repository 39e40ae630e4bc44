#pragma once

namespace quillory {

// Runs the desktop program: the single-instance guard, the start-up window,
// the main window and its dialogs, then the event loop. Returns the exit status.
int RunApplication(int argc, char** argv);

} // namespace quillory
