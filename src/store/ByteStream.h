#pragma once

#include <cstddef>
#include <cstdint>

namespace quillory {

// The two ends the codec and the catalog readers work between. A file is one
// kind of each; the catalog parser is an output that takes bytes as they are
// decoded, so a compressed catalog is read without a scratch file.
class ByteInput {
public:
    virtual ~ByteInput() = default;
    // Total size in bytes.
    virtual std::int64_t Size() = 0;
    // Moves to the first byte.
    virtual void Rewind() = 0;
    // Reads up to `count` bytes into `buffer`; returns how many were read, 0 at
    // the end. Raises Error when the read fails.
    virtual std::size_t Read(char* buffer, std::size_t count) = 0;
};

class ByteOutput {
public:
    virtual ~ByteOutput() = default;
    // Writes `count` bytes; returns how many were accepted (fewer on a full disk
    // or a failed write).
    virtual std::size_t Write(const char* data, std::size_t count) = 0;
};

} // namespace quillory
