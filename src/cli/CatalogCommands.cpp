#include "cli/CatalogCommands.h"

#include "cli/Options.h"
#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "platform/SystemDrives.h"
#include "scan/CatalogList.h"
#include "scan/ScanCD.h"
#include "settings/LoadSettings.h"

#include <sys/stat.h>

namespace quillory {

int CatalogsCommand::Execute(CommandContext& context) {
    const auto options = Options::Parse(context.Arguments, {"--db"}, {});
    if (!options || !options->Has("--db") || !options->Positional().empty())
        return ExitUsage;
    const Settings settings = OpenedDatabase(context, options->Value("--db"));
    std::vector<CatalogRow> rows = ListCatalogRows(settings);
    SortCatalogRows(rows, NumberColumn, true);
    for (const CatalogRow& row : rows)
        context.Out << row.Number << '\t' << row.Name << '\n';
    return ExitSuccess;
}

int ScanCommand::Execute(CommandContext& context) {
    const auto options =
        Options::Parse(context.Arguments, {"--db", "--number", "--name"}, {"--label"});
    if (!options || !options->Has("--db") || !options->Has("--number") ||
        (options->Has("--name") && options->Has("--label")) || options->Positional().size() > 1)
        return ExitUsage;
    Settings settings = OpenedDatabase(context, options->Value("--db"));
    if (options->Positional().empty())
        ReadSettings(context.Store, settings);
    else
        settings.InputDir = WithTrailingSeparator(options->Positional().front());

    const std::string number = options->Value("--number");
    std::string name =
        options->Has("--label") ? VolumeLabel(settings.InputDir) : options->Value("--name");
    CheckDiskNumber(number);
    CheckDiskName(name);
    if (name.empty())
        name = "Default";

    std::function<void(std::uint64_t)> progress;
    if (ShowProgress())
        progress = [&context](std::uint64_t entries) {
            context.Err << '\r' << entries << " entries" << std::flush;
        };
    const ScanResult result = ScanCD(settings, name, number, ReadMountedVolumes(), progress);
    if (progress)
        context.Err << '\n';
    if (result.Outcome == ScanOutcome::NotAvailable)
        throw Error(msg::DiskNotAvailable);
    if (result.Outcome == ScanOutcome::WriteFailed)
        throw Error(result.Failure);
    context.Out << result.CatalogFile << '\n';
    return ExitSuccess;
}

int RenameCatalogCommand::Execute(CommandContext& context) {
    const auto options = Options::Parse(context.Arguments, {"--db"}, {});
    if (!options || !options->Has("--db") || options->Positional().size() != 4)
        return ExitUsage;
    const auto& names = options->Positional();
    const Settings settings = OpenedDatabase(context, options->Value("--db"));
    RenameCatalog(settings, {names[0], names[1]}, {names[2], names[3]});
    return ExitSuccess;
}

int DeleteCatalogCommand::Execute(CommandContext& context) {
    const auto options = Options::Parse(context.Arguments, {"--db"}, {});
    if (!options || !options->Has("--db") || options->Positional().size() != 2)
        return ExitUsage;
    const Settings settings = OpenedDatabase(context, options->Value("--db"));
    const CatalogRow row{options->Positional()[0], options->Positional()[1]};
    struct stat info {};
    if (::lstat(CatalogPath(settings, row).c_str(), &info) != 0)
        throw Error(FormatMessage(msg::NoSuchCatalog, CatalogPath(settings, row)));
    DeleteCatalog(settings, row);
    return ExitSuccess;
}

} // namespace quillory
