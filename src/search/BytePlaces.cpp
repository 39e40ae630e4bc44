#include "search/BytePlaces.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace quillory {

namespace {

bool AgreesAt(const char* p, const PlaceKey& key) {
    return static_cast<char>(p[0] | key.FoldFirst) == key.First &&
           static_cast<char>(p[key.Length - 1] | key.FoldLast) == key.Last;
}

// One place at a time: what the faster looks leave over at the end of a text.
const char* FindPlaceOneByOne(const char* p, const char* last, const PlaceKey& key) {
    for (; p <= last; ++p) {
        if (AgreesAt(p, key))
            return p;
    }
    return nullptr;
}

// The portable look: eight bytes at a time in a 64-bit word.
using Word = std::uint64_t;
constexpr Word EveryByte = 0x0101010101010101;
constexpr Word LowBits = EveryByte * 0x7f;

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big,
              "a word's bytes are found by their order in memory");

Word Load(const char* p) {
    Word word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

Word Spread(char c) {
    return EveryByte * static_cast<unsigned char>(c);
}

// 0x80 in each byte of `word` that is zero, 0 in every other byte. The
// shorter test that subtracts one from every byte can also flag a 0x01 byte
// above a zero one; this one looks at each byte alone, so every flag counts.
Word ZeroBytes(Word word) {
    return ~(((word & LowBits) + LowBits) | word | LowBits);
}

// Where in memory the first flagged byte of a word lies.
std::size_t FirstFlagged(Word flags) {
    const int bits = std::endian::native == std::endian::little ? std::countr_zero(flags)
                                                                : std::countl_zero(flags);
    return static_cast<std::size_t>(bits) / 8;
}

// The number of flagged bytes in a word: the multiplication adds every
// byte's 0 or 1 into the top byte, whichever the byte order.
std::size_t CountFlagged(Word flags) {
    return static_cast<std::size_t>(((flags >> 7) * EveryByte) >> 56);
}

std::size_t CountLineEndsByWords(const char* p, const char* end) {
    const Word lineEnds = Spread('\n');
    std::size_t count = 0;
    for (; end - p >= 8; p += 8)
        count += CountFlagged(ZeroBytes(Load(p) ^ lineEnds));
    return count + static_cast<std::size_t>(std::count(p, end, '\n'));
}

const char* FindPlaceByWords(const char* p, const char* last, const PlaceKey& key) {
    const Word first = Spread(key.First);
    const Word lastByte = Spread(key.Last);
    const Word foldFirst = Spread(key.FoldFirst);
    const Word foldLast = Spread(key.FoldLast);
    for (; last - p >= 7; p += 8) {
        const Word agree = ZeroBytes((Load(p) | foldFirst) ^ first) &
                           ZeroBytes((Load(p + key.Length - 1) | foldLast) ^ lastByte);
        if (agree)
            return p + FirstFlagged(agree);
    }
    return FindPlaceOneByOne(p, last, key);
}

constexpr BytePlaces Portable{"portable", CountLineEndsByWords, FindPlaceByWords};

#if defined(__x86_64__)

// SSE2, which every x86-64 processor has: sixteen bytes at a time. Each
// compare gives -1 per line end, which is subtracted into byte counters that
// are summed before they can overflow.
std::size_t CountLineEndsSse2(const char* p, const char* end) {
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
    return count + static_cast<std::size_t>(std::count(p, end, '\n'));
}

const char* FindPlaceSse2(const char* p, const char* last, const PlaceKey& key) {
    const __m128i first = _mm_set1_epi8(key.First);
    const __m128i lastByte = _mm_set1_epi8(key.Last);
    const __m128i foldFirst = _mm_set1_epi8(key.FoldFirst);
    const __m128i foldLast = _mm_set1_epi8(key.FoldLast);
    for (; last - p >= 15; p += 16) {
        const __m128i a =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), foldFirst);
        const __m128i b = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + key.Length - 1)), foldLast);
        if (const auto agree = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, lastByte)))))
            return p + __builtin_ctz(agree);
    }
    return FindPlaceOneByOne(p, last, key);
}

// AVX2, where the processor has it: thirty-two places at a time. Line ends
// are counted by the SSE2 loop alone, so that x86-64 has one counting loop.
__attribute__((target("avx2"))) const char* FindPlaceAvx2(const char* p, const char* last,
                                                          const PlaceKey& key) {
    const __m256i first = _mm256_set1_epi8(key.First);
    const __m256i lastByte = _mm256_set1_epi8(key.Last);
    const __m256i foldFirst = _mm256_set1_epi8(key.FoldFirst);
    const __m256i foldLast = _mm256_set1_epi8(key.FoldLast);
    for (; last - p >= 31; p += 32) {
        const __m256i a =
            _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), foldFirst);
        const __m256i b = _mm256_or_si256(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + key.Length - 1)), foldLast);
        if (const auto agree = static_cast<unsigned>(_mm256_movemask_epi8(
                _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, lastByte)))))
            return p + __builtin_ctz(agree);
    }
    return FindPlaceSse2(p, last, key);
}

constexpr BytePlaces Sse2{"sse2", CountLineEndsSse2, FindPlaceSse2};
constexpr BytePlaces Avx2{"avx2", CountLineEndsSse2, FindPlaceAvx2};

bool HasAvx2() {
    // The first call may come during static initialisation, before the
    // processor's features would otherwise have been read.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

#endif

} // namespace

std::span<const BytePlaces* const> UsableBytePlaces() {
#if defined(__x86_64__)
    static constexpr const BytePlaces* All[] = {&Avx2, &Sse2, &Portable};
    static const std::span<const BytePlaces* const> usable =
        std::span(All).subspan(HasAvx2() ? 0 : 1);
    return usable;
#else
    static constexpr const BytePlaces* All[] = {&Portable};
    return All;
#endif
}

const BytePlaces& FastestBytePlaces() {
    return *UsableBytePlaces().front();
}

} // namespace quillory
