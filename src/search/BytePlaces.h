#pragma once

#include <cstddef>
#include <span>

namespace quillory {

// What the name search looks for first: places where a pattern's first byte
// and its last byte (`Length` - 1 bytes on) agree with the text, each text
// byte ORed with the fold mask first (0x20 folds an ASCII letter to lower
// case, 0 keeps the byte as it is).
struct PlaceKey {
    char First;
    char Last;
    char FoldFirst;
    char FoldLast;
    std::size_t Length;
};

// The two looks through a catalog's bytes that the candidate filter makes,
// done as fast as the processor allows. Every implementation gives exactly
// the same answers; they differ only in how many bytes they look at a time.
struct BytePlaces {
    const char* Name;
    // The number of line ends ('\n') in [p, end).
    std::size_t (*CountLineEnds)(const char* p, const char* end);
    // The first place in [p, last] that agrees with `key`, or nullptr when
    // there is none. A place's last byte is read too, so the text must reach
    // `last` + `key.Length` - 1; `p` may lie past `last`, within the text.
    const char* (*FindPlace)(const char* p, const char* last, const PlaceKey& key);
};

// The implementations this processor runs, fastest first: on x86-64 AVX2
// where the processor has it, then SSE2; everywhere the portable one last.
std::span<const BytePlaces* const> UsableBytePlaces();

// The first of those.
const BytePlaces& FastestBytePlaces();

} // namespace quillory
