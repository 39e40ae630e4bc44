#include "cli/SearchCommands.h"

#include "cli/ProgressLine.h"
#include "cli/StreamOutput.h"
#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/IntegerConversion.h"
#include "common/Messages.h"
#include "index/IndexDatabase.h"
#include "output/CsvExport.h"
#include "scan/CatalogList.h"
#include "search/DayNumber.h"
#include "search/FindFile.h"
#include "search/FindForm.h"
#include "search/ListViewData.h"
#include "store/CatalogName.h"

#include <map>

namespace quillory {

namespace {

const Option OutputOption{.Name = "--output", .Value = "FILE"};
const Option NoIndexOption{.Name = "--no-index"};
const Option KeepGoingOption{.Name = "--keep-going"};

// "D/M/YYYY" with an optional " hh:mm:ss"; `defaultTime` stands in for a
// missing time.
double ParseBound(const std::string& text, const char* defaultTime) {
    const std::size_t space = text.find(' ');
    const std::string date = text.substr(0, space);
    const std::string time = space == std::string::npos ? defaultTime : text.substr(space + 1);
    return TimeValue(date, time);
}

// The database's name as a shell takes it back.
std::string ShellWord(const std::string& text) {
    const bool plain = !text.empty() &&
                       text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                              "0123456789._-+/") == std::string::npos;
    if (plain)
        return text;
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The search of `scope`, with the catalogs read of all and the matches so far
// as its progress. When most catalogs had to be read whole for want of an
// index, standard error says how to make it. With --keep-going, each catalog
// passed over is told there, one line each, and `coverage` keeps them.
ResultList Search(CommandContext& context, const OpenDatabase& database, const CatalogScope& scope,
                  const SearchCriteria& criteria, SearchCoverage& coverage) {
    const SearchOptions options{.Index = context.Arguments.Has(NoIndexOption.Name)
                                             ? IndexUse::ReadCatalogs
                                             : IndexUse::UseIndex,
                                .KeepGoing = context.Arguments.Has(KeepGoingOption.Name)};
    ResultList results;
    {
        ProgressLine progress(context);
        results = FindFile(
            database, scope, criteria,
            [&progress](const SearchStep& step) {
                if (!progress.Due())
                    return;
                progress.Show(
                    FormatMessage(msg::ProgressCatalogsRead, {std::to_string(step.CatalogsRead),
                                                              std::to_string(step.CatalogCount),
                                                              std::to_string(step.Matches)}));
            },
            options, &coverage);
    }
    for (const std::string& passedOver : coverage.PassedOver)
        context.Err << context.ForErr(WithFullStop(passedOver)) << '\n';
    if (coverage.IndexUsable && coverage.WithoutPart > coverage.FromIndex) {
        const std::string name = context.Arguments.Value(DatabaseOption.Name);
        context.Err << context.ForErr(FormatMessage(msg::IndexHint, {name, ShellWord(name)}))
                    << '\n';
    }
    return results;
}

// Writes each row as its CSV line to --output FILE, or to standard output;
// then fails when the search passed over catalogs it could not read.
void WriteRows(const ResultList& results, const SearchCoverage& coverage, CommandContext& context) {
    const ResultListRows rows(results);
    if (context.Arguments.Has(OutputOption.Name)) {
        ExportCsv(rows, results.Size(), context.Arguments.Value(OutputOption.Name));
    } else {
        StreamOutput output(context.Out, context.Terminal.Out);
        WriteCsv(rows, results.Size(), output);
        output.Finish();
    }
    if (!coverage.PassedOver.empty())
        throw Error(
            FormatMessage(msg::CatalogsPassedOver, {std::to_string(coverage.PassedOver.size()),
                                                    std::to_string(coverage.Catalogs)}));
}

} // namespace

const CommandSyntax& FindCommand::Syntax() const {
    static const CommandSyntax syntax{
        .Name = "find",
        .Description = "search a database",
        .Options = {DatabaseOption,
                    {.Name = "--text", .Value = "T"},
                    {.Name = "--in", .Choices = {"name", "dir", "both"}},
                    {.Name = "--disk-name", .Value = "X"},
                    {.Name = "--disk-number", .Value = "K"},
                    {.Name = "--from", .Value = "D/M/YYYY[ hh:mm:ss]"},
                    {.Name = "--to", .Value = "D/M/YYYY[ hh:mm:ss]"},
                    {.Name = "--sort", .Choices = {"name", "dir", "disk", "id", "size", "date"}},
                    {.Name = "--reverse"},
                    OutputOption,
                    NoIndexOption,
                    KeepGoingOption}};
    return syntax;
}

void FindCommand::Run(CommandContext& context, const OpenDatabase& database) {
    static const std::map<std::string, ResultKey> sortKeys = {
        {"name", ResultKey::Name},     {"dir", ResultKey::Directory},
        {"disk", ResultKey::DiskName}, {"id", ResultKey::DiskNumber},
        {"size", ResultKey::Size},     {"date", ResultKey::DateTime}};
    const ParsedArguments& arguments = context.Arguments;
    const std::string in = arguments.Value("--in", "name");
    FindForm form;
    form.FileName = in != "dir";
    form.Directory = in != "name";
    form.Text = arguments.Value("--text");
    form.UseDiskName = arguments.Has("--disk-name");
    form.DiskName = arguments.Value("--disk-name");
    form.UseDiskNumber = arguments.Has("--disk-number");
    form.DiskNumber = arguments.Value("--disk-number");
    form.UseDate = arguments.Has("--from") || arguments.Has("--to");
    // One bound alone leaves the range open on the other side: just above the
    // value that would switch the date test off, or past the last date.
    form.Start = arguments.Has("--from") ? ParseBound(arguments.Value("--from"), "00:00:00") : -0.5;
    form.End = arguments.Has("--to") ? ParseBound(arguments.Value("--to"), "23:59:59")
                                     : mjd(31, 12, 9999) + 1;

    SearchCoverage coverage;
    ResultList results =
        Search(context, database, CatalogScope::EveryCatalog(), BuildCriteria(form), coverage);
    const std::string sort = arguments.Value("--sort", "name");
    const bool reverse = arguments.Has("--reverse");
    if (sort != "name" || reverse)
        results.Sort(sortKeys.at(sort), !reverse);
    WriteRows(results, coverage, context);
}

const CommandSyntax& ListCommand::Syntax() const {
    static const CommandSyntax syntax{
        .Name = "list",
        .Description = "list every record of one catalog",
        .Options = {DatabaseOption,
                    {.Name = "--number", .Value = "K", .Required = true},
                    {.Name = "--name", .Value = "DISK"},
                    OutputOption,
                    NoIndexOption,
                    KeepGoingOption}};
    return syntax;
}

void ListCommand::Run(CommandContext& context, const OpenDatabase& database) {
    const ParsedArguments& arguments = context.Arguments;
    const std::string number = arguments.Value("--number");
    CheckDiskNumber(number);
    std::vector<CatalogName> matching;
    for (CatalogName& catalog : ListCatalogNames(database)) {
        if (TryStrToInt(catalog.DiskNumber) == StrToInt(number) &&
            (!arguments.Has("--name") || catalog.DiskName == arguments.Value("--name")))
            matching.push_back(std::move(catalog));
    }
    if (matching.empty())
        throw Error(FormatMessage(msg::NoCatalogNumbered, number));
    if (matching.size() > 1)
        throw Error(FormatMessage(msg::SeveralCatalogsNumbered, number));
    SearchCoverage coverage;
    const ResultList results = Search(context, database, CatalogScope::OneCatalog(matching[0]),
                                      SearchCriteria(), coverage);
    WriteRows(results, coverage, context);
}

const CommandSyntax& IndexCommand::Syntax() const {
    static const CommandSyntax syntax{.Name = "index",
                                      .Description =
                                          "build (or remove) the database's search index",
                                      .Options = {DatabaseOption, {.Name = "--drop"}}};
    return syntax;
}

void IndexCommand::Run(CommandContext& context, const OpenDatabase& database) {
    if (context.Arguments.Has("--drop")) {
        DropIndex(database);
        return;
    }
    IndexReport report;
    {
        ProgressLine progress(context);
        IndexOptions options;
        options.Progress = [&progress](std::size_t done, std::size_t total) {
            if (progress.Due())
                progress.Show(FormatMessage(msg::ProgressCatalogsIndexed,
                                            {std::to_string(done), std::to_string(total)}));
        };
        report = IndexDatabase(database, options);
    }
    // Each catalog left without a part is told; the last line says why the
    // command failed.
    for (const std::string& problem : report.Problems)
        context.Err << context.ForErr(WithFullStop(problem)) << '\n';
    if (!report.StoreFailure.empty())
        throw Error(report.StoreFailure);
    if (!report.Complete())
        throw Error(
            FormatMessage(msg::IndexIncomplete, {std::to_string(report.Catalogs - report.Indexed),
                                                 std::to_string(report.Catalogs)}));
}

} // namespace quillory
