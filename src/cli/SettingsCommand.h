#pragma once

#include "cli/Command.h"

namespace quillory {

// `settings`: prints the loaded settings, one NAME<TAB>VALUE line each.
class SettingsCommand final : public Command {
public:
    const CommandSyntax& Syntax() const override;
    void Execute(CommandContext& context) override;
};

} // namespace quillory
