#pragma once

#include "store/CatalogRecord.h"

#include <cstdint>
#include <string_view>

namespace quillory {

// One file or directory met by the walk. The texts are valid only during the
// call that hands the entry over.
struct WalkEntry {
    EntryKind Kind = EntryKind::File;
    std::string_view Name;
    std::string_view Directory; // where it was found: "\" at the top, then "\docs\" ...
    LocalDateTime Time;
    std::int64_t Size = 0;
};

// Takes the entries of a walk, in catalog order. The walk knows nothing of how
// they are stored; the catalog writer is one sink.
class EntrySink {
public:
    virtual ~EntrySink() = default;
    virtual void Entry(const WalkEntry& entry) = 0;
};

} // namespace quillory
