#include "cli/FilterOptions.h"

#include "cli/UsageError.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"

namespace quillory {

namespace {

const std::string RegexName = "--regex", CaseName = "--case-sensitive", GlobName = "--glob",
                  ExtName = "--ext", SizeName = "--size", TypeName = "--type";

template <typename Value>
Value Taken(const std::optional<Value>& value, const std::string& option, const std::string& text) {
    if (!value)
        throw UsageError(FormatMessage(msg::InvalidOptionValue, {option, text}));
    return *value;
}

} // namespace

const std::vector<Option>& FilterOptions() {
    static const std::vector<Option> options{
        {.Name = RegexName, .Value = "RE"},     {.Name = CaseName},
        {.Name = GlobName, .Value = "PATTERN"}, {.Name = ExtName, .Value = "LIST"},
        {.Name = SizeName, .Value = "RANGE"},   {.Name = TypeName, .Choices = {"f", "d"}}};
    return options;
}

std::shared_ptr<const RecordFilters> ReadFilters(const ParsedArguments& arguments) {
    if (arguments.Has(CaseName) && !arguments.Has(RegexName))
        throw UsageError(FormatMessage(msg::OptionNeedsOther, {CaseName, RegexName}));
    const bool any = std::any_of(FilterOptions().begin(), FilterOptions().end(),
                                 [&](const Option& option) { return arguments.Has(option.Name); });
    if (!any)
        return nullptr;
    auto filters = std::make_shared<RecordFilters>();
    if (arguments.Has(RegexName)) {
        const std::string pattern = arguments.Value(RegexName);
        try {
            filters->Regex.emplace(pattern, arguments.Has(CaseName));
        } catch (const Error& error) {
            throw UsageError(FormatMessage(msg::InvalidRegex, {pattern, error.what()}));
        }
        const std::string in = arguments.Value("--in", "name");
        filters->RegexInName = in != "dir";
        filters->RegexInDirectory = in != "name";
    }
    if (arguments.Has(GlobName))
        filters->Glob.emplace(arguments.Value(GlobName));
    if (arguments.Has(ExtName)) {
        const std::string list = arguments.Value(ExtName);
        filters->Extensions.emplace(Taken(ExtensionList::Parse(list), ExtName, list));
    }
    if (arguments.Has(SizeName)) {
        const std::string range = arguments.Value(SizeName);
        filters->Size = Taken(SizeRange::Parse(range), SizeName, range);
    }
    if (arguments.Has(TypeName))
        filters->Kind = arguments.Value(TypeName) == "d" ? EntryKind::Directory : EntryKind::File;
    return filters;
}

} // namespace quillory
