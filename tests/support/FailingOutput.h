#pragma once

#include "store/ByteStream.h"

#include <algorithm>
#include <string>

namespace quillory::test {

// An output that takes `capacity` bytes in all and refuses the rest, like a
// disk that fills up part-way through a write.
class FailingOutput final : public ByteOutput {
public:
    explicit FailingOutput(std::size_t capacity) : capacity_(capacity) {}

    std::size_t Write(const char* data, std::size_t count) override {
        const std::size_t taken = std::min(count, capacity_ - Bytes.size());
        Bytes.append(data, taken);
        return taken;
    }

    std::string Bytes; // what was taken

private:
    std::size_t capacity_;
};

} // namespace quillory::test
