#include "index/LongLineGuard.h"

#include "index/PartFormat.h"

#include <cstring>

namespace quillory {

namespace {

// A name or directory line, and its CR.
constexpr std::size_t Limit = MaxPartLineBytes + 1;

} // namespace

void LongLineGuard::Feed(const char* data, std::size_t count) {
    const char* const end = data + count;
    for (const char* at = data; at < end;) {
        const auto* lineEnd =
            static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
        const std::size_t line =
            lineLength_ + static_cast<std::size_t>((lineEnd ? lineEnd : end) - at);
        if (line > Limit)
            throw PartRefused();
        lineLength_ = lineEnd ? 0 : line;
        at = lineEnd ? lineEnd + 1 : end;
    }
    next_.Feed(data, count);
}

} // namespace quillory
