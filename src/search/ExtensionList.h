#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// The extensions a search keeps ("iso,img"), folding ASCII letters. A name's
// extension is what follows its last "."; a name without a dot has none, and
// "file." has the empty one, which no item matches.
class ExtensionList {
public:
    // Reads comma-separated items, each optionally written with its leading
    // "." (".iso"). Returns nothing when an item is empty or holds a further
    // "." ("tar.gz"): no extension holds a dot, so such an item could only
    // ever find nothing.
    static std::optional<ExtensionList> Parse(std::string_view list);

    bool Matches(std::string_view name) const;

    // The items upper-cased, without their dot.
    const std::vector<std::string>& Items() const { return items_; }

private:
    ExtensionList() = default;

    std::vector<std::string> items_;
};

} // namespace quillory
