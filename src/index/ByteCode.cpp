#include "index/ByteCode.h"

#include "common/AsciiUpper.h"
#include "index/ByteReader.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <queue>
#include <vector>

namespace quillory {

namespace {

// Huffman's code lengths for `counts`, which may exceed MaxLength.
std::array<std::uint8_t, 256> HuffmanLengths(const std::array<std::uint64_t, 256>& counts) {
    // Nodes 0..255 are the bytes; merged nodes follow, each knowing its parent.
    std::vector<int> parent(512, -1);
    using Weighted = std::pair<std::uint64_t, int>;
    std::priority_queue<Weighted, std::vector<Weighted>, std::greater<>> queue;
    for (int byte = 0; byte < 256; ++byte) {
        if (counts[static_cast<std::size_t>(byte)] > 0)
            queue.push({counts[static_cast<std::size_t>(byte)], byte});
    }
    std::array<std::uint8_t, 256> lengths{};
    if (queue.size() == 1) {
        lengths[static_cast<std::size_t>(queue.top().second)] = 1;
        return lengths;
    }
    int next = 256;
    while (queue.size() > 1) {
        const Weighted a = queue.top();
        queue.pop();
        const Weighted b = queue.top();
        queue.pop();
        parent[static_cast<std::size_t>(a.second)] = next;
        parent[static_cast<std::size_t>(b.second)] = next;
        queue.push({a.first + b.first, next++});
    }
    for (std::size_t byte = 0; byte < 256; ++byte) {
        if (counts[byte] == 0)
            continue;
        unsigned depth = 0;
        for (int node = static_cast<int>(byte); parent[static_cast<std::size_t>(node)] >= 0;
             node = parent[static_cast<std::size_t>(node)])
            ++depth;
        lengths[byte] = static_cast<std::uint8_t>(std::min(depth, 255u));
    }
    return lengths;
}

} // namespace

ByteCode ByteCode::ForCounts(const std::array<std::uint64_t, 256>& counts) {
    // Flattening the counts until the longest code fits keeps the code a
    // prefix code at a small cost in size.
    std::array<std::uint64_t, 256> flattened = counts;
    ByteCode code;
    for (;;) {
        code.lengths_ = HuffmanLengths(flattened);
        if (*std::max_element(code.lengths_.begin(), code.lengths_.end()) <= MaxLength)
            break;
        for (std::uint64_t& count : flattened)
            count = count == 0 ? 0 : count / 2 + 1;
    }
    code.AssignCodes();
    return code;
}

ByteCode ByteCode::FromLengths(std::string_view lengths) {
    if (lengths.size() != 256)
        throw DamagedPart();
    ByteCode code;
    std::uint64_t kraft = 0; // in units of 2^-MaxLength
    for (std::size_t byte = 0; byte < 256; ++byte) {
        const auto length = static_cast<unsigned char>(lengths[byte]);
        if (length > MaxLength)
            throw DamagedPart();
        code.lengths_[byte] = length;
        if (length > 0)
            kraft += std::uint64_t{1} << (MaxLength - length);
    }
    if (kraft > (std::uint64_t{1} << MaxLength))
        throw DamagedPart();
    code.AssignCodes();
    return code;
}

std::string ByteCode::Lengths() const {
    return std::string(lengths_.begin(), lengths_.end());
}

void ByteCode::AssignCodes() {
    // Canonical order: shorter codes first, then by byte.
    std::array<std::uint8_t, 256> order{};
    std::array<unsigned, MaxLength + 2> firstOfLength{};
    for (std::uint8_t length : lengths_)
        ++firstOfLength[length + 1u];
    for (unsigned length = 1; length <= MaxLength + 1; ++length)
        firstOfLength[length] += firstOfLength[length - 1];
    for (std::size_t byte = 0; byte < 256; ++byte)
        order[firstOfLength[lengths_[byte]]++] = static_cast<std::uint8_t>(byte);
    unsigned next = 0;
    unsigned previousLength = 0;
    for (std::uint8_t byte : order) {
        const unsigned length = lengths_[byte];
        if (length == 0)
            continue;
        next <<= length - previousLength;
        previousLength = length;
        codes_[byte] = static_cast<std::uint16_t>(next);
        const unsigned shift = MaxLength - length;
        std::fill_n(table_.begin() + (next << shift), 1u << shift,
                    static_cast<std::uint16_t>(byte | length << 8));
        ++next;
    }
}

void ByteCode::Writer::Add(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        pending_ = pending_ << code_.lengths_[byte] | code_.codes_[byte];
        for (pendingBits_ += code_.lengths_[byte]; pendingBits_ >= 8; pendingBits_ -= 8)
            out_ += static_cast<char>(pending_ >> (pendingBits_ - 8));
    }
}

std::string ByteCode::Writer::Finish() {
    if (pendingBits_ > 0)
        out_ += static_cast<char>(pending_ << (8 - pendingBits_));
    pendingBits_ = 0;
    return std::move(out_);
}

void ByteCode::Decode(std::string_view bits, std::size_t count, std::string& out,
                      std::string* upper) const {
    if (upper)
        DecodeInto<true>(bits, count, out, *upper);
    else
        DecodeInto<false>(bits, count, out, out);
}

template <bool Upper>
void ByteCode::DecodeInto(std::string_view bits, std::size_t count, std::string& out,
                          std::string& upper) const {
    const auto* next = reinterpret_cast<const unsigned char*>(bits.data());
    const auto* const end = next + bits.size();
    std::uint64_t window = 0; // the next bits, highest first
    unsigned held = 0;
    std::uint64_t used = 0;
    const std::size_t start = out.size();
    out.resize(start + count);
    char* put = out.data() + start;
    char* putUpper = nullptr;
    if constexpr (Upper) {
        const std::size_t upperStart = upper.size();
        upper.resize(upperStart + count);
        putUpper = upper.data() + upperStart;
    }
    for (std::size_t i = 0; i < count;) {
        // Refill eight bytes at a time while they last, then byte by byte
        // (past the end with zeros, which the count of bits used catches).
        if (end - next >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, next, sizeof word);
            window |= __builtin_bswap64(word) >> held;
            next += (63 - held) / 8;
            held |= 56;
        } else {
            for (; held <= 56; held += 8)
                window |= static_cast<std::uint64_t>(next < end ? *next++ : 0) << (56 - held);
        }
        // At least 56 bits are held: enough for several codes.
        for (; held >= MaxLength && i < count; ++i) {
            const std::uint16_t entry = table_[window >> (64 - MaxLength)];
            const unsigned length = entry >> 8;
            if (length == 0)
                throw DamagedPart();
            used += length;
            const auto byte = static_cast<char>(entry & 0xFF);
            *put++ = byte;
            if constexpr (Upper)
                *putUpper++ = AsciiUpper(byte);
            window <<= length;
            held -= length;
        }
    }
    if (used > std::uint64_t{bits.size()} * 8)
        throw DamagedPart();
}

} // namespace quillory
