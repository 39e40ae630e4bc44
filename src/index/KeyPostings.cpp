#include "index/KeyPostings.h"

#include "index/PartFormat.h"

#include <algorithm>

namespace quillory {

namespace {

constexpr std::size_t FirstSlots = 4096;

} // namespace

KeyPostings::KeyPostings(std::size_t maxTableBytes)
    : maxTableBytes_(maxTableBytes), slots_(FirstSlots), mask_(FirstSlots - 1) {}

std::size_t KeyPostings::MemoryBytes() const {
    return slots_.capacity() * sizeof(Slot) + pages_.size() * PageChunks * sizeof(Chunk);
}

KeyPostings::Slot& KeyPostings::Insert(std::size_t at, std::uint32_t key) {
    // At most half full, so that a search for a key meets few others.
    if (2 * (keys_ + 1) > slots_.size()) {
        Grow();
        return Find(key);
    }
    ++keys_;
    Slot& slot = slots_[at];
    slot.Key = key;
    slot.First = slot.Last = NewChunk();
    return slot;
}

void KeyPostings::Grow() {
    if (slots_.size() * 2 * sizeof(Slot) > maxTableBytes_)
        throw PartRefused();
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    mask_ = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.Key == NoKey)
            continue;
        std::size_t at = Hash(slot.Key) & mask_;
        while (slots_[at].Key != NoKey)
            at = (at + 1) & mask_;
        slots_[at] = slot;
    }
}

std::uint32_t KeyPostings::NewChunk() {
    if (chunks_ == ChunkMask)
        throw PartRefused();
    if (chunks_ % PageChunks == 0)
        pages_.push_back(std::make_unique_for_overwrite<Chunk[]>(PageChunks));
    return chunks_++;
}

void KeyPostings::AppendByte(Slot& slot, char byte) {
    std::uint32_t used = slot.Last >> UsedShift;
    std::uint32_t last = slot.Last & ChunkMask;
    if (used == ChunkData) {
        const std::uint32_t next = NewChunk();
        ChunkAt(last).Next = next;
        last = next;
        used = 0;
    }
    ChunkAt(last).Data[used++] = byte;
    slot.Last = last | used << UsedShift;
}

void KeyPostings::Append(Slot& slot, std::uint32_t block) {
    std::uint32_t difference = slot.NextBlock == 0 ? block : block - (slot.NextBlock - 1);
    while (difference >= 0x80) {
        AppendByte(slot, static_cast<char>(difference | 0x80));
        difference >>= 7;
    }
    AppendByte(slot, static_cast<char>(difference));
    slot.NextBlock = block + 1;
}

std::uint32_t KeyPostings::Gather(const Slot& slot, std::string& out) const {
    out.clear();
    const std::uint32_t last = slot.Last & ChunkMask;
    for (std::uint32_t at = slot.First;; at = ChunkAt(at).Next) {
        const bool isLast = at == last;
        out.append(ChunkAt(at).Data, isLast ? slot.Last >> UsedShift : ChunkData);
        if (isLast)
            break;
    }
    // A difference ends at each byte below 0x80.
    return static_cast<std::uint32_t>(
        std::count_if(out.begin(), out.end(), [](char c) { return (c & 0x80) == 0; }));
}

std::vector<std::uint32_t> KeyPostings::SlotsInOrder() const {
    std::vector<std::uint32_t> order;
    order.reserve(keys_);
    for (std::size_t at = 0; at < slots_.size(); ++at) {
        if (slots_[at].Key != NoKey)
            order.push_back(static_cast<std::uint32_t>(at));
    }
    std::sort(order.begin(), order.end(),
              [this](std::uint32_t a, std::uint32_t b) { return slots_[a].Key < slots_[b].Key; });
    return order;
}

} // namespace quillory
