#include "cli/SearchCommands.h"

#include "cli/Options.h"
#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/IntegerConversion.h"
#include "common/Messages.h"
#include "output/CsvExport.h"
#include "scan/CatalogList.h"
#include "search/DayNumber.h"
#include "search/FindFile.h"
#include "search/FindForm.h"
#include "search/ListViewData.h"
#include "store/CatalogName.h"

#include <map>
#include <unistd.h>

namespace quillory {

namespace {

// "D/M/YYYY" with an optional " hh:mm:ss"; `defaultTime` stands in for a
// missing time.
double ParseBound(const std::string& text, const char* defaultTime) {
    const std::size_t space = text.find(' ');
    const std::string date = text.substr(0, space);
    const std::string time = space == std::string::npos ? defaultTime : text.substr(space + 1);
    return TimeValue(date, time);
}

// Writes each row as its CSV line to FILE, or to standard output.
void WriteRows(const ResultList& results, const Options& options, CommandContext& context) {
    const ResultListRows rows(results);
    if (options.Has("--output")) {
        ExportCsv(rows, results.Size(), options.Value("--output"));
        return;
    }
    context.Out.flush();
    WriteCsv(rows, results.Size(), STDOUT_FILENO);
}

SearchProgress ProgressLine(CommandContext& context) {
    if (!ShowProgress())
        return {};
    return [&context](const SearchStep& step) {
        context.Err << "\rScanning Disk: " << step.DiskName << "\x1b[K" << std::flush;
    };
}

} // namespace

int FindCommand::Execute(CommandContext& context) {
    const auto options = Options::Parse(context.Arguments,
                                        {"--db", "--text", "--in", "--disk-name", "--disk-number",
                                         "--from", "--to", "--sort", "--output"},
                                        {"--reverse"});
    static const std::map<std::string, ResultKey> sortKeys = {
        {"name", ResultKey::Name},     {"dir", ResultKey::Directory},
        {"disk", ResultKey::DiskName}, {"id", ResultKey::DiskNumber},
        {"size", ResultKey::Size},     {"date", ResultKey::DateTime}};
    const std::string in = options ? options->Value("--in", "name") : "";
    const std::string sort = options ? options->Value("--sort", "name") : "";
    if (!options || !options->Has("--db") || !options->Positional().empty() ||
        (in != "name" && in != "dir" && in != "both") || !sortKeys.count(sort))
        return ExitUsage;

    FindForm form;
    form.FileName = in != "dir";
    form.Directory = in != "name";
    form.Text = options->Value("--text");
    form.UseDiskName = options->Has("--disk-name");
    form.DiskName = options->Value("--disk-name");
    form.UseDiskNumber = options->Has("--disk-number");
    form.DiskNumber = options->Value("--disk-number");
    form.UseDate = options->Has("--from") || options->Has("--to");
    // One bound alone leaves the range open on the other side: just above the
    // value that would switch the date test off, or past the last date.
    form.Start = options->Has("--from") ? ParseBound(options->Value("--from"), "00:00:00") : -0.5;
    form.End = options->Has("--to") ? ParseBound(options->Value("--to"), "23:59:59")
                                    : mjd(31, 12, 9999) + 1;
    const SearchCriteria criteria = BuildCriteria(form);

    const OpenDatabase database = OpenedDatabase(context, options->Value("--db"));
    const SearchProgress progress = ProgressLine(context);
    ResultList results = FindFile(database, CatalogScope::EveryCatalog(), criteria, progress);
    if (progress)
        context.Err << '\n';
    const bool reverse = options->Has("--reverse");
    if (sort != "name" || reverse)
        results.Sort(sortKeys.at(sort), !reverse);
    WriteRows(results, *options, context);
    return ExitSuccess;
}

int ListCommand::Execute(CommandContext& context) {
    const auto options =
        Options::Parse(context.Arguments, {"--db", "--number", "--name", "--output"}, {});
    if (!options || !options->Has("--db") || !options->Has("--number") ||
        !options->Positional().empty())
        return ExitUsage;
    const std::string number = options->Value("--number");
    CheckDiskNumber(number);
    const OpenDatabase database = OpenedDatabase(context, options->Value("--db"));
    std::vector<CatalogName> matching;
    for (CatalogName& catalog : ListCatalogNames(database)) {
        if (TryStrToInt(catalog.DiskNumber) == StrToInt(number) &&
            (!options->Has("--name") || catalog.DiskName == options->Value("--name")))
            matching.push_back(std::move(catalog));
    }
    if (matching.empty())
        throw Error(FormatMessage(msg::NoCatalogNumbered, number));
    if (matching.size() > 1)
        throw Error(FormatMessage(msg::SeveralCatalogsNumbered, number));
    const ResultList results = FindFile(database, CatalogScope::OneCatalog(matching[0]),
                                        SearchCriteria(), ProgressLine(context));
    WriteRows(results, *options, context);
    return ExitSuccess;
}

} // namespace quillory
