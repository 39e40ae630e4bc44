#pragma once

#include "index/ByteReader.h"

#include <cstdint>
#include <cstring>
#include <endian.h>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// A column of small integers stored in as few bits as its range needs: the
// smallest value, the number of bits each value takes above it, then the
// values packed one after another, lowest bit first.
void AppendPackedArray(std::string& out, const std::vector<std::uint32_t>& values);

// Reads a column of `count` values written as above, any value in constant
// time, so that a table is usable without being decoded whole.
class PackedArray {
public:
    PackedArray() = default;
    PackedArray(ByteReader& reader, std::size_t count);

    std::size_t Size() const { return count_; }
    std::uint32_t operator[](std::size_t index) const;

private:
    std::string_view bits_;
    std::size_t count_ = 0;
    std::uint32_t base_ = 0;
    unsigned width_ = 0;
};

// Inline: a search reads it for every record of every block it looks at.
inline std::uint32_t PackedArray::operator[](std::size_t index) const {
    const std::uint64_t first = static_cast<std::uint64_t>(index) * width_;
    std::uint64_t gathered = 0;
    if (first / 8 + 8 <= bits_.size()) {
        // One load holds the value: at most 32 bits from any bit of a byte.
        std::memcpy(&gathered, bits_.data() + first / 8, sizeof gathered);
        gathered = le64toh(gathered);
    } else {
        unsigned have = 0;
        for (std::size_t byte = first / 8; have < width_ + first % 8; ++byte, have += 8)
            gathered |= static_cast<std::uint64_t>(static_cast<unsigned char>(bits_[byte])) << have;
    }
    const std::uint64_t mask = (std::uint64_t{1} << width_) - 1;
    return base_ + static_cast<std::uint32_t>((gathered >> (first % 8)) & mask);
}

} // namespace quillory
