#include "cli/CommandLine.h"

#include "cli/CatalogCommands.h"
#include "cli/ConvertCommands.h"
#include "cli/DatabaseCommands.h"
#include "cli/SearchCommands.h"
#include "cli/SettingsCommand.h"
#include "cli/StreamOutput.h"
#include "cli/TerminalText.h"
#include "cli/Usage.h"
#include "cli/UsageError.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "settings/LoadSettings.h"
#include "store/DatabaseLock.h"

#include <exception>
#include <memory>

namespace quillory {

namespace {

using Commands = std::vector<std::unique_ptr<Command>>;

Commands AllCommands() {
    Commands commands;
    commands.push_back(std::make_unique<DatabasesCommand>());
    commands.push_back(std::make_unique<CreateCommand>());
    commands.push_back(std::make_unique<RenameDatabaseCommand>());
    commands.push_back(std::make_unique<DeleteDatabaseCommand>());
    commands.push_back(std::make_unique<CompressCommand>());
    commands.push_back(std::make_unique<DecompressCommand>());
    commands.push_back(std::make_unique<CatalogsCommand>());
    commands.push_back(std::make_unique<ScanCommand>());
    commands.push_back(std::make_unique<RenameCatalogCommand>());
    commands.push_back(std::make_unique<DeleteCatalogCommand>());
    commands.push_back(std::make_unique<FindCommand>());
    commands.push_back(std::make_unique<ListCommand>());
    commands.push_back(std::make_unique<IndexCommand>());
    commands.push_back(std::make_unique<SettingsCommand>());
    return commands;
}

void WriteUsage(std::ostream& stream, const Commands& commands) {
    std::vector<const CommandSyntax*> verbs;
    for (const auto& command : commands)
        verbs.push_back(&command->Syntax());
    WriteUsage(stream, verbs);
}

Command* CommandNamed(const Commands& commands, const std::string& name) {
    for (const auto& command : commands) {
        if (command->Syntax().Name == name)
            return command.get();
    }
    return nullptr;
}

// Says on standard error, while it lives, when a command waits for another
// that holds its database.
class LockNotice {
public:
    explicit LockNotice(const CommandContext& context) : before_(CurrentLockWaiting()) {
        LockWaiting waiting = before_;
        waiting.Waiting = [&context](const std::string& database) {
            context.Err << context.ForErr(FormatMessage(msg::WaitingForDatabase, database)) << '\n'
                        << std::flush;
        };
        SetLockWaiting(std::move(waiting));
    }
    ~LockNotice() { SetLockWaiting(before_); }
    LockNotice(const LockNotice&) = delete;
    LockNotice& operator=(const LockNotice&) = delete;

private:
    LockWaiting before_;
};

// What the program's own options asked for, and where the verb's name stands.
struct ProgramOptions {
    std::string Root;
    std::size_t Verb = 0;
    bool Help = false;
    bool Version = false;
};

// Reads the program's own options up to the verb's name; raises UsageError.
ProgramOptions ReadProgramOptions(const std::vector<std::string>& arguments) {
    ProgramOptions options;
    std::size_t& next = options.Verb;
    for (; next < arguments.size() && arguments[next].rfind("--", 0) == 0; ++next) {
        const std::string& argument = arguments[next];
        if (argument == "--help" || argument == "--version") {
            (argument == "--help" ? options.Help : options.Version) = true;
            return options;
        }
        if (argument != "--root")
            throw UsageError(FormatMessage(msg::UnknownOption, argument));
        if (++next == arguments.size())
            throw UsageError(FormatMessage(msg::ValueMissing, argument));
        options.Root = arguments[next];
    }
    if (next == arguments.size())
        throw UsageError(msg::NoCommandGiven);
    return options;
}

} // namespace

int RunCommandLine(const std::vector<std::string>& arguments, SettingsStore& store,
                   std::ostream& out, std::ostream& err, Terminals terminals) {
    // Every message names what it is about, and names can hold anything.
    const auto say = [&err, terminals](const std::string& message) {
        err << ForStream(message, terminals.Err) << '\n';
    };
    const Commands commands = AllCommands();
    std::string verbName;    // once the program's options are read
    Command* verb = nullptr; // once the verb is known
    try {
        const ProgramOptions options = ReadProgramOptions(arguments);
        if (options.Help) {
            WriteUsage(out, commands);
        } else if (options.Version) {
            out << "quillory-cli " << QUILLORY_VERSION << '\n';
        } else {
            verbName = arguments[options.Verb];
            verb = CommandNamed(commands, verbName);
            if (!verb)
                throw UsageError(msg::UnknownCommand);
            CommandContext context{
                ParsedArguments::Parse(verb->Syntax(),
                                       {arguments.begin() + options.Verb + 1, arguments.end()}),
                options.Root,
                store,
                out,
                err,
                terminals};
            if (context.Arguments.HelpAsked()) {
                WriteVerbUsage(out, verb->Syntax());
            } else {
                const LockNotice notice(context);
                verb->Execute(context);
            }
        }
        CheckWritten(out.flush());
        return ExitSuccess;
    } catch (const UsageError& error) {
        say(verbName.empty() ? FormatMessage(msg::WrongUsage, error.what())
                             : FormatMessage(msg::WrongVerbUsage, {verbName, error.what()}));
        verb ? WriteVerbUsage(err, verb->Syntax()) : WriteUsage(err, commands);
        return ExitUsage;
    } catch (const SettingError& error) {
        // The window's text alone does not tell which file or value is wrong.
        say(FormatMessage(msg::BadSettingIn,
                          {store.Location(), error.Name(), WithFullStop(error.what())}));
        return ExitFailure;
    } catch (const std::exception& error) {
        say(WithFullStop(error.what()));
        return ExitFailure;
    }
}

} // namespace quillory
