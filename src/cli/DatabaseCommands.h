#pragma once

#include "cli/Command.h"

namespace quillory {

// `databases`: NAME<TAB>Y|N per database, in the manager's order.
class DatabasesCommand final : public Command {
public:
    std::string Name() const override { return "databases"; }
    std::string Synopsis() const override { return ""; }
    std::string Description() const override { return "list the databases (Y: compressed)"; }
    int Execute(CommandContext& context) override;
};

// `create NAME [--compressed]`: a new database with its marker.
class CreateCommand final : public Command {
public:
    std::string Name() const override { return "create"; }
    std::string Synopsis() const override { return "NAME [--compressed]"; }
    std::string Description() const override { return "create a database"; }
    int Execute(CommandContext& context) override;
};

// `rename-db OLD NEW`.
class RenameDatabaseCommand final : public Command {
public:
    std::string Name() const override { return "rename-db"; }
    std::string Synopsis() const override { return "OLD NEW"; }
    std::string Description() const override { return "rename a database"; }
    int Execute(CommandContext& context) override;
};

// `delete-db NAME`: deletes the database's visible files and, when it is then
// empty, its directory.
class DeleteDatabaseCommand final : public Command {
public:
    std::string Name() const override { return "delete-db"; }
    std::string Synopsis() const override { return "NAME"; }
    std::string Description() const override { return "delete a database"; }
    int Execute(CommandContext& context) override;
};

// `compress NAME` and `decompress NAME`: converts a database to the other form.
class ConvertCommand final : public Command {
public:
    explicit ConvertCommand(bool compress) : compress_(compress) {}
    std::string Name() const override { return compress_ ? "compress" : "decompress"; }
    std::string Synopsis() const override { return "NAME"; }
    std::string Description() const override {
        return compress_ ? "convert a database to compressed catalogs"
                         : "convert a database to plain catalogs";
    }
    int Execute(CommandContext& context) override;

private:
    bool compress_;
};

} // namespace quillory
