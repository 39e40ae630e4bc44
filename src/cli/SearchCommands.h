#pragma once

#include "cli/Command.h"

namespace quillory {

// `find --db NAME [--text T] [--in name|dir|both] [--disk-name X]
// [--disk-number K] [--from D/M/YYYY[ hh:mm:ss]] [--to ...] [--sort KEY]
// [--reverse] [--output FILE]`: the matches, one CSV line each.
class FindCommand final : public Command {
public:
    std::string Name() const override { return "find"; }
    std::string Synopsis() const override {
        return "--db NAME [--text T] [--in name|dir|both] [--disk-name X] [--disk-number K]\n"
               "       [--from D/M/YYYY[ hh:mm:ss]] [--to D/M/YYYY[ hh:mm:ss]]\n"
               "       [--sort name|dir|disk|id|size|date] [--reverse] [--output FILE]";
    }
    std::string Description() const override { return "search a database"; }
    int Execute(CommandContext& context) override;
};

// `list --db NAME --number K [--name DISK]`: every record of one catalog.
class ListCommand final : public Command {
public:
    std::string Name() const override { return "list"; }
    std::string Synopsis() const override { return "--db NAME --number K [--name DISK]"; }
    std::string Description() const override { return "list every record of one catalog"; }
    int Execute(CommandContext& context) override;
};

} // namespace quillory
