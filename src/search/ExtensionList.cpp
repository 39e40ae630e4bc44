#include "search/ExtensionList.h"

#include "common/AsciiUpper.h"

#include <algorithm>

namespace quillory {

std::optional<ExtensionList> ExtensionList::Parse(std::string_view list) {
    ExtensionList extensions;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        std::string_view item = list.substr(start, comma - start);
        if (item.starts_with('.'))
            item.remove_prefix(1);
        if (item.empty() || item.find('.') != std::string_view::npos)
            return std::nullopt;
        extensions.items_.push_back(AsciiUpper(std::string(item)));
        if (comma == list.size())
            return extensions;
        start = comma + 1;
    }
}

bool ExtensionList::Matches(std::string_view name) const {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view extension = name.substr(dot + 1);
    return std::any_of(items_.begin(), items_.end(), [extension](const std::string& item) {
        return std::equal(item.begin(), item.end(), extension.begin(), extension.end(),
                          [](char upper, char c) { return upper == AsciiUpper(c); });
    });
}

} // namespace quillory
