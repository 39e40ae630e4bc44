#pragma once

#include "cli/Command.h"

namespace quillory {

// `catalogs --db NAME`: NUMBER<TAB>DISKNAME per catalog, by number.
class CatalogsCommand final : public Command {
public:
    std::string Name() const override { return "catalogs"; }
    std::string Synopsis() const override { return "--db NAME"; }
    std::string Description() const override { return "list a database's catalogs"; }
    int Execute(CommandContext& context) override;
};

// `scan --db NAME --number K [--name DISK | --label] [PATH]`: scans PATH (by
// default the input location of the settings) into a catalog and prints its
// file name.
class ScanCommand final : public Command {
public:
    std::string Name() const override { return "scan"; }
    std::string Synopsis() const override {
        return "--db NAME --number K [--name DISK | --label] [PATH]";
    }
    std::string Description() const override { return "scan a disk into a new catalog"; }
    int Execute(CommandContext& context) override;
};

// `rename-catalog --db NAME NUMBER DISK NEWNUMBER NEWDISK`.
class RenameCatalogCommand final : public Command {
public:
    std::string Name() const override { return "rename-catalog"; }
    std::string Synopsis() const override { return "--db NAME NUMBER DISK NEWNUMBER NEWDISK"; }
    std::string Description() const override { return "rename a catalog"; }
    int Execute(CommandContext& context) override;
};

// `delete-catalog --db NAME NUMBER DISK`.
class DeleteCatalogCommand final : public Command {
public:
    std::string Name() const override { return "delete-catalog"; }
    std::string Synopsis() const override { return "--db NAME NUMBER DISK"; }
    std::string Description() const override { return "delete a catalog"; }
    int Execute(CommandContext& context) override;
};

} // namespace quillory
