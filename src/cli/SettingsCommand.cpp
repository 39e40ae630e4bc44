#include "cli/SettingsCommand.h"

#include "settings/LoadSettings.h"
#include "settings/SettingsStore.h"

namespace quillory {

const CommandSyntax& SettingsCommand::Syntax() const {
    static const CommandSyntax syntax{.Name = "settings",
                                      .Description = "print the loaded settings"};
    return syntax;
}

void SettingsCommand::Execute(CommandContext& context) {
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
    context.Out << "InputDir\t" << context.ForOut(settings.InputDir) << '\n'
                << "DatabaseDir\t" << context.ForOut(settings.DatabaseDir) << '\n'
                << "PrintCols\t" << widths << '\n'
                << "PrintColsEnabled\t" << flags << '\n';
}

} // namespace quillory
