#include "search/GlobPattern.h"

#include "common/AsciiUpper.h"
#include "common/Utf8.h"

namespace quillory {

namespace {

// A character of a name or pattern: a Unicode code point, or for a byte that
// does not begin a valid UTF-8 sequence, InvalidByte plus the byte, so that a
// stray 0xE9 never equals the "é" written as 0xC3 0xA9.
struct Character {
    std::uint32_t value;
    std::size_t length;
};

constexpr std::uint32_t InvalidByte = 0x110000;

// Reads the character at `at`: a UTF-8 one, or else the byte alone.
Character CharacterAt(std::string_view text, std::size_t at) {
    if (const std::optional<Utf8Character> character = Utf8CharacterAt(text, at))
        return {character->CodePoint, character->Length};
    return {InvalidByte + static_cast<unsigned char>(text[at]), 1};
}

std::uint32_t Fold(std::uint32_t c) {
    return c < 0x80 ? static_cast<unsigned char>(AsciiUpper(static_cast<char>(c))) : c;
}

// The same letter in the other ASCII case, or `c` itself.
std::uint32_t OtherCase(std::uint32_t c) {
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 'A';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 'a';
    return c;
}

// The position of the character that `at` names, stepping over a "\" that
// escapes it; a "\" at the very end stands for itself.
std::size_t SkipEscape(std::string_view pattern, std::size_t at) {
    return pattern[at] == '\\' && at + 1 < pattern.size() ? at + 1 : at;
}

} // namespace

GlobPattern::GlobPattern(std::string_view pattern) {
    std::string run;
    std::size_t at = 0;
    while (at < pattern.size()) {
        const std::size_t wildcardEnd = ParseWildcard(pattern, at);
        if (wildcardEnd == at) {
            at = ParseCharacter(pattern, at, run);
        } else {
            EndRun(run);
            at = wildcardEnd;
        }
    }
    EndRun(run);
}

// Adds the wildcard or set at `at` and returns the position after it, or
// returns `at` when a plain character stands there.
std::size_t GlobPattern::ParseWildcard(std::string_view pattern, std::size_t at) {
    switch (pattern[at]) {
    case '*':
        // Stars in a row match what one star does; one token saves retries.
        if (tokens_.empty() || tokens_.back().kind != Kind::AnyRun)
            tokens_.push_back({.kind = Kind::AnyRun});
        return at + 1;
    case '?':
        tokens_.push_back({.kind = Kind::AnyCharacter});
        return at + 1;
    case '[':
        return ParseSet(pattern, at);
    default:
        return at;
    }
}

// Adds the set opening at `at` and returns the position after its "]", or
// returns `at`, adding nothing, when no "]" closes it.
std::size_t GlobPattern::ParseSet(std::string_view pattern, std::size_t at) {
    Token set{.kind = Kind::Set, .firstRange = static_cast<std::uint32_t>(ranges_.size())};
    std::size_t i = at + 1;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
        set.negated = true;
        ++i;
    }
    const std::size_t firstMember = i;
    const auto member = [&pattern, &i] {
        i = SkipEscape(pattern, i);
        const Character c = CharacterAt(pattern, i);
        i += c.length;
        return c.value;
    };
    while (i < pattern.size()) {
        if (pattern[i] == ']' && i != firstMember) {
            set.endRange = static_cast<std::uint32_t>(ranges_.size());
            tokens_.push_back(set);
            return i + 1;
        }
        Range range{};
        range.first = range.last = member();
        if (i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']') {
            ++i;
            range.last = member(); // a reversed range holds nothing, as in the shell
        }
        ranges_.push_back(range);
    }
    ranges_.resize(set.firstRange);
    return at;
}

// Adds the plain (or escaped) character at `at` and returns the position after it.
std::size_t GlobPattern::ParseCharacter(std::string_view pattern, std::size_t at,
                                        std::string& run) {
    at = SkipEscape(pattern, at);
    const Character c = CharacterAt(pattern, at);
    tokens_.push_back({.kind = Kind::Character, .character = Fold(c.value)});
    run.append(pattern.substr(at, c.length));
    return at + c.length;
}

void GlobPattern::EndRun(std::string& run) {
    if (!run.empty())
        literals_.push_back(std::move(run));
    run.clear();
}

bool GlobPattern::Matches(std::string_view name) const {
    std::size_t token = 0;
    std::size_t at = 0;
    // Where to resume after the last star when the rest fails to match: the
    // token after the star, and the name position the star's run ends at.
    std::size_t starToken = std::string_view::npos;
    std::size_t starEnd = 0;
    while (at < name.size()) {
        if (token < tokens_.size()) {
            if (tokens_[token].kind == Kind::AnyRun) {
                starToken = ++token;
                starEnd = at;
                continue;
            }
            const Character c = CharacterAt(name, at);
            if (MatchesOne(tokens_[token], c.value)) {
                ++token;
                at += c.length;
                continue;
            }
        }
        if (starToken == std::string_view::npos)
            return false;
        starEnd += CharacterAt(name, starEnd).length;
        at = starEnd;
        token = starToken;
    }
    while (token < tokens_.size() && tokens_[token].kind == Kind::AnyRun)
        ++token;
    return token == tokens_.size();
}

bool GlobPattern::MatchesOne(const Token& token, std::uint32_t character) const {
    switch (token.kind) {
    case Kind::Character:
        return Fold(character) == token.character;
    case Kind::Set:
        return InSet(token, character) != token.negated;
    default: // "?"; a star never comes here
        return true;
    }
}

// A letter belongs to a set when either of its cases does, so "[a-c]" takes "B".
bool GlobPattern::InSet(const Token& token, std::uint32_t character) const {
    const std::uint32_t other = OtherCase(character);
    for (std::uint32_t i = token.firstRange; i < token.endRange; ++i) {
        const Range& range = ranges_[i];
        if ((range.first <= character && character <= range.last) ||
            (range.first <= other && other <= range.last))
            return true;
    }
    return false;
}

} // namespace quillory
