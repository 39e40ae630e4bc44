#include "cli/ConvertCommands.h"

#include "cli/DatabaseRoot.h"
#include "cli/ProgressLine.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "store/CompressionMode.h"

namespace quillory {

namespace {

using Conversion = void (*)(const std::string& path, const ConversionProgress& progress);

// The database NAME converted by `convert`, with the catalogs converted of all
// as its progress.
void ConvertDatabase(CommandContext& context, Conversion convert) {
    const std::string path = ExistingDatabasePath(context, context.Arguments.Positional()[0]);
    ProgressLine progress(context);
    convert(path, [&progress](std::size_t done, std::size_t total) {
        progress.Show(FormatMessage(msg::ProgressCatalogsConverted,
                                    {std::to_string(done), std::to_string(total)}));
    });
}

} // namespace

const CommandSyntax& CompressCommand::Syntax() const {
    static const CommandSyntax syntax{.Name = "compress",
                                      .Description = "convert a database to compressed catalogs",
                                      .Positionals = {{"NAME"}}};
    return syntax;
}

void CompressCommand::Execute(CommandContext& context) {
    ConvertDatabase(context, CompressDirectory);
}

const CommandSyntax& DecompressCommand::Syntax() const {
    static const CommandSyntax syntax{.Name = "decompress",
                                      .Description = "convert a database to plain catalogs",
                                      .Positionals = {{"NAME"}}};
    return syntax;
}

void DecompressCommand::Execute(CommandContext& context) {
    ConvertDatabase(context, DecompressDirectory);
}

} // namespace quillory
