#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quillory {

// A command's arguments split into options ("--db NAME", "--reverse") and the
// remaining positional arguments, in order.
class Options {
public:
    // `withValue` names the options that take the next argument as their value;
    // `flags` those that stand alone. Returns nothing when an argument starts
    // with "--" but is neither, or a value is missing.
    static std::optional<Options> Parse(const std::vector<std::string>& arguments,
                                        const std::set<std::string>& withValue,
                                        const std::set<std::string>& flags);

    bool Has(const std::string& name) const { return values_.count(name) > 0; }
    // The value of an option, or `fallback` when it was not given.
    std::string Value(const std::string& name, const std::string& fallback = {}) const;
    const std::vector<std::string>& Positional() const { return positional_; }

private:
    std::map<std::string, std::string> values_;
    std::vector<std::string> positional_;
};

} // namespace quillory
