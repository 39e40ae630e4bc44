#include "cli/Usage.h"

#include <string>

namespace quillory {

namespace {

// Synopses are filled into lines of at most this many characters.
constexpr std::size_t LineWidth = 88;
// Where a verb's description starts in the general usage: after its synopsis
// and at least two spaces, else on a line of its own.
constexpr std::size_t DescriptionColumn = 48;

std::string Placeholder(const Option& option) {
    if (!option.Value.empty())
        return option.Value;
    std::string choices;
    for (const std::string& choice : option.Choices)
        choices += (choices.empty() ? "" : "|") + choice;
    return choices;
}

std::string OptionText(const Option& option) {
    return option.TakesValue() ? option.Name + ' ' + Placeholder(option) : option.Name;
}

// The synopsis as words that are never split across lines: required options,
// required positional arguments, then the optional ones in brackets.
std::vector<std::string> SynopsisWords(const CommandSyntax& syntax) {
    std::vector<std::string> words;
    for (const Option& option : syntax.Options) {
        if (option.Required)
            words.push_back(OptionText(option));
    }
    for (const Positional& positional : syntax.Positionals) {
        if (positional.Required)
            words.push_back(positional.Name);
    }
    for (const Option& option : syntax.Options) {
        if (option.Required)
            continue;
        if (option.OrPrevious)
            words.back().insert(words.back().size() - 1, " | " + OptionText(option));
        else
            words.push_back('[' + OptionText(option) + ']');
    }
    for (const Positional& positional : syntax.Positionals) {
        if (!positional.Required)
            words.push_back('[' + positional.Name + ']');
    }
    return words;
}

// `head` and the synopsis of `syntax`, filled into lines; later lines start
// with `indent` spaces.
std::string FilledSynopsis(std::string head, const CommandSyntax& syntax, std::size_t indent) {
    std::size_t lineStart = 0;
    for (const std::string& word : SynopsisWords(syntax)) {
        if (head.size() - lineStart + 1 + word.size() > LineWidth) {
            lineStart = head.size() + 1;
            head += '\n' + std::string(indent, ' ') + word;
        } else {
            head += ' ' + word;
        }
    }
    return head;
}

} // namespace

void WriteUsage(std::ostream& stream, const std::vector<const CommandSyntax*>& verbs) {
    stream << "Usage: quillory-cli [--root DIR] COMMAND ...\n"
              "       quillory-cli --help | --version\n\n"
              "Options:\n"
              "  --root DIR   the database root (default: DatabaseDir from the settings)\n\n"
              "Commands:\n";
    for (const CommandSyntax* verb : verbs) {
        const std::string head = FilledSynopsis("  " + verb->Name, *verb, verb->Name.size() + 3);
        if (head.size() + 2 < DescriptionColumn && head.find('\n') == std::string::npos)
            stream << head << std::string(DescriptionColumn - head.size(), ' ');
        else
            stream << head << '\n' << std::string(DescriptionColumn, ' ');
        stream << verb->Description << '\n';
    }
}

void WriteVerbUsage(std::ostream& stream, const CommandSyntax& verb) {
    stream << FilledSynopsis("Usage: quillory-cli [--root DIR] " + verb.Name, verb, 7) << "\n  "
           << verb.Description << '\n';
}

} // namespace quillory
