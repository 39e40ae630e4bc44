#pragma once

#include "index/ByteCode.h"
#include "index/ByteReader.h"
#include "index/CatalogIdentity.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillory {

// An index part is one file for one catalog:
//
//   magic (8 bytes), head length and head check (8 bytes each), then
//   head      the catalog's identity and the moment it was read, the record
//             count, the catalog's text size, whether every date and time
//             is in the scanner's form, the name code, the sections'
//             lengths and checks, the key group table (first key, offsets
//             of the group and of its lists, the checks of each: 20 bytes
//             for each KeyGroupSize keys) and the block table (offset and
//             check: 8 bytes each)
//   dirs      every directory text once: the suffix strings, and for each
//             directory its parent directory and its suffix
//   keys      the trigram keys in order, by group: each as its difference
//             from the one before and the length of its list
//   postings  for each trigram key, the blocks holding it: block numbers
//             as differences, or a bitmap when that is shorter
//   blocks    the records, BlockRecords at a time, in catalog order: the
//             names in the name code, as NameStreams streams each of a run
//             of whole names, the directories as numbers, dates,
//             times and sizes as numbers when they are in the form the
//             scanner writes them and as their text otherwise
//
// Numbers are little-endian. Checks are 64-bit XXH3 hashes, cut to 32 bits
// in the tables, so that a search verifies exactly the bytes it uses.
inline constexpr std::string_view PartMagic{"QLYPART\x06", 8};
inline constexpr std::size_t PartPreambleBytes = 24;
inline constexpr std::uint32_t BlockRecords = 32;
inline constexpr std::uint32_t KeyGroupSize = 16;
inline constexpr std::size_t GroupEntryBytes = 20;
inline constexpr std::size_t BlockEntryBytes = 8;
inline constexpr std::size_t NameStreams = ByteCode::Streams;

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

// A date "D/M/YYYY" and a time "hh:mm:ss" as the scanner writes them, and a
// size in plain decimal, as numbers above 0; 0 means the text is kept as is.
std::uint32_t DateCode(std::string_view date);
std::uint32_t TimeCode(std::string_view time);
std::uint64_t SizeCode(std::string_view size);
// Their texts again; `buffer` holds them.
std::string_view DateText(std::uint32_t code, char (&buffer)[16]);
std::string_view TimeText(std::uint32_t code, char (&buffer)[16]);
std::string_view SizeText(std::uint64_t code, char (&buffer)[24]);

// The head's first fields: the catalog's identity and the moment it was read.
void AppendIdentity(std::string& head, const CatalogIdentity& identity, std::int64_t readAt);
CatalogIdentity ReadIdentity(ByteReader& head, std::int64_t& readAt);
// The part `part` with another identity and moment of reading; raises
// DamagedPart when `part` has no head.
std::string WithIdentity(std::string_view part, const CatalogIdentity& identity,
                         std::int64_t readAt);

// The check of `bytes`.
std::uint64_t CheckOf(std::string_view bytes);
// The check of `bytes` cut to the 32 bits of a table.
std::uint32_t ShortCheckOf(std::string_view bytes);

} // namespace quillory
