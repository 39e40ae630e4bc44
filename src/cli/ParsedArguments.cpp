#include "cli/ParsedArguments.h"

#include "cli/UsageError.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"

#include <algorithm>

namespace quillory {

namespace {

const Option* FindOption(const CommandSyntax& syntax, const std::string& name) {
    const auto found = std::find_if(syntax.Options.begin(), syntax.Options.end(),
                                    [&name](const Option& option) { return option.Name == name; });
    return found == syntax.Options.end() ? nullptr : &*found;
}

// "name, dir or both".
std::string ChoiceList(const std::vector<std::string>& choices) {
    std::string list = choices.front();
    for (std::size_t i = 1; i + 1 < choices.size(); ++i)
        list += ", " + choices[i];
    return choices.size() > 1 ? FormatMessage(msg::LastChoice, {list, choices.back()}) : list;
}

void CheckChoice(const Option& option, const std::string& value) {
    const auto& choices = option.Choices;
    if (!choices.empty() && std::find(choices.begin(), choices.end(), value) == choices.end())
        throw UsageError(FormatMessage(msg::ValueNotAChoice, {option.Name, ChoiceList(choices)}));
}

} // namespace

ParsedArguments ParsedArguments::Parse(const CommandSyntax& syntax,
                                       const std::vector<std::string>& arguments) {
    ParsedArguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help") {
            parsed.helpAsked_ = true;
            return parsed;
        }
        if (argument.rfind("--", 0) != 0) {
            if (parsed.positional_.size() == syntax.Positionals.size())
                throw UsageError(FormatMessage(msg::UnexpectedArgument, argument));
            parsed.positional_.push_back(argument);
            continue;
        }
        const Option* option = FindOption(syntax, argument);
        if (!option)
            throw UsageError(FormatMessage(msg::UnknownOption, argument));
        std::string value;
        if (option->TakesValue()) {
            if (++i == arguments.size())
                throw UsageError(FormatMessage(msg::ValueMissing, argument));
            value = arguments[i];
            CheckChoice(*option, value);
        }
        parsed.values_[argument] = std::move(value);
    }
    parsed.Check(syntax);
    return parsed;
}

void ParsedArguments::Check(const CommandSyntax& syntax) const {
    for (std::size_t i = 0; i < syntax.Options.size(); ++i) {
        const Option& option = syntax.Options[i];
        if (option.Required && !Has(option.Name))
            throw UsageError(FormatMessage(msg::ArgumentRequired, option.Name));
        if (option.OrPrevious && Has(option.Name) && Has(syntax.Options[i - 1].Name))
            throw UsageError(
                FormatMessage(msg::NotTogether, {syntax.Options[i - 1].Name, option.Name}));
    }
    for (std::size_t i = positional_.size(); i < syntax.Positionals.size(); ++i) {
        if (syntax.Positionals[i].Required)
            throw UsageError(FormatMessage(msg::ArgumentRequired, syntax.Positionals[i].Name));
    }
}

std::string ParsedArguments::Value(const std::string& option, const std::string& fallback) const {
    const auto found = values_.find(option);
    return found == values_.end() ? fallback : found->second;
}

} // namespace quillory
