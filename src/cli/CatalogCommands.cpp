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
    std::vector<CatalogName> catalogs =
        ListCatalogNames(OpenedDatabase(context, options->Value("--db")));
    SortCatalogNames(catalogs, NumberColumn, true);
    for (const CatalogName& catalog : catalogs)
        context.Out << catalog.DiskNumber << '\t' << catalog.DiskName << '\n';
    return ExitSuccess;
}

int ScanCommand::Execute(CommandContext& context) {
    const auto options =
        Options::Parse(context.Arguments, {"--db", "--number", "--name"}, {"--label"});
    if (!options || !options->Has("--db") || !options->Has("--number") ||
        (options->Has("--name") && options->Has("--label")) || options->Positional().size() > 1)
        return ExitUsage;
    const OpenDatabase database = OpenedDatabase(context, options->Value("--db"));
    Settings settings;
    if (options->Positional().empty())
        ReadSettings(context.Store, settings);
    else
        settings.InputDir = WithTrailingSeparator(options->Positional().front());

    const std::string number = options->Value("--number");
    const std::string name =
        options->Has("--label") ? VolumeLabel(settings.InputDir) : options->Value("--name");
    CheckDiskNumber(number);
    CheckDiskName(name);
    const CatalogName disk{DiskNameOrDefault(name), number};

    std::function<void(std::uint64_t)> progress;
    if (ShowProgress())
        progress = [&context](std::uint64_t entries) {
            context.Err << '\r' << entries << " entries" << std::flush;
        };
    const ScanResult result =
        ScanCD(database, settings.InputDir, disk, ReadMountedVolumes(), progress);
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
    RenameCatalog(OpenedDatabase(context, options->Value("--db")), {names[1], names[0]},
                  {names[3], names[2]});
    return ExitSuccess;
}

int DeleteCatalogCommand::Execute(CommandContext& context) {
    const auto options = Options::Parse(context.Arguments, {"--db"}, {});
    if (!options || !options->Has("--db") || options->Positional().size() != 2)
        return ExitUsage;
    const OpenDatabase database = OpenedDatabase(context, options->Value("--db"));
    const CatalogName catalog{options->Positional()[1], options->Positional()[0]};
    struct stat info {};
    if (::lstat(CatalogPath(database, catalog).c_str(), &info) != 0)
        throw Error(FormatMessage(msg::NoSuchCatalog, CatalogPath(database, catalog)));
    DeleteCatalog(database, catalog);
    return ExitSuccess;
}

} // namespace quillory
