#include "index/ByteReader.h"

#include <cstring>
#include <endian.h>

namespace quillory {

void AppendVarint(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out += static_cast<char>(value | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

void AppendFixed32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>(value >> (8 * i));
}

void AppendFixed64(std::string& out, std::uint64_t value) {
    AppendFixed32(out, static_cast<std::uint32_t>(value));
    AppendFixed32(out, static_cast<std::uint32_t>(value >> 32));
}

std::uint64_t ByteReader::LongVarint() {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (at_ == end_)
            throw DamagedPart();
        const auto byte = static_cast<unsigned char>(*at_++);
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if (byte < 0x80)
            return value;
    }
    throw DamagedPart();
}

void ByteReader::PassVarints(std::size_t count, std::string_view* numbers) {
    // A number ends at each byte whose high bit is clear: eight bytes are
    // looked at together while there are eight.
    const char* begin = at_;
    std::size_t found = 0;
    const auto endsAt = [&](const char* next) {
        numbers[found++] = std::string_view(begin, static_cast<std::size_t>(next - begin));
        begin = next;
    };
    while (found < count && end_ - at_ >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, at_, sizeof word);
        for (std::uint64_t ends = ~le64toh(word) & 0x8080808080808080ULL; ends && found < count;
             ends &= ends - 1)
            endsAt(at_ + __builtin_ctzll(ends) / 8 + 1);
        at_ = found < count ? at_ + 8 : begin;
    }
    for (; found < count; ++at_) {
        if (at_ == end_)
            throw DamagedPart();
        if (static_cast<unsigned char>(*at_) < 0x80)
            endsAt(at_ + 1);
    }
    at_ = begin;
}

std::string_view ByteReader::Bytes(std::uint64_t count) {
    if (count > Left())
        throw DamagedPart();
    const std::string_view bytes(at_, static_cast<std::size_t>(count));
    at_ += count;
    return bytes;
}

} // namespace quillory
