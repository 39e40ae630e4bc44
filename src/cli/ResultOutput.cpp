#include "cli/ResultOutput.h"

#include "cli/StreamOutput.h"
#include "cli/UsageError.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "output/CsvExport.h"
#include "output/FileExport.h"
#include "output/RecordFormat.h"
#include "search/ListViewData.h"

#include <map>

namespace quillory {

namespace {

const Option FormatOption{.Name = "--format",
                          .Choices = {"export", "csv", "tsv", "json", "ndjson"}};
const Option BomOption{.Name = "--bom"};
const Option OutputOption{.Name = "--output", .Value = "FILE"};

// The format asked for; nothing for the export lines.
std::optional<RecordFormat> FormatOf(const ParsedArguments& arguments) {
    static const std::map<std::string, RecordFormat> formats{{"csv", RecordFormat::Csv},
                                                             {"tsv", RecordFormat::Tsv},
                                                             {"json", RecordFormat::Json},
                                                             {"ndjson", RecordFormat::Ndjson}};
    const auto format = formats.find(arguments.Value(FormatOption.Name, "export"));
    return format == formats.end() ? std::nullopt : std::optional(format->second);
}

// Hands `write` the output the options name: a file written whole and put in
// place, or standard output.
void WriteOutput(CommandContext& context, const std::function<void(ByteOutput&)>& write) {
    if (context.Arguments.Has(OutputOption.Name)) {
        ExportToFile(context.Arguments.Value(OutputOption.Name), write);
        return;
    }
    StreamOutput output(context.Out, context.Terminal.Out);
    write(output);
    output.Finish();
}

} // namespace

const std::vector<Option>& ResultOutputOptions() {
    static const std::vector<Option> options{FormatOption, BomOption, OutputOption};
    return options;
}

void CheckResultOutput(const ParsedArguments& arguments) {
    const std::optional<RecordFormat> format = FormatOf(arguments);
    if (arguments.Has(BomOption.Name) && format != RecordFormat::Csv && format != RecordFormat::Tsv)
        throw UsageError(
            FormatMessage(msg::OptionNeedsOther, {BomOption.Name, "--format csv or tsv"}));
}

bool WritesAsFound(const ParsedArguments& arguments, bool sorted) {
    return !sorted && FormatOf(arguments) == RecordFormat::Ndjson;
}

void WriteResults(CommandContext& context, const ResultList& results) {
    const std::optional<RecordFormat> format = FormatOf(context.Arguments);
    const bool bom = context.Arguments.Has(BomOption.Name);
    WriteOutput(context, [&](ByteOutput& output) {
        if (!format) {
            WriteCsv(ResultListRows(results), results.Size(), output);
            return;
        }
        WriteRecords(*format, bom, results, output);
    });
}

void WriteAsFound(CommandContext& context,
                  const std::function<void(const CatalogSink& sink)>& search) {
    WriteOutput(context, [&](ByteOutput& output) {
        RecordWriter writer(RecordFormat::Ndjson, false, output);
        search([&writer](const ResultList& matches) {
            for (std::size_t i = 0; i < matches.Size(); ++i)
                writer.Write(matches.Entry(i));
        });
        writer.Finish();
    });
}

} // namespace quillory
