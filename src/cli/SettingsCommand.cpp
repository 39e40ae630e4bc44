#include "cli/SettingsCommand.h"

#include "settings/LoadSettings.h"
#include "settings/SettingsStore.h"

namespace quillory {

int SettingsCommand::Execute(CommandContext& context) {
    if (!context.Arguments.empty())
        return ExitUsage;
    // The command line only reads the settings: the first-run rule belongs to
    // the desktop program's first start.
    Settings settings;
    ReadSettings(context.Store, settings);
    std::string widths;
    std::string flags;
    for (std::size_t i = 0; i < PrintColumnCount; ++i) {
        const char* separator = i > 0 ? " " : "";
        widths += separator + std::to_string(settings.PrintCols[i]);
        flags += separator + std::string(settings.PrintColsEnabled[i] ? "1" : "0");
    }
    context.Out << "InputDir\t" << settings.InputDir << '\n'
                << "DatabaseDir\t" << settings.DatabaseDir << '\n'
                << "PrintCols\t" << widths << '\n'
                << "PrintColsEnabled\t" << flags << '\n';
    return ExitSuccess;
}

} // namespace quillory
