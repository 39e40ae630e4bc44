#include "output/CsvExport.h"

#include "common/Error.h"
#include "output/CsvLine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quillory {

namespace {

[[noreturn]] void FailWithSystemError() {
    throw Error(std::strerror(errno));
}

void WriteAll(int fd, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (put > 0)
            written += static_cast<std::size_t>(put);
        else if (put == 0 || errno != EINTR)
            FailWithSystemError();
    }
}

} // namespace

void WriteCsv(const ResultRowSource& rows, std::size_t count, int fd) {
    // Lines are gathered into writes of about 64 KiB.
    std::string chunk;
    for (std::size_t i = 0; i < count; ++i) {
        chunk += CsvLine(rows.Row(i));
        if (chunk.size() >= (64 << 10)) {
            WriteAll(fd, chunk);
            chunk.clear();
        }
    }
    WriteAll(fd, chunk);
}

void ExportCsv(const ResultRowSource& rows, std::size_t count, const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        FailWithSystemError();
    try {
        WriteCsv(rows, count, fd);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        FailWithSystemError();
}

} // namespace quillory
