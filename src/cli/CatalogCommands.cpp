#include "cli/CatalogCommands.h"

#include "cli/ProgressLine.h"
#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "platform/SystemDrives.h"
#include "scan/CatalogList.h"
#include "scan/ScanCD.h"
#include "settings/LoadSettings.h"

namespace quillory {

namespace {

std::string EntriesText(std::uint64_t entries) {
    return FormatMessage(msg::ProgressEntries, std::to_string(entries));
}

// Scans the input location into catalog `disk`, with the entries written so
// far as its progress.
ScanResult ScanWithProgress(CommandContext& context, const OpenDatabase& database,
                            const std::string& inputDir, const CatalogName& disk) {
    ProgressLine progress(context);
    progress.Show(EntriesText(0));
    return ScanCD(database, inputDir, disk, ReadMountedVolumes(),
                  [&progress](std::uint64_t entries) { progress.Show(EntriesText(entries)); });
}

} // namespace

const CommandSyntax& CatalogsCommand::Syntax() const {
    static const CommandSyntax syntax{.Name = "catalogs",
                                      .Description = "list a database's catalogs",
                                      .Options = {DatabaseOption}};
    return syntax;
}

void CatalogsCommand::Run(CommandContext& context, const OpenDatabase& database) {
    std::vector<CatalogName> catalogs = ListCatalogNames(database);
    SortCatalogNames(catalogs, NumberColumn, true);
    for (const CatalogName& catalog : catalogs)
        context.Out << context.ForOut(catalog.DiskNumber) << '\t'
                    << context.ForOut(catalog.DiskName) << '\n';
}

const CommandSyntax& ScanCommand::Syntax() const {
    static const CommandSyntax syntax{
        .Name = "scan",
        .Description = "scan a disk into a new catalog",
        .Options = {DatabaseOption,
                    {.Name = "--number", .Value = "K", .Required = true},
                    {.Name = "--name", .Value = "DISK"},
                    {.Name = "--label", .OrPrevious = true}},
        .Positionals = {{.Name = "PATH", .Required = false}}};
    return syntax;
}

void ScanCommand::Run(CommandContext& context, const OpenDatabase& database) {
    const ParsedArguments& arguments = context.Arguments;
    Settings settings;
    if (arguments.Positional().empty())
        ReadSettings(context.Store, settings);
    else
        settings.InputDir = WithTrailingSeparator(arguments.Positional().front());

    const std::string number = arguments.Value("--number");
    const std::string name =
        arguments.Has("--label") ? VolumeLabel(settings.InputDir) : arguments.Value("--name");
    CheckDiskNumber(number);
    CheckDiskName(name);
    const ScanResult result =
        ScanWithProgress(context, database, settings.InputDir, {DiskNameOrDefault(name), number});
    if (result.Outcome == ScanOutcome::NotAvailable)
        throw Error(msg::DiskNotAvailable);
    if (result.Outcome == ScanOutcome::WriteFailed)
        throw Error(result.Failure);
    context.Out << context.ForOut(result.CatalogFile) << '\n';
}

const CommandSyntax& RenameCatalogCommand::Syntax() const {
    static const CommandSyntax syntax{
        .Name = "rename-catalog",
        .Description = "rename a catalog",
        .Options = {DatabaseOption},
        .Positionals = {{"NUMBER"}, {"DISK"}, {"NEWNUMBER"}, {"NEWDISK"}}};
    return syntax;
}

void RenameCatalogCommand::Run(CommandContext& context, const OpenDatabase& database) {
    const auto& names = context.Arguments.Positional();
    RenameCatalog(database, {names[1], names[0]}, {names[3], names[2]});
}

const CommandSyntax& DeleteCatalogCommand::Syntax() const {
    static const CommandSyntax syntax{.Name = "delete-catalog",
                                      .Description = "delete a catalog",
                                      .Options = {DatabaseOption},
                                      .Positionals = {{"NUMBER"}, {"DISK"}}};
    return syntax;
}

void DeleteCatalogCommand::Run(CommandContext& context, const OpenDatabase& database) {
    const auto& names = context.Arguments.Positional();
    DeleteCatalog(database, {names[1], names[0]});
}

} // namespace quillory
