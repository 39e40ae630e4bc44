#pragma once

class QApplication;
class QWidget;

namespace quillory {

// Small windows that show while work runs ("Please Wait!", the scan's
// progress) stand, while they show, for the window the user works in: they
// are centred over it and are its transient window, so a window manager
// stacks them above it and not below a modal dialog. The widget that owns
// them stays the one they were made with. `over` defaults to that owner.
void ShowOver(QWidget& window, QWidget* over);
// What a window of that kind sets when it is made: it never takes the keyboard.
void NeverTakeKeyboard(QWidget& window);

// Gives the keyboard back when a modal window closes: to the modal window
// still open under it, else to the closed one's owner. Without a window
// manager nothing else would, and shortcuts would stay dead until a click.
void ReturnKeyboardAfterModalWindows(QApplication& app);

} // namespace quillory
