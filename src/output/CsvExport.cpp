#include "output/CsvExport.h"

#include "common/Error.h"
#include "common/FileOperations.h"
#include "common/Parallel.h"
#include "output/CsvLine.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillory {

namespace {

[[noreturn]] void FailWithSystemError() {
    throw Error(std::strerror(errno));
}

// An open file as an output that takes every byte or raises the system's error.
class DescriptorOutput final : public ByteOutput {
public:
    explicit DescriptorOutput(int fd) : fd_(fd) {}

    std::size_t Write(const char* data, std::size_t count) override {
        for (std::size_t written = 0; written < count;) {
            const ssize_t put = WriteSome(fd_, data + written, count - written);
            if (put <= 0)
                FailWithSystemError();
            written += static_cast<std::size_t>(put);
        }
        return count;
    }

private:
    int fd_;
};

// Writes the rows to the file open at `fd` and closes it, flushed to stable
// storage when `durable`.
void WriteAndClose(int fd, const ResultRowSource& rows, std::size_t count, bool durable) {
    try {
        DescriptorOutput output(fd);
        WriteCsv(rows, count, output);
        if (durable && !SyncToDisk(fd))
            FailWithSystemError();
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        FailWithSystemError();
}

// A new hidden file beside `destination`, made with the usual permissions.
int CreateBeside(const std::string& destination, std::string& temporary) {
    static std::atomic<unsigned> made{0};
    const std::size_t slash = destination.rfind('/');
    const std::string directory =
        slash == std::string::npos ? "" : destination.substr(0, slash + 1);
    for (;;) {
        temporary = directory + ".quillory-export-" + std::to_string(::getpid()) + "-" +
                    std::to_string(made++);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
}

// Writes the file whole under a hidden name, then renames it over `destination`.
void ReplaceWhole(const std::string& destination, const ResultRowSource& rows, std::size_t count) {
    std::string temporary;
    const int fd = CreateBeside(destination, temporary);
    if (fd < 0)
        FailWithSystemError();
    try {
        WriteAndClose(fd, rows, count, true);
        if (!RenameReplacing(temporary, destination))
            FailWithSystemError();
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
}

// The file `path` leads to, through its symbolic links.
std::string ResolvedPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    return resolved ? std::string(resolved.get()) : path;
}

} // namespace

void WriteCsv(const ResultRowSource& rows, std::size_t count, ByteOutput& output) {
    // Rows become lines on every core, a batch at a time, and the lines are
    // written in order: making them costs more than writing them.
    constexpr std::size_t BatchRows = 16384;
    std::vector<std::string> chunks(CoreCount());
    for (std::size_t first = 0; first < count; first += BatchRows) {
        ForEachSlice(std::min(BatchRows, count - first),
                     [&](std::size_t slice, std::size_t begin, std::size_t end) {
                         std::string& chunk = chunks[slice];
                         chunk.clear();
                         ResultRow row;
                         for (std::size_t i = first + begin; i < first + end; ++i) {
                             rows.ReadRow(i, row);
                             AppendCsvLine(row, chunk);
                         }
                     });
        for (std::string& chunk : chunks) {
            if (output.Write(chunk.data(), chunk.size()) != chunk.size())
                FailWithSystemError();
            chunk.clear();
        }
    }
}

void ExportCsv(const ResultRowSource& rows, std::size_t count, const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        ReplaceWhole(path, rows, count);
        return;
    }
    if (S_ISREG(info.st_mode)) {
        ReplaceWhole(ResolvedPath(path), rows, count);
        return;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        FailWithSystemError();
    WriteAndClose(fd, rows, count, false);
}

} // namespace quillory
