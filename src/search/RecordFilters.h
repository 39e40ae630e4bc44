#pragma once

#include "index/CatalogPart.h"
#include "search/ExtensionList.h"
#include "search/GlobPattern.h"
#include "search/KeyQuery.h"
#include "search/RegexFilter.h"
#include "search/SizeRange.h"
#include "store/CatalogRecord.h"

#include <optional>

namespace quillory {

// The tests a search of the command line can make beyond its text, disk and
// date: a regular expression in the name, the directory or either, shell
// wildcards against the whole name, extensions, a size range and the kind.
// Each that is set must pass.
class RecordFilters final : public ColumnTest {
public:
    std::optional<RegexFilter> Regex;
    bool RegexInName = true;
    bool RegexInDirectory = false; // with RegexInName: in either
    std::optional<GlobPattern> Glob;
    std::optional<ExtensionList> Extensions;
    std::optional<SizeRange> Size;
    std::optional<EntryKind> Kind;

    // Whether a record's size or kind is tested, and whether its name or directory is.
    bool TestsColumns() const { return Size || Kind; }
    bool TestsTexts() const { return Regex || Glob || Extensions; }

    bool Passes(std::string_view kind, std::optional<std::uint64_t> size,
                std::string_view sizeLine) const override;
    bool PassesTexts(std::string_view name, std::string_view directory) const;
    bool Passes(const CatalogRecordView& record) const {
        return Passes(record.Kind(), std::nullopt, record.Size()) &&
               PassesTexts(record.Name(), record.Directory());
    }

    // The blocks of an index part a passing record can be in.
    KeyQuery Keys() const;
    // The longest text every passing record's name holds, ASCII letters
    // upper-cased: a literal of the expression or the wildcards; empty when
    // there is none.
    std::string NameLiteral() const;
};

} // namespace quillory
