#include "cli/StreamOutput.h"

#include "cli/TerminalText.h"
#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"

#include <cerrno>
#include <cstring>

namespace quillory {

namespace {

// How many of the last bytes of `text` may be continued by the next write: a
// CR, or a UTF-8 character whose last bytes are still to come.
std::size_t OpenEnd(std::string_view text) {
    if (!text.empty() && text.back() == '\r')
        return 1;
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: its lead is further back
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

} // namespace

void CheckWritten(std::ostream& out) {
    if (out)
        return;
    // The stream keeps no reason; the failed write left it in errno.
    const int reason = errno != 0 ? errno : EIO;
    throw Error(FormatMessage(msg::CannotWriteStandardOutput, std::strerror(reason)));
}

std::size_t StreamOutput::Write(const char* data, std::size_t count) {
    if (!terminal_) {
        Put({data, count});
        return count;
    }
    pending_.append(data, count);
    const std::size_t ready = pending_.size() - OpenEnd(pending_);
    Put(TerminalText(std::string_view(pending_).substr(0, ready), true));
    pending_.erase(0, ready);
    return count;
}

void StreamOutput::Finish() {
    Put(TerminalText(pending_, true));
    pending_.clear();
}

void StreamOutput::Put(std::string_view text) {
    // After a failed write the stream takes nothing more and errno no longer
    // tells why: every later write fails with the first one's reason.
    if (!failure_.empty())
        throw Error(failure_);
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
    try {
        CheckWritten(out_);
    } catch (const Error& error) {
        failure_ = error.what();
        throw;
    }
}

} // namespace quillory
