#include "index/ByteCode.h"

#include "index/ByteReader.h"

#include <algorithm>
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
    unsigned next = 0;
    for (unsigned length = 1; length <= MaxLength; ++length) {
        for (std::size_t byte = 0; byte < 256; ++byte) {
            if (lengths_[byte] != length)
                continue;
            codes_[byte] = static_cast<std::uint16_t>(next);
            const unsigned shift = MaxLength - length;
            for (unsigned low = 0; low < (1u << shift); ++low)
                table_[(next << shift) | low] = static_cast<std::uint16_t>(byte | length << 8);
            ++next;
        }
        next <<= 1;
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

void ByteCode::Decode(std::string_view bits, std::size_t count, std::string& out) const {
    const std::uint64_t available = static_cast<std::uint64_t>(bits.size()) * 8;
    std::uint64_t used = 0;
    std::uint64_t window = 0; // the next bits, highest first
    unsigned held = 0;
    std::size_t next = 0;
    const std::size_t start = out.size();
    out.resize(start + count);
    for (std::size_t i = 0; i < count; ++i) {
        while (held <= 56) {
            const std::uint64_t byte =
                next < bits.size() ? static_cast<unsigned char>(bits[next]) : 0;
            ++next;
            window |= byte << (56 - held);
            held += 8;
        }
        const std::uint16_t entry = table_[window >> (64 - MaxLength)];
        const unsigned length = entry >> 8;
        used += length;
        if (length == 0 || used > available)
            throw DamagedPart();
        out[start + i] = static_cast<char>(entry & 0xFF);
        window <<= length;
        held -= length;
    }
}

} // namespace quillory
