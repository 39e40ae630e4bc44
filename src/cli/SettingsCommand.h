#pragma once

#include "cli/Command.h"

namespace quillory {

// `settings`: prints the loaded settings, one NAME<TAB>VALUE line each.
class SettingsCommand final : public Command {
public:
    std::string Name() const override { return "settings"; }
    std::string Synopsis() const override { return ""; }
    std::string Description() const override { return "print the loaded settings"; }
    int Execute(CommandContext& context) override;
};

} // namespace quillory
