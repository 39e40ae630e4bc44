#include "search/CandidateFilter.h"

#include <cstring>
#include <immintrin.h>

namespace quillory {

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The number of line ends in [p, end), sixteen bytes at a time: each compare
// gives -1 per line end, which is subtracted into byte counters that are
// summed before they can overflow.
std::size_t CountLineEnds(const char* p, const char* end) {
    const __m128i lineEnd = _mm_set1_epi8('\n');
    std::size_t count = 0;
    while (end - p >= 16) {
        __m128i counters = _mm_setzero_si128();
        const std::size_t blocks =
            std::min<std::size_t>(static_cast<std::size_t>(end - p) / 16, 255);
        for (std::size_t b = 0; b < blocks; ++b, p += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(bytes, lineEnd));
        }
        const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
    }
    for (; p < end; ++p)
        count += *p == '\n' ? 1 : 0;
    return count;
}

// The start of the line holding `p`, looking no further back than `begin`.
const char* LineStart(const char* begin, const char* p) {
    while (p > begin && p[-1] != '\n')
        --p;
    return p;
}

// The places in [p, last] where the pattern's first and last bytes agree (the
// latter `length` - 1 bytes on), letters folded by `fold*`, each handed to
// `consider` until it answers false. Sixteen places are looked at a time.
struct Places {
    char First;
    char Last;
    char FoldFirst;
    char FoldLast;
    std::size_t Length;
};

template <typename Consider>
bool FindPlaces(const char* p, const char* last, const Places& places, Consider& consider) {
    const __m128i first = _mm_set1_epi8(places.First);
    const __m128i final = _mm_set1_epi8(places.Last);
    const __m128i foldFirst = _mm_set1_epi8(places.FoldFirst);
    const __m128i foldLast = _mm_set1_epi8(places.FoldLast);
    for (; p + 15 <= last; p += 16) {
        const __m128i a =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), foldFirst);
        const __m128i b = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + places.Length - 1)), foldLast);
        for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(
                 _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
             mask; mask &= mask - 1) {
            if (!consider(p + __builtin_ctz(mask)))
                return false;
        }
    }
    for (; p <= last; ++p) {
        if (!consider(p))
            return false;
    }
    return true;
}

// The same, thirty-two places at a time, on processors that can.
template <typename Consider>
__attribute__((target("avx2"))) bool FindPlacesWide(const char* p, const char* last,
                                                    const Places& places, Consider& consider) {
    const __m256i first = _mm256_set1_epi8(places.First);
    const __m256i final = _mm256_set1_epi8(places.Last);
    const __m256i foldFirst = _mm256_set1_epi8(places.FoldFirst);
    const __m256i foldLast = _mm256_set1_epi8(places.FoldLast);
    for (; p + 31 <= last; p += 32) {
        const __m256i a =
            _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), foldFirst);
        const __m256i b = _mm256_or_si256(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + places.Length - 1)), foldLast);
        for (auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
                 _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, final))));
             mask; mask &= mask - 1) {
            if (!consider(p + __builtin_ctz(mask)))
                return false;
        }
    }
    return FindPlaces(p, last, places, consider);
}

const bool HasWideVectors = __builtin_cpu_supports("avx2");

} // namespace

CandidateFilter::CandidateFilter(std::string pattern, bool inName, bool inDirectory,
                                 RecordConsumer consumer)
    : pattern_(std::move(pattern)), inName_(inName), inDirectory_(inDirectory),
      consumer_(std::move(consumer)) {
    foldMask_.resize(pattern_.size());
    for (std::size_t i = 0; i < pattern_.size(); ++i) {
        foldMask_[i] = IsLetter(pattern_[i]) ? 0x20 : 0;
        pattern_[i] = static_cast<char>(pattern_[i] | foldMask_[i]);
    }
}

void CandidateFilter::HandOverRecordAt(const char* start, const char* end) {
    // [start, end) holds the record's seven lines, each ended by its line end.
    CatalogRecordView record;
    const char* line = start;
    for (std::size_t i = 0; i < RecordLineCount; ++i) {
        const auto* lineEnd =
            static_cast<const char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
        const char* textEnd = lineEnd > line && lineEnd[-1] == '\r' ? lineEnd - 1 : lineEnd;
        record.Lines[i] = std::string_view(line, static_cast<std::size_t>(textEnd - line));
        line = lineEnd + 1;
    }
    consumer_(record);
}

const char* CandidateFilter::ScanRecords(const char* begin, const char* end) {
    const std::size_t length = pattern_.size();
    std::size_t line = 0; // line ends between `begin` and `counted`
    const char* counted = begin;
    const char* unfinished = nullptr;
    // Looks at a place where the first and last bytes agree: a whole match in
    // a name or directory line hands its record over, once. Returns false at
    // a record that the piece does not hold whole.
    auto consider = [&](const char* at) {
        if (at < counted)
            return true; // inside a record already handed over
        for (std::size_t i = 0; i < length; ++i) {
            if ((at[i] | foldMask_[i]) != pattern_[i])
                return true;
        }
        line += CountLineEnds(counted, at);
        counted = at;
        const std::size_t inRecord = line % RecordLineCount;
        if (!((inRecord == 1 && inName_) || (inRecord == 2 && inDirectory_)))
            return true;
        const char* start = LineStart(begin, at);
        for (std::size_t i = 0; i < inRecord; ++i)
            start = LineStart(begin, start - 1);
        const char* next = start;
        for (std::size_t i = 0; i < RecordLineCount; ++i) {
            const auto* lineEnd = static_cast<const char*>(
                std::memchr(next, '\n', static_cast<std::size_t>(end - next)));
            if (!lineEnd) {
                unfinished = start;
                return false;
            }
            next = lineEnd + 1;
        }
        HandOverRecordAt(start, next);
        line += RecordLineCount - inRecord;
        counted = next;
        return true;
    };

    if (static_cast<std::size_t>(end - begin) >= length) {
        const Places places{pattern_.front(), pattern_.back(), foldMask_.front(), foldMask_.back(),
                            length};
        const char* lastStart = end - length; // the last place a match can begin
        if (HasWideVectors)
            FindPlacesWide(begin, lastStart, places, consider);
        else
            FindPlaces(begin, lastStart, places, consider);
    }
    if (unfinished)
        return unfinished;
    // The unfinished record after the last whole one, found from the number
    // of line ends: counting the rest completes the count.
    std::size_t extra = (line + CountLineEnds(counted, end)) % RecordLineCount;
    const char* p = end;
    for (;;) {
        const auto* lineEnd =
            static_cast<const char*>(::memrchr(begin, '\n', static_cast<std::size_t>(p - begin)));
        if (!lineEnd)
            return begin;
        if (extra-- == 0)
            return lineEnd + 1;
        p = lineEnd;
    }
}

void CandidateFilter::Feed(const char* data, std::size_t count) {
    const char* end = data + count;
    if (!pending_.empty()) {
        // Complete the carried record first, taking only the lines it lacks.
        std::size_t missing =
            RecordLineCount - CountLineEnds(pending_.data(), pending_.data() + pending_.size());
        const char* p = data;
        while (missing > 0 && p < end) {
            const auto* lineEnd =
                static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (!lineEnd) {
                p = end;
                break;
            }
            p = lineEnd + 1;
            --missing;
        }
        pending_.append(data, p);
        if (missing > 0)
            return;
        ScanRecords(pending_.data(), pending_.data() + pending_.size());
        pending_.clear();
        data = p;
    }
    pending_.assign(ScanRecords(data, end), end);
}

void CandidateFilter::Finish() {
    // What is left is less than one record: the plain parser hands it over
    // with its missing lines empty.
    CatalogRecordParser parser(consumer_);
    parser.Feed(pending_.data(), pending_.size());
    parser.Finish();
    pending_.clear();
}

} // namespace quillory
