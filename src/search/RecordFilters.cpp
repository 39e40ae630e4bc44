#include "search/RecordFilters.h"

#include "common/AsciiUpper.h"

namespace quillory {

bool RecordFilters::Passes(std::string_view kind, std::optional<std::uint64_t> size,
                           std::string_view sizeLine) const {
    if (Kind && kind != (*Kind == EntryKind::File ? "F" : "D"))
        return false;
    return !Size || (size ? Size->Contains(*size) : Size->ContainsText(sizeLine));
}

bool RecordFilters::PassesTexts(std::string_view name, std::string_view directory) const {
    if (Extensions && !Extensions->Matches(name))
        return false;
    if (Glob && !Glob->Matches(name))
        return false;
    return !Regex || (RegexInName && Regex->Matches(name)) ||
           (RegexInDirectory && Regex->Matches(directory));
}

std::string RecordFilters::NameLiteral() const {
    std::string longest = Regex && !RegexInDirectory ? Regex->SureLiteral() : std::string();
    if (Glob) {
        for (const std::string& literal : Glob->Literals()) {
            if (literal.size() > longest.size())
                longest = AsciiUpper(literal);
        }
    }
    return longest;
}

KeyQuery RecordFilters::Keys() const {
    std::vector<KeyQuery> all;
    if (Regex) {
        std::vector<KeyQuery> fields;
        if (RegexInName)
            fields.push_back(Regex->Keys(TextField::Name));
        if (RegexInDirectory)
            fields.push_back(Regex->Keys(TextField::Directory));
        all.push_back(KeyQuery::AnyOf(std::move(fields)));
    }
    if (Glob) {
        std::vector<std::uint32_t> keys;
        for (const std::string& literal : Glob->Literals()) {
            const std::vector<std::uint32_t> more = TrigramKeys(literal, TextField::Name);
            keys.insert(keys.end(), more.begin(), more.end());
        }
        all.push_back(KeyQuery::AllKeys(std::move(keys)));
    }
    if (Extensions) {
        // A name ending in ".ISO" holds the trigrams of ".ISO".
        std::vector<KeyQuery> any;
        for (const std::string& item : Extensions->Items())
            any.push_back(KeyQuery::AllKeys(TrigramKeys("." + item, TextField::Name)));
        all.push_back(KeyQuery::AnyOf(std::move(any)));
    }
    return KeyQuery::AllOf(std::move(all));
}

} // namespace quillory
