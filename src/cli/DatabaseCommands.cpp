#include "cli/DatabaseCommands.h"

#include "common/Error.h"
#include "common/FileSystem.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "store/CompressionMode.h"
#include "store/Database.h"

namespace quillory {

int DatabasesCommand::Execute(CommandContext& context) {
    if (!context.Arguments.empty())
        return ExitUsage;
    for (const DatabaseEntry& database : ListDatabases(DatabaseRoot(context)))
        context.Out << database.Name << '\t' << (database.Compressed ? 'Y' : 'N') << '\n';
    return ExitSuccess;
}

int CreateCommand::Execute(CommandContext& context) {
    auto& arguments = context.Arguments;
    const bool compressed = arguments.size() == 2 && arguments[1] == "--compressed";
    if (arguments.empty() || arguments.size() > 2 || (arguments.size() == 2 && !compressed) ||
        arguments[0].empty())
        return ExitUsage;
    const std::string root = DatabaseRoot(context);
    CheckDatabaseName(arguments[0]);
    if (IsDirectory(DatabasePath(root, arguments[0])))
        throw Error(FormatMessage(msg::DatabaseExists, arguments[0]));
    OpenOrCreateDatabase(root, arguments[0], compressed);
    return ExitSuccess;
}

int RenameDatabaseCommand::Execute(CommandContext& context) {
    if (context.Arguments.size() != 2)
        return ExitUsage;
    ExistingDatabasePath(context, context.Arguments[0]);
    OpenDatabase none;
    RenameDatabase(DatabaseRoot(context), none, context.Arguments[0], context.Arguments[1]);
    return ExitSuccess;
}

int DeleteDatabaseCommand::Execute(CommandContext& context) {
    if (context.Arguments.size() != 1)
        return ExitUsage;
    ExistingDatabasePath(context, context.Arguments[0]);
    DeleteDatabase(DatabaseRoot(context), OpenDatabase(), context.Arguments[0]);
    return ExitSuccess;
}

int ConvertCommand::Execute(CommandContext& context) {
    if (context.Arguments.size() != 1)
        return ExitUsage;
    const std::string path = ExistingDatabasePath(context, context.Arguments[0]);
    ConversionProgress progress;
    if (ShowProgress()) {
        progress = [&context](std::size_t done, std::size_t total) {
            context.Err << '\r' << done << '/' << total << " catalogs" << std::flush;
        };
    }
    compress_ ? CompressDirectory(path, progress) : DecompressDirectory(path, progress);
    if (progress)
        context.Err << '\n';
    return ExitSuccess;
}

} // namespace quillory
