#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace quillory {

// Texts appended one after another in chunks of their own size, none split
// over two: a table that grows to its bound never holds a copy of itself, as
// a string that doubles does while it moves.
class ChunkedText {
public:
    static constexpr std::size_t ChunkBytes = std::size_t{1} << 20;

    void Append(std::string_view text);
    std::size_t MemoryBytes() const { return memory_; }
    // Frees every chunk.
    void Clear();

    // Reads the texts back in order, each by its length.
    class Reader {
    public:
        explicit Reader(const ChunkedText& text) : text_(text) {}
        std::string_view Next(std::size_t length);

    private:
        const ChunkedText& text_;
        std::size_t chunk_ = 0, at_ = 0;
    };

private:
    struct Chunk {
        std::unique_ptr<char[]> Bytes;
        std::size_t Size = 0, Used = 0;
    };
    std::vector<Chunk> chunks_;
    std::size_t memory_ = 0;
};

} // namespace quillory
