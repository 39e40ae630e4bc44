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

// Sets `count` entries of a decoding table from `at` to `entry`: runs of
// two and more eight bytes at a time, as every part a search reads makes
// its table afresh.
void Fill(std::uint32_t* at, std::size_t count, std::uint32_t entry) {
    if (count < 2) {
        std::fill_n(at, count, entry);
        return;
    }
    const std::uint64_t two = entry * 0x0000000100000001ULL;
    for (std::size_t i = 0; i < count; i += 2)
        std::memcpy(at + i, &two, sizeof two);
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

ByteCode::ByteCode(std::string_view lengths) {
    if (lengths.size() != 256)
        throw DamagedPart();
    std::uint64_t kraft = 0; // in units of 2^-MaxLength
    for (std::size_t byte = 0; byte < 256; ++byte) {
        const auto length = static_cast<unsigned char>(lengths[byte]);
        if (length > MaxLength)
            throw DamagedPart();
        lengths_[byte] = length;
        if (length > 0)
            kraft += std::uint64_t{1} << (MaxLength - length);
    }
    if (kraft > (std::uint64_t{1} << MaxLength))
        throw DamagedPart();
    AssignCodes();
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
        Fill(table_.data() + (next << shift), std::size_t{1} << shift,
             std::uint32_t{byte} |
                 std::uint32_t{static_cast<unsigned char>(AsciiUpper(static_cast<char>(byte)))}
                     << 8 |
                 length << 24);
        ++next;
    }
    // Patterns past the last code begin none.
    const std::size_t covered =
        previousLength == 0 ? 0 : std::size_t{next} << (MaxLength - previousLength);
    std::fill(table_.begin() + static_cast<std::ptrdiff_t>(covered), table_.end(), NoCode);
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

namespace {

// One stream being decoded: its bits not yet read, the next of them in
// `Window` (highest first), and where its bytes go.
struct StreamState {
    const unsigned char* Next = nullptr;
    const unsigned char* End = nullptr;
    std::uint64_t Window = 0;
    unsigned Held = 0;
    unsigned Padding = 0; // zero bits put in the window past the end
    std::size_t Left = 0;
    char* Put = nullptr;
};

// Fills the window to at least 56 bits: eight bytes at a time while they
// last, then byte by byte (past the end with zeros, which the count of bits
// used catches).
inline void Refill(StreamState& stream) {
    if (stream.End - stream.Next >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, stream.Next, sizeof word);
        stream.Window |= __builtin_bswap64(word) >> stream.Held;
        stream.Next += (63 - stream.Held) / 8;
        stream.Held |= 56;
        return;
    }
    for (; stream.Held <= 56; stream.Held += 8) {
        const bool more = stream.Next < stream.End;
        stream.Window |= static_cast<std::uint64_t>(more ? *stream.Next++ : 0)
                         << (56 - stream.Held);
        stream.Padding += more ? 0 : 8;
    }
}

// Decodes one byte, from a window of at least MaxLength bits; its upper-cased
// copy goes `upperOffset` bytes further on. A pattern that no code begins
// with marks `seen` and takes no bits, and the caller raises DamagedPart.
template <bool Upper, unsigned MaxLength>
inline void DecodeOne(const std::uint32_t* table, StreamState& stream, std::ptrdiff_t upperOffset,
                      std::uint32_t& seen) {
    const std::uint32_t entry = table[stream.Window >> (64 - MaxLength)];
    seen |= entry;
    *stream.Put = static_cast<char>(entry & 0xFF);
    if constexpr (Upper)
        stream.Put[upperOffset] = static_cast<char>(entry >> 8 & 0xFF);
    ++stream.Put;
    const unsigned length = entry >> 24;
    stream.Window <<= length;
    stream.Held -= length;
}

} // namespace

void ByteCode::Decode(std::span<const CodedStream, Streams> streams, char* out, char* upper) const {
    if (upper)
        DecodeInto<true>(streams, out, upper);
    else
        DecodeInto<false>(streams, out, nullptr);
}

template <bool Upper>
void ByteCode::DecodeInto(std::span<const CodedStream, Streams> streams, char* out,
                          char* upper) const {
    std::array<StreamState, Streams> states;
    std::size_t at = 0;
    for (std::size_t s = 0; s < Streams; ++s) {
        StreamState& state = states[s];
        state.Next = reinterpret_cast<const unsigned char*>(streams[s].Bits.data());
        state.End = state.Next + streams[s].Bits.size();
        state.Left = streams[s].Count;
        state.Put = out + at;
        at += streams[s].Count;
    }
    const std::ptrdiff_t upperOffset = Upper ? upper - out : 0;
    const std::uint32_t* const table = table_.data();
    std::uint32_t seen = 0;
    // A full window holds PerRefill codes; while every stream has that many
    // bytes to come, one byte of each is decoded in turn. The streams are
    // copied out of the array so that they live in registers: the bytes
    // written through a char pointer could otherwise be the array itself.
    constexpr unsigned PerRefill = 56 / MaxLength;
    static_assert(Streams == 4);
    StreamState a = states[0], b = states[1], c = states[2], d = states[3];
    for (std::size_t rounds = std::min({a.Left, b.Left, c.Left, d.Left}) / PerRefill; rounds > 0;
         rounds = std::min({a.Left, b.Left, c.Left, d.Left}) / PerRefill) {
        for (std::size_t round = 0; round < rounds; ++round) {
            Refill(a);
            Refill(b);
            Refill(c);
            Refill(d);
            for (unsigned k = 0; k < PerRefill; ++k) {
                DecodeOne<Upper, MaxLength>(table, a, upperOffset, seen);
                DecodeOne<Upper, MaxLength>(table, b, upperOffset, seen);
                DecodeOne<Upper, MaxLength>(table, c, upperOffset, seen);
                DecodeOne<Upper, MaxLength>(table, d, upperOffset, seen);
            }
        }
        for (StreamState* state : {&a, &b, &c, &d})
            state->Left -= rounds * PerRefill;
    }
    states = {a, b, c, d};
    for (std::size_t s = 0; s < Streams; ++s) {
        StreamState& state = states[s];
        for (; state.Left > 0; --state.Left) {
            if (state.Held < MaxLength)
                Refill(state);
            DecodeOne<Upper, MaxLength>(table, state, upperOffset, seen);
        }
        const std::uint64_t used = std::uint64_t{streams[s].Bits.size()} * 8 -
                                   static_cast<std::uint64_t>(state.End - state.Next) * 8 +
                                   state.Padding - state.Held;
        if (used > std::uint64_t{streams[s].Bits.size()} * 8)
            throw DamagedPart();
    }
    if (seen & NoCode)
        throw DamagedPart();
}

} // namespace quillory
