#pragma once

#include "cli/Command.h"

namespace quillory {

// `databases`: NAME<TAB>Y|N per database, in the manager's order.
class DatabasesCommand final : public Command {
public:
    const CommandSyntax& Syntax() const override;
    void Execute(CommandContext& context) override;
};

// `create NAME [--compressed]`: a new database with its marker.
class CreateCommand final : public Command {
public:
    const CommandSyntax& Syntax() const override;
    void Execute(CommandContext& context) override;
};

// `rename-db OLD NEW`.
class RenameDatabaseCommand final : public Command {
public:
    const CommandSyntax& Syntax() const override;
    void Execute(CommandContext& context) override;
};

// `delete-db NAME`: deletes the database's visible files and, when it is then
// empty, its directory.
class DeleteDatabaseCommand final : public Command {
public:
    const CommandSyntax& Syntax() const override;
    void Execute(CommandContext& context) override;
};

} // namespace quillory
