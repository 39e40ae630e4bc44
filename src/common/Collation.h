#pragma once

#include <memory>
#include <string>
#include <string_view>

struct UCollator;

namespace quillory {

// Compares texts by the rules of the user's locale (taken from the
// environment), as people expect lists to be ordered. Texts are the bytes of
// catalogs and file names, read as UTF-8.
class Collation {
public:
    enum class Strength {
        CaseSensitive, // "beta" and "Beta" differ (tertiary strength)
        IgnoreCase,    // "beta" and "Beta" are equal (secondary strength)
    };

    explicit Collation(Strength strength);
    ~Collation();
    Collation(Collation&&) noexcept;
    Collation& operator=(Collation&&) noexcept;

    // Negative, zero or positive as a sorts before, with or after b.
    int Compare(std::string_view a, std::string_view b) const;

    // A byte string whose plain byte order is the collation order: for sorting
    // many texts, each key is made once and compared cheaply.
    std::string SortKey(std::string_view text) const;
    // The same key appended to `out`, for making many keys into one buffer.
    void AppendSortKey(std::string_view text, std::string& out) const;

private:
    UCollator* collator_;
};

} // namespace quillory
