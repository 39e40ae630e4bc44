#pragma once

#include "cli/CommandSyntax.h"

#include <map>
#include <string>
#include <vector>

namespace quillory {

// A verb's arguments read by its syntax: the options given, with their values,
// and the positional arguments in order.
class ParsedArguments {
public:
    ParsedArguments() = default;

    // Reads `arguments` by `syntax`. An argument beginning with "--" names an
    // option (one that takes a value takes the next argument, whatever it is);
    // any other is positional. "--help" stops the reading and asks for the
    // verb's usage. Raises UsageError for an unknown option, a missing or
    // refused value, a missing required option or positional argument, an
    // argument too many, and two alternatives given together.
    static ParsedArguments Parse(const CommandSyntax& syntax,
                                 const std::vector<std::string>& arguments);

    bool HelpAsked() const { return helpAsked_; }
    bool Has(const std::string& option) const { return values_.count(option) > 0; }
    // The value of an option, or `fallback` when it was not given.
    std::string Value(const std::string& option, const std::string& fallback = {}) const;
    const std::vector<std::string>& Positional() const { return positional_; }

private:
    void Check(const CommandSyntax& syntax) const;

    bool helpAsked_ = false;
    std::map<std::string, std::string> values_;
    std::vector<std::string> positional_;
};

} // namespace quillory
