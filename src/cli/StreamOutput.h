#pragma once

#include "store/ByteStream.h"

#include <ostream>
#include <string>

namespace quillory {

// Raises Error("Cannot write standard output: REASON") when `out`, the
// command line's standard output, has refused something written to it.
void CheckWritten(std::ostream& out);

// The command line's standard output as a byte output for the core's writers:
// it takes every byte or raises CheckWritten's Error. On a terminal the lines
// go out with their control characters escaped (see TerminalText), and the
// last bytes of a write that may belong to the next (a CR before its LF, a
// character cut in two) wait for it, or for Finish.
class StreamOutput final : public ByteOutput {
public:
    StreamOutput(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}
    std::size_t Write(const char* data, std::size_t count) override;
    void Finish();

private:
    void Put(std::string_view text);

    std::ostream& out_;
    bool terminal_;
    std::string pending_;
    std::string failure_; // why the first write that failed did
};

} // namespace quillory
