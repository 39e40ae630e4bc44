#include "index/PackedArray.h"

#include <algorithm>
#include <bit>

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
    // The count is held against the bytes left before it is multiplied.
    if (width_ > 0 && count > reader.Left() / width_ * 8 + 8)
        throw DamagedPart();
    bits_ = reader.Bytes((static_cast<std::uint64_t>(count) * width_ + 7) / 8);
}

} // namespace quillory
