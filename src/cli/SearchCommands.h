#pragma once

#include "cli/DatabaseCommand.h"

namespace quillory {

// `find --db NAME [--text T] [--in name|dir|both] [--disk-name X]
// [--disk-number K] [--from D/M/YYYY[ hh:mm:ss]] [--to ...] [--sort KEY]
// [--reverse] [--output FILE] [--no-index]`: the matches, one CSV line each.
class FindCommand final : public DatabaseCommand {
public:
    const CommandSyntax& Syntax() const override;

protected:
    void Run(CommandContext& context, const OpenDatabase& database) override;
};

// `list --db NAME --number K [--name DISK] [--output FILE] [--no-index]`:
// every record of one catalog.
class ListCommand final : public DatabaseCommand {
public:
    const CommandSyntax& Syntax() const override;

protected:
    void Run(CommandContext& context, const OpenDatabase& database) override;
};

// `index --db NAME [--drop]`: makes the search index part of every catalog
// that has none, or removes the database's index.
class IndexCommand final : public DatabaseCommand {
public:
    const CommandSyntax& Syntax() const override;

protected:
    void Run(CommandContext& context, const OpenDatabase& database) override;
};

} // namespace quillory
