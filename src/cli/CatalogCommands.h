#pragma once

#include "cli/DatabaseCommand.h"

namespace quillory {

// `catalogs --db NAME`: NUMBER<TAB>DISKNAME per catalog, by number.
class CatalogsCommand final : public DatabaseCommand {
public:
    const CommandSyntax& Syntax() const override;

protected:
    void Run(CommandContext& context, const OpenDatabase& database) override;
};

// `scan --db NAME --number K [--name DISK | --label] [PATH]`: scans PATH (by
// default the input location of the settings) into a catalog and prints its
// file name.
class ScanCommand final : public DatabaseCommand {
public:
    const CommandSyntax& Syntax() const override;

protected:
    void Run(CommandContext& context, const OpenDatabase& database) override;
};

// `rename-catalog --db NAME NUMBER DISK NEWNUMBER NEWDISK`.
class RenameCatalogCommand final : public DatabaseCommand {
public:
    const CommandSyntax& Syntax() const override;

protected:
    void Run(CommandContext& context, const OpenDatabase& database) override;
};

// `delete-catalog --db NAME NUMBER DISK`.
class DeleteCatalogCommand final : public DatabaseCommand {
public:
    const CommandSyntax& Syntax() const override;

protected:
    void Run(CommandContext& context, const OpenDatabase& database) override;
};

} // namespace quillory
