#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// The blocks holding each trigram key of a part being made, gathered as the
// blocks come, in increasing order. Each key's list grows as the differences
// between its blocks, a byte or two each, in chunks of a shared pool, so a
// catalog's lists take about as much room as they will in the part, and no
// list of pairs is ever sorted.
class KeyPostings {
public:
    // The table of keys never grows past `maxTableBytes`: a key that would
    // make it raises PartRefused.
    explicit KeyPostings(std::size_t maxTableBytes);

    // Notes that block `block` holds `key`; a key met again in the same block
    // is noted once. Blocks never decrease.
    void Add(std::uint32_t key, std::uint32_t block) {
        Slot& slot = Find(key);
        if (slot.NextBlock != block + 1)
            Append(slot, block);
    }

    // The room the lists and their table take, in bytes.
    std::size_t MemoryBytes() const;

    // Calls `each(key, count, differences)` for every key in increasing
    // order: how many blocks hold it, and its blocks as the varint
    // differences from the block before (the first from 0).
    template <typename Each> void ForEachInOrder(Each each) const {
        std::string differences;
        for (std::uint32_t index : SlotsInOrder()) {
            const Slot& slot = slots_[index];
            const std::uint32_t count = Gather(slot, differences);
            each(slot.Key, count, std::string_view(differences));
        }
    }

private:
    static constexpr std::uint32_t NoKey = 0xFFFFFFFF; // trigram keys stay below 2^25
    static constexpr std::size_t ChunkData = 28;
    // The last chunk's number in the low bits, how much of it is used above.
    static constexpr unsigned UsedShift = 27;
    static constexpr std::uint32_t ChunkMask = (1u << UsedShift) - 1;
    struct Slot {
        std::uint32_t Key = NoKey;
        std::uint32_t NextBlock = 0; // the last block noted, plus one
        std::uint32_t First = 0;     // chunk
        std::uint32_t Last = 0;      // chunk and bytes used of it
    };
    struct Chunk {
        char Data[ChunkData];
        std::uint32_t Next;
    };
    // Chunks come in pages of their own, for the reason ChunkedText gives.
    static constexpr std::size_t PageChunks = 16384;
    Chunk& ChunkAt(std::uint32_t index) { return pages_[index / PageChunks][index % PageChunks]; }
    const Chunk& ChunkAt(std::uint32_t index) const {
        return pages_[index / PageChunks][index % PageChunks];
    }

    Slot& Find(std::uint32_t key) {
        for (std::size_t at = Hash(key) & mask_;; at = (at + 1) & mask_) {
            Slot& slot = slots_[at];
            if (slot.Key == key)
                return slot;
            if (slot.Key == NoKey)
                return Insert(at, key);
        }
    }
    static std::size_t Hash(std::uint32_t key) {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 32);
    }
    Slot& Insert(std::size_t at, std::uint32_t key);
    void Grow();
    std::uint32_t NewChunk();
    void Append(Slot& slot, std::uint32_t block);
    void AppendByte(Slot& slot, char byte);
    // The slot's differences into `out`; returns how many there are.
    std::uint32_t Gather(const Slot& slot, std::string& out) const;
    std::vector<std::uint32_t> SlotsInOrder() const;

    std::size_t maxTableBytes_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t keys_ = 0;
    std::vector<std::unique_ptr<Chunk[]>> pages_;
    std::uint32_t chunks_ = 0;
};

} // namespace quillory
