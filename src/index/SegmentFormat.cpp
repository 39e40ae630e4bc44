#include "index/SegmentFormat.h"

#include "index/ByteReader.h"
#include "index/PartFormat.h"

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

SegmentEntry ReadEntry(std::string_view bytes, std::uint32_t& nameOffset,
                       std::uint32_t& nameLength) {
    ByteReader reader(bytes);
    SegmentEntry entry;
    CatalogIdentity& identity = entry.Stamp.Identity;
    nameOffset = reader.Fixed32();
    nameLength = reader.Fixed32();
    identity.Device = reader.Fixed64();
    identity.Inode = reader.Fixed64();
    identity.Size = static_cast<std::int64_t>(reader.Fixed64());
    identity.ModifiedSeconds = static_cast<std::int64_t>(reader.Fixed64());
    identity.ModifiedNanoseconds = reader.Fixed32();
    identity.ChangedSeconds = static_cast<std::int64_t>(reader.Fixed64());
    identity.ChangedNanoseconds = reader.Fixed32();
    entry.Stamp.ReadAt = static_cast<std::int64_t>(reader.Fixed64());
    entry.Stamp.ContentCheck = reader.Fixed64();
    entry.PartOffset = reader.Fixed64();
    entry.PartLength = reader.Fixed64();
    entry.HeadLength = reader.Fixed64();
    entry.HeadCheck = reader.Fixed64();
    entry.AllTimesCoded = reader.Fixed32() != 0;
    for (std::uint64_t& bits : entry.Filter.Bits)
        bits = reader.Fixed64();
    return entry;
}

} // namespace quillory
