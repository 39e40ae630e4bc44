#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <endian.h>
#include <string>
#include <string_view>

namespace quillory {

// An index part is read from bytes another program may have damaged, so
// every read is checked against the end; a read past it raises DamagedPart,
// which the index's users take as "no part": the catalog is read instead.
struct DamagedPart {};

// Appends `value` in seven-bit groups, lowest first, the high bit saying
// another group follows.
void AppendVarint(std::string& out, std::uint64_t value);
void AppendFixed32(std::string& out, std::uint32_t value);
void AppendFixed64(std::string& out, std::uint64_t value);

// Reads the forms above from [data, data + size).
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : at_(bytes.data()), end_(at_ + bytes.size()) {}

    // Inline for its one-byte form, the most common: a search reads a few
    // for every record of a block it looks at.
    std::uint64_t Varint() {
        if (at_ != end_ && static_cast<unsigned char>(*at_) < 0x80)
            return static_cast<unsigned char>(*at_++);
        return LongVarint();
    }
    // The bytes of each of the next `count` numbers, into `numbers`, passed
    // over without reading them out.
    void PassVarints(std::size_t count, std::string_view* numbers);
    // Inline: a search reads a segment's entries and a part's tables with them.
    std::uint32_t Fixed32() {
        if (Left() < 4)
            throw DamagedPart();
        std::uint32_t value = 0;
        std::memcpy(&value, at_, sizeof value);
        at_ += 4;
        return le32toh(value);
    }
    std::uint64_t Fixed64() {
        if (Left() < 8)
            throw DamagedPart();
        std::uint64_t value = 0;
        std::memcpy(&value, at_, sizeof value);
        at_ += 8;
        return le64toh(value);
    }
    // The next `count` bytes.
    std::string_view Bytes(std::uint64_t count);
    std::size_t Left() const { return static_cast<std::size_t>(end_ - at_); }

private:
    std::uint64_t LongVarint();

    const char* at_;
    const char* end_;
};

} // namespace quillory
