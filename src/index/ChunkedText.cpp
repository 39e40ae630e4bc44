#include "index/ChunkedText.h"

#include <algorithm>
#include <cstring>

namespace quillory {

void ChunkedText::Append(std::string_view text) {
    if (chunks_.empty() || chunks_.back().Size - chunks_.back().Used < text.size()) {
        const std::size_t size = std::max(ChunkBytes, text.size());
        chunks_.push_back({std::make_unique_for_overwrite<char[]>(size), size, 0});
        memory_ += size;
    }
    Chunk& chunk = chunks_.back();
    std::memcpy(chunk.Bytes.get() + chunk.Used, text.data(), text.size());
    chunk.Used += text.size();
}

void ChunkedText::Clear() {
    std::vector<Chunk>().swap(chunks_);
    memory_ = 0;
}

std::string_view ChunkedText::Reader::Next(std::size_t length) {
    if (length == 0)
        return {};
    // A text that did not fit the rest of a chunk began the next one.
    while (text_.chunks_[chunk_].Used - at_ < length) {
        ++chunk_;
        at_ = 0;
    }
    const std::string_view text(text_.chunks_[chunk_].Bytes.get() + at_, length);
    at_ += length;
    return text;
}

} // namespace quillory
