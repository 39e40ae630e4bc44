#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quillory {

class RecordFilters;

// What a search looks for. The defaults let every record of every catalog pass.
struct SearchCriteria {
    std::string NamePattern = "*";     // upper-case text; exactly "*": no name test
    std::string DiskNamePattern = "*"; // upper-case text; exactly "*": no disk-name test
    std::int32_t DiskNumber = -1;      // -1: no number test
    bool MatchName = false;            // look for NamePattern in the record's name
    bool MatchDirectory = false;       // ... and/or in its directory
    bool UseDiskName = false;
    bool UseDiskNumber = false;
    double RangeStart = -1.0; // time values; the date test is on only when both are above -1
    double RangeEnd = -1.0;
    // The command line's further tests (see RecordFilters); none when empty.
    std::shared_ptr<const RecordFilters> Filters;
};

} // namespace quillory
