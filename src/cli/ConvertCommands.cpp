#include "cli/ConvertCommands.h"

#include "cli/DatabaseRoot.h"
#include "cli/ProgressLine.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "index/IndexedConversion.h"

namespace quillory {

namespace {

// The database NAME converted to the form `compress` says, with the catalogs
// converted of all as its progress.
void ConvertDatabase(CommandContext& context, bool compress) {
    const std::string path = ExistingDatabasePath(context, context.Arguments.Positional()[0]);
    ProgressLine progress(context);
    ConvertKeepingIndex(path, compress, [&progress](std::size_t done, std::size_t total) {
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
    ConvertDatabase(context, true);
}

const CommandSyntax& DecompressCommand::Syntax() const {
    static const CommandSyntax syntax{.Name = "decompress",
                                      .Description = "convert a database to plain catalogs",
                                      .Positionals = {{"NAME"}}};
    return syntax;
}

void DecompressCommand::Execute(CommandContext& context) {
    ConvertDatabase(context, false);
}

} // namespace quillory
