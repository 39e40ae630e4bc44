#pragma once

#include "store/ByteStream.h"

#include <ostream>

namespace quillory {

// Raises Error("Cannot write standard output: REASON") when `out`, the
// command line's standard output, has refused something written to it.
void CheckWritten(std::ostream& out);

// The command line's standard output as a byte output for the core's writers:
// it takes every byte or raises CheckWritten's Error.
class StreamOutput final : public ByteOutput {
public:
    explicit StreamOutput(std::ostream& out) : out_(out) {}
    std::size_t Write(const char* data, std::size_t count) override;

private:
    std::ostream& out_;
};

} // namespace quillory
