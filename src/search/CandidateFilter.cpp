#include "search/CandidateFilter.h"

#include <algorithm>
#include <cstring>

namespace quillory {

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The first line end in [p, end), or `end` when there is none.
const char* FindLineEnd(const char* p, const char* end) {
    const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    return found ? static_cast<const char*>(found) : end;
}

// The start of the line holding `p`, looking no further back than `begin`.
const char* LineStart(const char* begin, const char* p) {
    const void* found = ::memrchr(begin, '\n', static_cast<std::size_t>(p - begin));
    return found ? static_cast<const char*>(found) + 1 : begin;
}

// The start of the line `back` lines before the one holding `p`; `begin`
// starts a line at least that far back.
const char* LineStartBefore(const char* begin, const char* p, std::size_t back) {
    const char* start = LineStart(begin, p);
    for (; back > 0; --back)
        start = LineStart(begin, start - 1);
    return start;
}

// Passes up to `count` line ends from `p`, taking each one passed off
// `count`, and returns where it stopped: `end` when the text runs out first.
const char* PassLineEnds(const char* p, const char* end, std::size_t& count) {
    for (; count > 0; --count) {
        const char* lineEnd = FindLineEnd(p, end);
        if (lineEnd == end)
            return end;
        p = lineEnd + 1;
    }
    return p;
}

} // namespace

CandidateFilter::CandidateFilter(std::string pattern, bool inName, bool inDirectory,
                                 RecordConsumer consumer, const BytePlaces& places)
    : pattern_(std::move(pattern)), inName_(inName), inDirectory_(inDirectory),
      consumer_(std::move(consumer)), places_(places) {
    foldMask_.resize(pattern_.size());
    for (std::size_t i = 0; i < pattern_.size(); ++i) {
        foldMask_[i] = IsLetter(pattern_[i]) ? 0x20 : 0;
        pattern_[i] = static_cast<char>(pattern_[i] | foldMask_[i]);
    }
}

bool CandidateFilter::HoldsPatternAt(const char* at) const {
    for (std::size_t i = 0; i < pattern_.size(); ++i) {
        if ((at[i] | foldMask_[i]) != pattern_[i])
            return false;
    }
    return true;
}

bool CandidateFilter::IsSearchedLine(std::size_t lineInRecord) const {
    return (lineInRecord == 1 && inName_) || (lineInRecord == 2 && inDirectory_);
}

void CandidateFilter::HandOverRecordAt(const char* start, const char* end) const {
    // [start, end) holds the record's seven lines, each ended by its line
    // end. At the end of the text it may hold fewer, the last perhaps without
    // its line end; the missing lines are then empty, as the plain parser
    // gives them.
    CatalogRecordView record;
    for (std::string_view& line : record.Lines) {
        if (start == end)
            break;
        const char* lineEnd = FindLineEnd(start, end);
        const char* textEnd = lineEnd > start && lineEnd[-1] == '\r' ? lineEnd - 1 : lineEnd;
        line = std::string_view(start, static_cast<std::size_t>(textEnd - start));
        start = lineEnd == end ? end : lineEnd + 1;
    }
    consumer_(record);
}

const char* CandidateFilter::ScanRecords(const char* begin, const char* end) {
    const std::size_t length = pattern_.size();
    std::size_t line = 0; // line ends between `begin` and `counted`
    const char* counted = begin;
    if (static_cast<std::size_t>(end - begin) >= length) {
        const PlaceKey key{pattern_.front(), pattern_.back(), foldMask_.front(), foldMask_.back(),
                           length};
        const char* last = end - length; // the last place a match can begin
        // After a record is handed over the look goes on after its end.
        for (const char* at = begin; (at = places_.FindPlace(at, last, key));
             at = std::max(at + 1, counted)) {
            if (!HoldsPatternAt(at))
                continue;
            line += places_.CountLineEnds(counted, at);
            counted = at;
            const std::size_t inRecord = line % RecordLineCount;
            if (!IsSearchedLine(inRecord))
                continue;
            const char* start = LineStartBefore(begin, at, inRecord);
            std::size_t missing = RecordLineCount;
            const char* next = PassLineEnds(start, end, missing);
            if (missing > 0)
                return start;
            HandOverRecordAt(start, next);
            line += RecordLineCount - inRecord;
            counted = next;
        }
    }
    // The unfinished record after the last whole one, found from the number
    // of line ends: counting the rest completes the count.
    const std::size_t extra = (line + places_.CountLineEnds(counted, end)) % RecordLineCount;
    return LineStartBefore(begin, end, extra);
}

void CandidateFilter::Carry(const char* begin, const char* end) {
    carried_.assign(begin, end);
    carriedLineEnds_ = places_.CountLineEnds(begin, end);
}

void CandidateFilter::Feed(const char* data, std::size_t count) {
    if (count == 0)
        return; // an empty piece may not even point anywhere
    const char* end = data + count;
    if (!carried_.empty()) {
        // Complete the carried record first, looking only in the new piece
        // for the lines it lacks: looking through the whole record again at
        // every piece would make a long record cost the square of its length.
        std::size_t missing = RecordLineCount - carriedLineEnds_;
        const char* rest = PassLineEnds(data, end, missing);
        carried_.append(data, rest);
        carriedLineEnds_ = RecordLineCount - missing;
        if (missing > 0)
            return;
        ScanRecords(carried_.data(), carried_.data() + carried_.size());
        data = rest;
    }
    Carry(ScanRecords(data, end), end);
}

void CandidateFilter::Finish() {
    // What is left is less than one record, handed over as it stands.
    if (!carried_.empty())
        HandOverRecordAt(carried_.data(), carried_.data() + carried_.size());
    carried_.clear();
    carriedLineEnds_ = 0;
}

} // namespace quillory
