#include "cli/DatabaseCommands.h"

#include "cli/DatabaseRoot.h"
#include "common/Error.h"
#include "common/FileSystem.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "store/Database.h"

namespace quillory {

const CommandSyntax& DatabasesCommand::Syntax() const {
    static const CommandSyntax syntax{.Name = "databases",
                                      .Description = "list the databases (Y: compressed)"};
    return syntax;
}

void DatabasesCommand::Execute(CommandContext& context) {
    for (const DatabaseEntry& database : ListDatabases(DatabaseRoot(context)))
        context.Out << context.ForOut(database.Name) << '\t' << (database.Compressed ? 'Y' : 'N')
                    << '\n';
}

const CommandSyntax& CreateCommand::Syntax() const {
    static const CommandSyntax syntax{.Name = "create",
                                      .Description = "create a database",
                                      .Options = {{.Name = "--compressed"}},
                                      .Positionals = {{"NAME"}}};
    return syntax;
}

void CreateCommand::Execute(CommandContext& context) {
    const std::string& name = context.Arguments.Positional()[0];
    const std::string root = DatabaseRoot(context);
    CheckDatabaseName(name);
    if (IsDirectory(DatabasePath(root, name)))
        throw Error(FormatMessage(msg::DatabaseExists, name));
    OpenOrCreateDatabase(root, name, context.Arguments.Has("--compressed"));
}

const CommandSyntax& RenameDatabaseCommand::Syntax() const {
    static const CommandSyntax syntax{
        .Name = "rename-db", .Description = "rename a database", .Positionals = {{"OLD"}, {"NEW"}}};
    return syntax;
}

void RenameDatabaseCommand::Execute(CommandContext& context) {
    const auto& names = context.Arguments.Positional();
    ExistingDatabasePath(context, names[0]);
    OpenDatabase none;
    RenameDatabase(DatabaseRoot(context), none, names[0], names[1]);
}

const CommandSyntax& DeleteDatabaseCommand::Syntax() const {
    static const CommandSyntax syntax{
        .Name = "delete-db", .Description = "delete a database", .Positionals = {{"NAME"}}};
    return syntax;
}

void DeleteDatabaseCommand::Execute(CommandContext& context) {
    const std::string& name = context.Arguments.Positional()[0];
    ExistingDatabasePath(context, name);
    DeleteDatabase(DatabaseRoot(context), OpenDatabase(), name);
}

} // namespace quillory
