#pragma once

#include "search/BytePlaces.h"
#include "store/CatalogRecord.h"

#include <string>

namespace quillory {

// A fast way through a catalog for a search by name or directory alone.
// Instead of cutting every record into lines, it looks for the search text
// directly in the catalog's bytes, as many at a time as the processor allows
// (see BytePlaces) and without regard to the case of ASCII letters, counts
// line ends only as far as the next place found, and hands over only the
// records whose name or directory line (as asked) holds such a place. Every
// record that can match is handed over; the caller's full test then decides,
// so the outcome is that of reading every record. A short record at the end
// of the text is handed over as the plain parser would. However small the
// pieces a record comes in, each of its bytes is looked at a few times only,
// and an unfinished record is kept once.
class CandidateFilter final : public CatalogTextSink {
public:
    // `pattern` is the upper-case search text (not empty); `places` looks
    // through the bytes.
    CandidateFilter(std::string pattern, bool inName, bool inDirectory, RecordConsumer consumer,
                    const BytePlaces& places = FastestBytePlaces());

    void Feed(const char* data, std::size_t count) override;
    void Finish() override;

private:
    // Looks through the records of [begin, end), where `begin` starts a
    // record, and returns where the first record that the piece does not
    // hold whole begins (`end` when there is none).
    const char* ScanRecords(const char* begin, const char* end);
    bool HoldsPatternAt(const char* at) const;
    bool IsSearchedLine(std::size_t lineInRecord) const;
    void HandOverRecordAt(const char* start, const char* end) const;
    void Carry(const char* begin, const char* end);

    std::string pattern_;  // in lower case, to compare with letters folded
    std::string foldMask_; // 0x20 for each letter of the pattern, else 0
    bool inName_;
    bool inDirectory_;
    RecordConsumer consumer_;
    const BytePlaces& places_;
    // An unfinished record carried to the next piece, and the number of line
    // ends it holds, so that each piece looks only for the lines it lacks.
    std::string carried_;
    std::size_t carriedLineEnds_ = 0;
};

} // namespace quillory
