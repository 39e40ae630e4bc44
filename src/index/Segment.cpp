#include "index/Segment.h"

#include "index/ByteReader.h"
#include "index/PartFormat.h"

#include <algorithm>
#include <cstring>
#include <endian.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {

std::shared_ptr<const Segment> Segment::Open(int folder, const std::string& name) {
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat status {};
    const bool usable = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                        status.st_uid == ::geteuid() &&
                        static_cast<std::uint64_t>(status.st_size) >= SegmentHeaderBytes;
    auto map = usable ? std::make_unique<MappedFile>(fd, static_cast<std::size_t>(status.st_size))
                      : nullptr;
    ::close(fd);
    if (!map || !map->Mapped())
        return nullptr;
    std::shared_ptr<Segment> segment(new Segment);
    segment->name_ = name;
    try {
        const std::string_view bytes = map->Bytes();
        ByteReader header(bytes.substr(0, SegmentHeaderBytes));
        if (header.Bytes(SegmentMagic.size()) != SegmentMagic)
            return nullptr;
        const std::uint64_t tableOffset = header.Fixed64();
        const std::uint64_t tableLength = header.Fixed64();
        const std::uint64_t tableCheck = header.Fixed64();
        if (tableOffset < SegmentHeaderBytes || tableOffset > bytes.size() ||
            tableLength != bytes.size() - tableOffset)
            return nullptr;
        const std::string_view table = bytes.substr(tableOffset);
        if (CheckOf(table) != tableCheck || map->Damaged())
            return nullptr;
        ByteReader reader(table);
        const std::uint32_t count = reader.Fixed32();
        if (count > table.size() / (8 + SegmentEntryBytes))
            return nullptr;
        segment->count_ = count;
        segment->checks_ = reader.Bytes(std::uint64_t{count} * 8);
        segment->entries_ = reader.Bytes(std::uint64_t{count} * SegmentEntryBytes);
        segment->names_ = reader.Bytes(reader.Left());
    } catch (const DamagedPart&) {
        return nullptr;
    }
    segment->map_ = std::move(map);
    return segment;
}

std::string_view Segment::EntryBytes(std::size_t index) const {
    return entries_.substr(index * SegmentEntryBytes, SegmentEntryBytes);
}

std::uint64_t Segment::NameCheckAt(std::size_t index) const {
    std::uint64_t check = 0;
    std::memcpy(&check, checks_.data() + index * 8, sizeof check);
    return le64toh(check);
}

std::size_t Segment::FirstWithCheck(std::uint64_t check) const {
    // The checks are spread evenly over their range: the entry is looked for
    // first where its check would stand, and from there by halves.
    std::size_t low = 0, high = count_;
    if (count_ > 16) {
        const auto guess =
            std::min(count_ - 1,
                     static_cast<std::size_t>(static_cast<double>(check) / 18446744073709551616.0 *
                                              static_cast<double>(count_)));
        const std::size_t window = 16;
        const std::size_t from = guess > window ? guess - window : 0;
        const std::size_t to = std::min(count_, guess + window);
        if ((from == 0 || NameCheckAt(from - 1) < check) &&
            (to == count_ || NameCheckAt(to) >= check)) {
            low = from;
            high = to;
        }
    }
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (NameCheckAt(middle) < check)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

SegmentEntry Segment::EntryAt(std::size_t index) const {
    const std::string_view bytes = EntryBytes(index);
    SegmentEntry entry = ReadEntry(bytes);
    const std::uint32_t nameOffset = EntryNameOffset(bytes);
    const std::uint32_t nameLength = EntryNameLength(bytes);
    if (nameOffset > names_.size() || nameLength > names_.size() - nameOffset)
        throw DamagedPart();
    entry.FileName = std::string(names_.substr(nameOffset, nameLength));
    return entry;
}

std::string_view Segment::PartBytes(const SegmentEntry& entry) const {
    const std::string_view bytes = map_->Bytes();
    // Parts lie between the header and the table.
    const std::uint64_t tableOffset =
        bytes.size() - (checks_.size() + entries_.size() + names_.size() + 4);
    if (entry.PartOffset < SegmentHeaderBytes || entry.PartOffset > tableOffset ||
        entry.PartLength > tableOffset - entry.PartOffset)
        throw DamagedPart();
    return bytes.substr(entry.PartOffset, entry.PartLength);
}

void Segment::Done(const SegmentEntry& entry) const {
    // The pages around a part's are read with it.
    constexpr std::uint64_t Around = 128 * 1024;
    map_->Read(
        static_cast<std::size_t>(std::min<std::uint64_t>(entry.PartLength, Bytes()) + Around));
}

CatalogPart Segment::Part(const SegmentEntry& entry) const {
    return CatalogPart(PartBytes(entry), entry.HeadLength, entry.HeadCheck);
}

} // namespace quillory
