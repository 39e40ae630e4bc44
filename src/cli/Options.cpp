#include "cli/Options.h"

namespace quillory {

std::optional<Options> Options::Parse(const std::vector<std::string>& arguments,
                                      const std::set<std::string>& withValue,
                                      const std::set<std::string>& flags) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.rfind("--", 0) != 0) {
            options.positional_.push_back(argument);
        } else if (flags.count(argument)) {
            options.values_[argument] = {};
        } else if (withValue.count(argument) && i + 1 < arguments.size()) {
            options.values_[argument] = arguments[++i];
        } else {
            return std::nullopt;
        }
    }
    return options;
}

std::string Options::Value(const std::string& name, const std::string& fallback) const {
    const auto found = values_.find(name);
    return found == values_.end() ? fallback : found->second;
}

} // namespace quillory
