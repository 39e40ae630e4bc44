#pragma once

#include "index/ByteReader.h"

#include <cstdint>
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

} // namespace quillory
