#include "cli/SearchCommands.h"

#include "cli/FilterOptions.h"
#include "cli/ProgressLine.h"
#include "cli/ResultOutput.h"
#include "cli/StreamOutput.h"
#include "cli/UsageError.h"
#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/IntegerConversion.h"
#include "common/Messages.h"
#include "index/IndexDatabase.h"
#include "scan/CatalogList.h"
#include "search/DayNumber.h"
#include "search/FindFile.h"
#include "search/FindForm.h"
#include "store/CatalogName.h"

#include <functional>
#include <map>
#include <optional>

namespace quillory {

namespace {

const Option NoIndexOption{.Name = "--no-index"};
const Option KeepGoingOption{.Name = "--keep-going"};
const Option CountOption{.Name = "--count"};

// The options of a verb: its own, then `more`, then those every search takes.
std::vector<Option> WithSearchOptions(std::vector<Option> options,
                                      const std::vector<Option>& more = {}) {
    options.insert(options.end(), more.begin(), more.end());
    options.insert(options.end(), ResultOutputOptions().begin(), ResultOutputOptions().end());
    options.push_back(NoIndexOption);
    options.push_back(KeepGoingOption);
    return options;
}

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

SearchOptions OptionsOf(const ParsedArguments& arguments) {
    return {.Index =
                arguments.Has(NoIndexOption.Name) ? IndexUse::ReadCatalogs : IndexUse::UseIndex,
            .KeepGoing = arguments.Has(KeepGoingOption.Name)};
}

// What the coverage of a search tells on standard error.
void TellCoverage(CommandContext& context, const SearchCoverage& coverage) {
    for (const std::string& passedOver : coverage.PassedOver)
        context.Err << context.ForErr(WithFullStop(passedOver)) << '\n';
    if (coverage.IndexUsable && coverage.WithoutPart > coverage.FromIndex) {
        const std::string name = context.Arguments.Value(DatabaseOption.Name);
        context.Err << context.ForErr(FormatMessage(msg::IndexHint, {name, ShellWord(name)}))
                    << '\n';
    }
}

// Runs `search` with the catalogs read of all and the matches so far as its
// progress, unless `quiet`, then tells its coverage.
void Searched(CommandContext& context, const SearchCoverage& coverage,
              const std::function<void(const SearchProgress& progress)>& search,
              bool quiet = false) {
    {
        ProgressLine progress(context);
        search([&progress, quiet](const SearchStep& step) {
            if (quiet || !progress.Due())
                return;
            progress.Show(
                FormatMessage(msg::ProgressCatalogsRead,
                              {std::to_string(step.CatalogsRead), std::to_string(step.CatalogCount),
                               std::to_string(step.Matches)}));
        });
    }
    TellCoverage(context, coverage);
}

// Fails when the search passed over catalogs it could not read.
void FailOnPassedOver(const SearchCoverage& coverage) {
    if (!coverage.PassedOver.empty())
        throw Error(
            FormatMessage(msg::CatalogsPassedOver, {std::to_string(coverage.PassedOver.size()),
                                                    std::to_string(coverage.Catalogs)}));
}

// The matches of `scope`, written as the options ask: sorted by `sort` (by
// name when nothing is given) or, in ndjson with no sort given, as found.
void SearchAndWrite(CommandContext& context, const OpenDatabase& database,
                    const CatalogScope& scope, const SearchCriteria& criteria,
                    std::optional<std::pair<ResultKey, bool>> sort) {
    const ParsedArguments& arguments = context.Arguments;
    SearchCoverage coverage;
    if (WritesAsFound(arguments, sort.has_value())) {
        // Matches shown on the terminal as they are found are progress
        // enough, and a progress line would break into them.
        const bool shown = context.Terminal.Out && !arguments.Has("--output");
        WriteAsFound(context, [&](const CatalogSink& sink) {
            Searched(
                context, coverage,
                [&](const SearchProgress& progress) {
                    FindEachCatalog(database, scope, criteria, sink, progress, OptionsOf(arguments),
                                    &coverage);
                },
                shown);
        });
    } else {
        ResultList results;
        Searched(context, coverage, [&](const SearchProgress& progress) {
            results =
                FindFile(database, scope, criteria, progress, OptionsOf(arguments), &coverage);
        });
        if (sort && (sort->first != ResultKey::Name || !sort->second))
            results.Sort(sort->first, sort->second);
        WriteResults(context, results);
    }
    FailOnPassedOver(coverage);
}

} // namespace

const CommandSyntax& FindCommand::Syntax() const {
    static const CommandSyntax syntax{
        .Name = "find",
        .Description = "search a database",
        .Options = WithSearchOptions(
            {DatabaseOption,
             {.Name = "--text", .Value = "T"},
             {.Name = "--in", .Choices = {"name", "dir", "both"}},
             {.Name = "--disk-name", .Value = "X"},
             {.Name = "--disk-number", .Value = "K"},
             {.Name = "--from", .Value = "D/M/YYYY[ hh:mm:ss]"},
             {.Name = "--to", .Value = "D/M/YYYY[ hh:mm:ss]"}},
            [] {
                std::vector<Option> more = FilterOptions();
                more.push_back(
                    {.Name = "--sort", .Choices = {"name", "dir", "disk", "id", "size", "date"}});
                more.push_back({.Name = "--reverse"});
                more.push_back(CountOption);
                return more;
            }())};
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

    SearchCriteria criteria = BuildCriteria(form);
    criteria.Filters = ReadFilters(arguments);
    if (arguments.Has(CountOption.Name)) {
        for (const char* option : {"--sort", "--reverse", "--format", "--bom", "--output"}) {
            if (arguments.Has(option))
                throw UsageError(FormatMessage(msg::NotTogether, {CountOption.Name, option}));
        }
        SearchCoverage coverage;
        std::size_t count = 0;
        Searched(context, coverage, [&](const SearchProgress& progress) {
            count = CountMatches(database, CatalogScope::EveryCatalog(), criteria, progress,
                                 OptionsOf(arguments), &coverage);
        });
        context.Out << count << '\n';
        CheckWritten(context.Out);
        FailOnPassedOver(coverage);
        return;
    }
    CheckResultOutput(arguments);
    std::optional<std::pair<ResultKey, bool>> sort;
    if (arguments.Has("--sort") || arguments.Has("--reverse"))
        sort.emplace(sortKeys.at(arguments.Value("--sort", "name")), !arguments.Has("--reverse"));
    SearchAndWrite(context, database, CatalogScope::EveryCatalog(), criteria, sort);
}

const CommandSyntax& ListCommand::Syntax() const {
    static const CommandSyntax syntax{
        .Name = "list",
        .Description = "list every record of one catalog",
        .Options = WithSearchOptions({DatabaseOption,
                                      {.Name = "--number", .Value = "K", .Required = true},
                                      {.Name = "--name", .Value = "DISK"}})};
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
    CheckResultOutput(arguments);
    SearchAndWrite(context, database, CatalogScope::OneCatalog(matching[0]), SearchCriteria(),
                   std::nullopt);
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
