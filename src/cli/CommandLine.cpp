#include "cli/CommandLine.h"

#include "cli/CatalogCommands.h"
#include "cli/DatabaseCommands.h"
#include "cli/SearchCommands.h"
#include "cli/SettingsCommand.h"
#include "common/FormatMessage.h"

#include <exception>

namespace quillory {

namespace {

std::vector<std::unique_ptr<Command>> AllCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<DatabasesCommand>());
    commands.push_back(std::make_unique<CreateCommand>());
    commands.push_back(std::make_unique<RenameDatabaseCommand>());
    commands.push_back(std::make_unique<DeleteDatabaseCommand>());
    commands.push_back(std::make_unique<ConvertCommand>(true));
    commands.push_back(std::make_unique<ConvertCommand>(false));
    commands.push_back(std::make_unique<CatalogsCommand>());
    commands.push_back(std::make_unique<ScanCommand>());
    commands.push_back(std::make_unique<RenameCatalogCommand>());
    commands.push_back(std::make_unique<DeleteCatalogCommand>());
    commands.push_back(std::make_unique<FindCommand>());
    commands.push_back(std::make_unique<ListCommand>());
    commands.push_back(std::make_unique<SettingsCommand>());
    return commands;
}

void PrintUsage(std::ostream& stream, const std::vector<std::unique_ptr<Command>>& commands) {
    stream << "Usage: quillory-cli [--root DIR] COMMAND ...\n"
              "       quillory-cli --help | --version\n\n"
              "Options:\n"
              "  --root DIR   the database root (default: DatabaseDir from the settings)\n\n"
              "Commands:\n";
    for (const auto& command : commands) {
        std::string head = command->Name();
        if (!command->Synopsis().empty())
            head += ' ' + command->Synopsis();
        if (head.size() < 44 && head.find('\n') == std::string::npos)
            stream << "  " << head << std::string(46 - head.size(), ' ') << command->Description()
                   << '\n';
        else
            stream << "  " << head << "\n"
                   << std::string(48, ' ') << command->Description() << '\n';
    }
}

} // namespace

int RunCommandLine(const std::vector<std::string>& arguments, SettingsStore& store,
                   std::ostream& out, std::ostream& err) {
    const auto commands = AllCommands();
    std::string root;
    std::size_t next = 0;
    for (; next < arguments.size(); ++next) {
        const std::string& argument = arguments[next];
        if (argument == "--help") {
            PrintUsage(out, commands);
            return ExitSuccess;
        }
        if (argument == "--version") {
            out << "quillory-cli " << QUILLORY_VERSION << '\n';
            return ExitSuccess;
        }
        if (argument != "--root")
            break;
        if (++next == arguments.size()) {
            PrintUsage(err, commands);
            return ExitUsage;
        }
        root = arguments[next];
    }
    if (next == arguments.size()) {
        PrintUsage(err, commands);
        return ExitUsage;
    }
    for (const auto& command : commands) {
        if (command->Name() != arguments[next])
            continue;
        CommandContext context{
            {arguments.begin() + static_cast<std::ptrdiff_t>(next) + 1, arguments.end()},
            root,
            store,
            out,
            err};
        try {
            const int status = command->Execute(context);
            if (status == ExitUsage)
                PrintUsage(err, commands);
            return status;
        } catch (const std::exception& error) {
            err << WithFullStop(error.what()) << '\n';
            return ExitFailure;
        }
    }
    PrintUsage(err, commands);
    return ExitUsage;
}

} // namespace quillory
