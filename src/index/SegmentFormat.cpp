#include "index/SegmentFormat.h"

#include "index/ByteReader.h"
#include "index/PartFormat.h"

#include <cstring>
#include <endian.h>

namespace quillory {

std::uint64_t NameCheckOf(std::string_view fileName) {
    return CheckOf(fileName);
}

void AppendEntry(std::string& out, const SegmentEntry& entry, std::uint32_t nameOffset) {
    const CatalogIdentity& identity = entry.Stamp.Identity;
    AppendFixed32(out, nameOffset);
    AppendFixed32(out, static_cast<std::uint32_t>(entry.FileName.size()));
    AppendFixed64(out, identity.Device);
    AppendFixed64(out, identity.Inode);
    AppendFixed64(out, static_cast<std::uint64_t>(identity.Size));
    AppendFixed64(out, static_cast<std::uint64_t>(identity.ModifiedSeconds));
    AppendFixed32(out, static_cast<std::uint32_t>(identity.ModifiedNanoseconds));
    AppendFixed64(out, static_cast<std::uint64_t>(identity.ChangedSeconds));
    AppendFixed32(out, static_cast<std::uint32_t>(identity.ChangedNanoseconds));
    AppendFixed64(out, static_cast<std::uint64_t>(entry.Stamp.ReadAt));
    AppendFixed64(out, entry.Stamp.ContentCheck);
    AppendFixed64(out, entry.PartOffset);
    AppendFixed64(out, entry.PartLength);
    AppendFixed64(out, entry.HeadLength);
    AppendFixed64(out, entry.HeadCheck);
    AppendFixed32(out, entry.AllTimesCoded ? 1 : 0);
    for (std::uint64_t bits : entry.Filter.Bits)
        AppendFixed64(out, bits);
}

namespace {

// A number of the entry at `offset`: the entry's bytes are known to be whole,
// so a search reads its fields without a check each.
template <typename Number> Number At(std::string_view bytes, std::size_t offset) {
    Number value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return sizeof value == 8 ? static_cast<Number>(le64toh(value))
                             : static_cast<Number>(le32toh(static_cast<std::uint32_t>(value)));
}

} // namespace

std::uint32_t EntryNameOffset(std::string_view bytes) {
    return At<std::uint32_t>(bytes, 0);
}

std::uint32_t EntryNameLength(std::string_view bytes) {
    return At<std::uint32_t>(bytes, 4);
}

SegmentEntry ReadEntry(std::string_view bytes) {
    if (bytes.size() != SegmentEntryBytes)
        throw DamagedPart();
    SegmentEntry entry;
    CatalogIdentity& identity = entry.Stamp.Identity;
    identity.Device = At<std::uint64_t>(bytes, 8);
    identity.Inode = At<std::uint64_t>(bytes, 16);
    identity.Size = At<std::int64_t>(bytes, 24);
    identity.ModifiedSeconds = At<std::int64_t>(bytes, 32);
    identity.ModifiedNanoseconds = At<std::uint32_t>(bytes, 40);
    identity.ChangedSeconds = At<std::int64_t>(bytes, 44);
    identity.ChangedNanoseconds = At<std::uint32_t>(bytes, 52);
    entry.Stamp.ReadAt = At<std::int64_t>(bytes, 56);
    entry.Stamp.ContentCheck = At<std::uint64_t>(bytes, 64);
    entry.PartOffset = At<std::uint64_t>(bytes, 72);
    entry.PartLength = At<std::uint64_t>(bytes, 80);
    entry.HeadLength = At<std::uint64_t>(bytes, 88);
    entry.HeadCheck = At<std::uint64_t>(bytes, 96);
    entry.AllTimesCoded = At<std::uint32_t>(bytes, 104) != 0;
    for (std::size_t i = 0; i < entry.Filter.Bits.size(); ++i)
        entry.Filter.Bits[i] = At<std::uint64_t>(bytes, 108 + 8 * i);
    return entry;
}

} // namespace quillory
