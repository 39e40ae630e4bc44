#include "gui/widgets/CommandGuard.h"

#include "common/Messages.h"
#include "gui/widgets/BackgroundIndex.h"
#include "gui/widgets/MessageBoxes.h"

#include <QAction>
#include <QWidget>
#include <exception>

namespace quillory {

void RunGuarded(QWidget* parent, const std::function<void()>& command) {
    // The index made in the background gives way to every command.
    const BackgroundIndex::Pause pause;
    try {
        command();
    } catch (const std::exception& error) {
        ShowUnexpectedErrorBox(parent, error.what());
    } catch (...) {
        ShowUnexpectedErrorBox(parent, msg::UnknownError);
    }
}

void ConnectCommand(QAction* action, QWidget* parent, std::function<void()> command) {
    QObject::connect(action, &QAction::triggered, parent,
                     [parent, command = std::move(command)] { RunGuarded(parent, command); });
}

} // namespace quillory
