#pragma once

#include "search/KeyQuery.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace re2 {
class RE2;
}

namespace quillory {

// A regular expression in RE2's syntax, looked for anywhere in a text, as
// UTF-8 (a byte that is not part of a character matches nothing), with or
// without regard to case. RE2 runs in time linear in the text, whatever the
// expression: no pattern can stall a search.
class RegexFilter {
public:
    // Raises Error with RE2's description of what is wrong with `pattern`.
    RegexFilter(const std::string& pattern, bool caseSensitive);
    ~RegexFilter();
    RegexFilter(RegexFilter&&) noexcept;

    bool Matches(std::string_view text) const;

    // The blocks a matching text in `field` can be in: the literals some
    // combination of which every match holds (as RE2 works them out), by
    // their trigrams.
    KeyQuery Keys(TextField field) const;

    // The longest text every match holds, ASCII letters upper-cased and no
    // other letter that folds (see SureKeys); empty when there is none.
    std::string SureLiteral() const;

private:
    std::unique_ptr<re2::RE2> regex_;
    // Each set of literals of which a match holds every one, smallest first;
    // nothing narrows when one is empty.
    std::vector<std::vector<std::string>> literalSets_;
};

} // namespace quillory
