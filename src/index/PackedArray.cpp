#include "index/PackedArray.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <endian.h>

namespace quillory {

void AppendPackedArray(std::string& out, const std::vector<std::uint32_t>& values) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    const std::uint32_t base = values.empty() ? 0 : *low;
    const unsigned width = values.empty() ? 0 : static_cast<unsigned>(std::bit_width(*high - base));
    AppendVarint(out, base);
    out += static_cast<char>(width);
    std::uint64_t pending = 0;
    unsigned pendingBits = 0;
    for (std::uint32_t value : values) {
        pending |= static_cast<std::uint64_t>(value - base) << pendingBits;
        for (pendingBits += width; pendingBits >= 8; pendingBits -= 8) {
            out += static_cast<char>(pending);
            pending >>= 8;
        }
    }
    if (pendingBits > 0)
        out += static_cast<char>(pending);
}

PackedArray::PackedArray(ByteReader& reader, std::size_t count) : count_(count) {
    const std::uint64_t base = reader.Varint();
    width_ = static_cast<unsigned char>(reader.Bytes(1)[0]);
    if (base > UINT32_MAX || width_ > 32)
        throw DamagedPart();
    base_ = static_cast<std::uint32_t>(base);
    bits_ = reader.Bytes((static_cast<std::uint64_t>(count) * width_ + 7) / 8);
}

std::uint32_t PackedArray::operator[](std::size_t index) const {
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
