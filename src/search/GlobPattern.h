#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// A shell wildcard pattern tested against a whole name, folding ASCII letters
// only. Names and pattern are read as characters: a valid UTF-8 sequence, or
// else one byte standing for itself, so invalid UTF-8 never stops a match.
//   *      any run of characters, none included
//   ?      exactly one character
//   [...]  one character of a set of members and ranges ("a-z"); "!" or "^"
//          first negates it, "]" first and "-" first or last are members
//   \c     the character c itself, inside a set too
// A "[" without its closing "]" is a plain "[". Every pattern is valid.
class GlobPattern {
public:
    explicit GlobPattern(std::string_view pattern);

    // Whether the whole `name` matches. Remembering only the last "*" keeps
    // this within name length times pattern length steps, without allocating.
    bool Matches(std::string_view name) const;

    // The runs of plain characters between wildcards and sets, escapes
    // resolved, in the pattern's own case. Every matching name holds each of
    // them, ASCII letters folded, so an index can narrow the names to test.
    std::vector<std::string> Literals() const { return literals_; }

private:
    enum class Kind : std::uint8_t { Character, AnyCharacter, AnyRun, Set };
    // One step of the pattern. A Character holds its folded character; a Set
    // the span [firstRange, endRange) of ranges_.
    struct Token {
        Kind kind = Kind::Character;
        bool negated = false;
        std::uint32_t character = 0;
        std::uint32_t firstRange = 0;
        std::uint32_t endRange = 0;
    };
    struct Range {
        std::uint32_t first;
        std::uint32_t last;
    };

    std::size_t ParseWildcard(std::string_view pattern, std::size_t at);
    std::size_t ParseSet(std::string_view pattern, std::size_t at);
    std::size_t ParseCharacter(std::string_view pattern, std::size_t at, std::string& run);
    void EndRun(std::string& run);
    bool MatchesOne(const Token& token, std::uint32_t character) const;
    bool InSet(const Token& token, std::uint32_t character) const;

    std::vector<Token> tokens_;
    std::vector<Range> ranges_;
    std::vector<std::string> literals_;
};

} // namespace quillory
