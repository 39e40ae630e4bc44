#include "cli/StreamOutput.h"

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"

#include <cerrno>
#include <cstring>

namespace quillory {

void CheckWritten(std::ostream& out) {
    if (out)
        return;
    // The stream keeps no reason; the failed write left it in errno.
    const int reason = errno != 0 ? errno : EIO;
    throw Error(FormatMessage(msg::CannotWriteStandardOutput, std::strerror(reason)));
}

std::size_t StreamOutput::Write(const char* data, std::size_t count) {
    out_.write(data, static_cast<std::streamsize>(count));
    CheckWritten(out_);
    return count;
}

} // namespace quillory
