#pragma once

#include "index/ByteCode.h"
#include "index/ByteReader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillory {

// An index part holds the records of one catalog, and lies in a segment (see
// SegmentFormat.h), which says where it begins, how long it is and how long
// and with what check its head is. Offsets are from the part's first byte:
//
//   blocks    the records, BlockRecords at a time, in catalog order: the
//             names in the name code, as NameStreams streams each of a run
//             of whole names, the directories as numbers, dates, times,
//             kinds and sizes as numbers when they are in the form the
//             scanner writes them and as their text otherwise
//   postings  for each trigram key in order, the blocks holding it: block
//             numbers as differences, or a bitmap when that is shorter
//   dirs      every directory text once: the suffix strings, and for each
//             directory its parent directory and its suffix
//   keys      the trigram keys in order, by group: each as its difference
//             from the one before and the length of its list
//   head      the record count, whether every date and time is in the
//             scanner's form, the name code's lengths, the sections' lengths
//             and the check of the directories, the key group table (first
//             key, offsets of the group and of its lists, the checks of
//             each: 20 bytes for each KeyGroupSize keys) and the block table
//             (offset and check: 8 bytes each)
//
// A part is written in this order as it is made, without being held whole:
// the head, which says where everything is, comes last. What every search
// of a part reads, the directories, the keys and the head, lies together at
// its end, so that a page or two of it bring them all.
//
// Numbers are little-endian. Checks are 64-bit XXH3 hashes, cut to 32 bits
// in the tables, so that a search verifies exactly the bytes it uses.
inline constexpr std::uint32_t BlockRecords = 32;
inline constexpr std::uint32_t KeyGroupSize = 16;
inline constexpr std::size_t GroupEntryBytes = 20;
inline constexpr std::size_t BlockEntryBytes = 8;
inline constexpr std::size_t NameStreams = ByteCode::Streams;

// A catalog too large or too odd for a part has none, and searches read it
// whole. The tables of a part being made take at most PartMemoryBytes,
// whatever the catalog holds (about a million records of usual names); a
// line of more than MaxPartLineBytes, or a directory of more than
// MaxDirectoryDepth levels, is taken as too odd.
inline constexpr std::size_t PartMemoryBytes = std::size_t{64} << 20;
inline constexpr std::size_t MaxPartLineBytes = 32768;
inline constexpr std::size_t MaxDirectoryDepth = 2048;
// Raised while a part is made of a catalog too large or too odd for one.
struct PartRefused {};

// The first record of a block's name stream `stream`, of a block of `records`
// records; stream NameStreams begins past the last.
inline std::size_t NameStreamFirst(std::size_t stream, std::size_t records) {
    return stream * records / NameStreams;
}

// A trigram key: three upper-cased bytes and whether they come from the
// name (0) or the directory (1).
enum class TextField : std::uint32_t { Name = 0, Directory = 1 };
inline std::uint32_t TrigramKey(const char* bytes, TextField field) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2])) << 16 |
           static_cast<std::uint32_t>(field) << 24;
}

// A small filter of a part's trigram keys, kept in the part's entry of its
// segment: a search whose keys it does not all hold finds nothing in the
// part without opening it, which is most of the cost of a small catalog's
// part. Two bits of 256 a key; a part of more than KeyFilterKeys keys would
// fill it, and has one that holds every key.
struct KeyFilter {
    std::array<std::uint64_t, 4> Bits{};

    void Add(std::uint32_t key) {
        for (unsigned bit : Positions(key))
            Bits[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
    bool MayHold(std::uint32_t key) const {
        for (unsigned bit : Positions(key)) {
            if (!(Bits[bit / 64] >> (bit % 64) & 1))
                return false;
        }
        return true;
    }
    static KeyFilter Everything() { return {{~0ULL, ~0ULL, ~0ULL, ~0ULL}}; }

private:
    static std::array<unsigned, 2> Positions(std::uint32_t key) {
        const std::uint64_t mixed = key * 0x9E3779B97F4A7C15ULL;
        return {static_cast<unsigned>(mixed >> 56), static_cast<unsigned>(mixed >> 48 & 0xFF)};
    }
};
inline constexpr std::size_t KeyFilterKeys = 96;

// A date "D/M/YYYY" and a time "hh:mm:ss" as the scanner writes them, a
// kind "F" or "D", and a size in plain decimal, as numbers above 0; 0 means
// the text is kept as is.
std::uint32_t DateCode(std::string_view date);
std::uint32_t TimeCode(std::string_view time);
std::uint32_t KindCode(std::string_view kind);
std::uint64_t SizeCode(std::string_view size);
inline constexpr std::uint32_t FileKindCode = 1, DirectoryKindCode = 2;
// Their texts again; `buffer` holds them.
std::string_view DateText(std::uint32_t code, char (&buffer)[16]);
std::string_view TimeText(std::uint32_t code, char (&buffer)[16]);
std::string_view SizeText(std::uint64_t code, char (&buffer)[24]);
std::string_view KindText(std::uint32_t code);

// A name code's 256 lengths, most of them 0, as the bytes that have a code
// and their lengths; and back. Reading raises DamagedPart.
void AppendCodeLengths(std::string& out, std::string_view lengths);
std::string ReadCodeLengths(ByteReader& reader);

// The check of `bytes`.
std::uint64_t CheckOf(std::string_view bytes);
// The check of `bytes` cut to the 32 bits of a table.
std::uint32_t ShortCheckOf(std::string_view bytes);

} // namespace quillory
