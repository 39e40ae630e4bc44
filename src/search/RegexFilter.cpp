#include "search/RegexFilter.h"

#include "common/AsciiUpper.h"
#include "common/Error.h"

#include <re2/filtered_re2.h>
#include <re2/re2.h>

namespace quillory {

namespace {

// Literals shorter than a trigram pick no blocks.
constexpr int ShortestLiteral = 3;
// Above this many literals, their combinations are not worked out one by one.
constexpr std::size_t MostLiteralsCombined = 10;

RE2::Options OptionsFor(bool caseSensitive) {
    RE2::Options options;
    options.set_case_sensitive(caseSensitive);
    options.set_log_errors(false);
    options.set_never_capture(true);
    return options;
}

// The smallest sets of `filter`'s literals that let its expression match:
// the expression's literal test is monotone, so the sets found by growing
// size, skipping those holding a smaller one, are all there are.
std::vector<std::vector<int>> SmallestSufficientSets(const re2::FilteredRE2& filter,
                                                     std::size_t literals) {
    std::vector<std::vector<int>> sets;
    std::vector<unsigned> found;
    const unsigned all = 1u << literals;
    for (std::size_t size = 0; size <= literals; ++size) {
        for (unsigned mask = 0; mask < all; ++mask) {
            if (static_cast<std::size_t>(__builtin_popcount(mask)) != size ||
                std::any_of(found.begin(), found.end(),
                            [mask](unsigned smaller) { return (mask & smaller) == smaller; }))
                continue;
            std::vector<int> atoms;
            for (std::size_t atom = 0; atom < literals; ++atom) {
                if (mask >> atom & 1)
                    atoms.push_back(static_cast<int>(atom));
            }
            std::vector<int> potential;
            filter.AllPotentials(atoms, &potential);
            if (!potential.empty()) {
                found.push_back(mask);
                sets.push_back(std::move(atoms));
            }
        }
    }
    return sets;
}

// Whether a matching text surely holds byte `c` of a literal as it stands,
// ASCII case aside. RE2 gives literals in lower case by Unicode's rules, so
// a byte above ASCII may differ from the text's; and it lowers the Kelvin
// sign to "k" and the long s to "s", so either letter may stand for a
// character the text holds in another form.
bool Sure(char c) {
    return static_cast<unsigned char>(c) < 0x80 && c != 'k' && c != 's';
}

// The trigrams of `literal` a matching text surely holds as the index keeps them.
std::vector<std::uint32_t> SureKeys(std::string_view literal, TextField field) {
    std::vector<std::uint32_t> keys;
    for (std::size_t i = 0; i + 3 <= literal.size(); ++i) {
        const std::string_view trigram = literal.substr(i, 3);
        if (std::all_of(trigram.begin(), trigram.end(), Sure)) {
            const std::vector<std::uint32_t> key = TrigramKeys(trigram, field);
            keys.insert(keys.end(), key.begin(), key.end());
        }
    }
    return keys;
}

} // namespace

RegexFilter::RegexFilter(const std::string& pattern, bool caseSensitive)
    : regex_(std::make_unique<RE2>(pattern, OptionsFor(caseSensitive))) {
    if (!regex_->ok())
        throw Error(regex_->error());
    re2::FilteredRE2 filter(ShortestLiteral);
    int id = 0;
    if (filter.Add(pattern, OptionsFor(caseSensitive), &id) != RE2::NoError)
        return;
    std::vector<std::string> literals;
    filter.Compile(&literals);
    if (literals.size() <= MostLiteralsCombined) {
        for (const std::vector<int>& set : SmallestSufficientSets(filter, literals.size())) {
            std::vector<std::string> texts;
            for (int atom : set)
                texts.push_back(literals[static_cast<std::size_t>(atom)]);
            literalSets_.push_back(std::move(texts));
        }
        return;
    }
    // Too many to combine: a match holds one of them at least, unless it
    // can match without any.
    std::vector<int> potential;
    filter.AllPotentials({}, &potential);
    if (!potential.empty()) {
        literalSets_.push_back({});
        return;
    }
    for (std::string& literal : literals)
        literalSets_.push_back({std::move(literal)});
}

RegexFilter::~RegexFilter() = default;
RegexFilter::RegexFilter(RegexFilter&&) noexcept = default;

bool RegexFilter::Matches(std::string_view text) const {
    return RE2::PartialMatch(re2::StringPiece(text.data(), text.size()), *regex_);
}

std::string RegexFilter::SureLiteral() const {
    std::string_view longest;
    if (literalSets_.size() != 1)
        return {};
    for (const std::string& literal : literalSets_[0]) {
        for (std::size_t begin = 0; begin < literal.size();) {
            std::size_t end = begin;
            while (end < literal.size() && Sure(literal[end]))
                ++end;
            if (end - begin > longest.size())
                longest = std::string_view(literal).substr(begin, end - begin);
            begin = end + 1;
        }
    }
    return AsciiUpper(std::string(longest));
}

KeyQuery RegexFilter::Keys(TextField field) const {
    std::vector<KeyQuery> alternatives;
    for (const std::vector<std::string>& set : literalSets_) {
        std::vector<std::uint32_t> keys;
        for (const std::string& literal : set) {
            const std::vector<std::uint32_t> sure = SureKeys(literal, field);
            keys.insert(keys.end(), sure.begin(), sure.end());
        }
        alternatives.push_back(KeyQuery::AllKeys(std::move(keys)));
    }
    return KeyQuery::AnyOf(std::move(alternatives));
}

} // namespace quillory
