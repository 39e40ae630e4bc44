#pragma once

#include "index/PartFormat.h"
#include "index/PartTrust.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillory {

// A segment is one file of a database's index, holding the parts of some of
// its catalogs:
//
//   header  the magic (8 bytes), then the offset, length and check of the
//           table (8 bytes each)
//   parts   one after another (see PartFormat.h)
//   table   the number of catalogs (4 bytes); the checks of their file
//           names, in increasing order (8 bytes each); an entry for each, in
//           the same order (SegmentEntryBytes each); the file names' bytes
//
// An entry: where the catalog's file name lies in the names and its length
// (4 bytes each); the catalog's stamp: device, inode and size (8 bytes
// each), modification and change times (8 bytes of seconds and 4 of
// nanoseconds each), the moment its reading began and the check of its
// bytes (8 each); where its part begins and how long it is (8 each), the
// length and check of the part's head (8 each), whether every date and time
// of its records is in the scanner's form (4 bytes, 1 or 0), and the filter
// of its keys (32 bytes).
//
// A segment is written whole under a name of its own and renamed into place;
// it never changes after, and a segment whose header or table fails its
// check is passed over, so one cut short by a kill or a power cut is never
// used. Numbers are little-endian.
inline constexpr std::string_view SegmentMagic{"QLYSEG\x04\n", 8};
inline constexpr std::size_t SegmentHeaderBytes = 32;
inline constexpr std::size_t SegmentEntryBytes = 140;
// What segment files end with; a segment being written is hidden.
inline constexpr char SegmentExtension[] = ".segment";

// One catalog's entry in a segment's table.
struct SegmentEntry {
    std::string FileName;
    CatalogStamp Stamp;
    std::uint64_t PartOffset = 0, PartLength = 0;
    std::uint64_t HeadLength = 0, HeadCheck = 0;
    bool AllTimesCoded = false;
    KeyFilter Filter;
};

// The check a table keeps of a file name, by which it is found.
std::uint64_t NameCheckOf(std::string_view fileName);

// The entry's bytes, its name at `nameOffset` of the names; and back from
// SegmentEntryBytes bytes, the name read apart by where it lies.
void AppendEntry(std::string& out, const SegmentEntry& entry, std::uint32_t nameOffset);
SegmentEntry ReadEntry(std::string_view bytes);
std::uint32_t EntryNameOffset(std::string_view bytes);
std::uint32_t EntryNameLength(std::string_view bytes);

} // namespace quillory
