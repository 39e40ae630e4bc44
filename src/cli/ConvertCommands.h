#pragma once

#include "cli/Command.h"

namespace quillory {

// `compress NAME`: converts a database to compressed catalogs.
class CompressCommand final : public Command {
public:
    const CommandSyntax& Syntax() const override;
    void Execute(CommandContext& context) override;
};

// `decompress NAME`: converts a database to plain catalogs.
class DecompressCommand final : public Command {
public:
    const CommandSyntax& Syntax() const override;
    void Execute(CommandContext& context) override;
};

} // namespace quillory
