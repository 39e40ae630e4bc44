#include "output/FileExport.h"

#include "common/Error.h"
#include "common/FileOperations.h"
#include "common/Parallel.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

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

using Writer = std::function<void(ByteOutput&)>;

// Writes to the file open at `fd` and closes it, flushed to stable storage
// when `durable`.
void WriteAndClose(int fd, const Writer& write, bool durable) {
    try {
        DescriptorOutput output(fd);
        write(output);
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
void ReplaceWhole(const std::string& destination, const Writer& write) {
    std::string temporary;
    const int fd = CreateBeside(destination, temporary);
    if (fd < 0)
        FailWithSystemError();
    try {
        WriteAndClose(fd, write, true);
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

void WriteInBatches(std::size_t count,
                    const std::function<void(std::size_t index, std::string& text)>& append,
                    ByteOutput& output) {
    constexpr std::size_t BatchItems = 16384;
    std::vector<std::string> chunks(CoreCount());
    for (std::size_t first = 0; first < count; first += BatchItems) {
        ForEachSlice(std::min(BatchItems, count - first),
                     [&](std::size_t slice, std::size_t begin, std::size_t end) {
                         for (std::size_t i = first + begin; i < first + end; ++i)
                             append(i, chunks[slice]);
                     });
        // A batch may fill fewer slices than the one before: each chunk is
        // emptied as it is written.
        for (std::string& chunk : chunks) {
            WriteAll(output, chunk);
            chunk.clear();
        }
    }
}

void WriteAll(ByteOutput& output, std::string_view bytes) {
    if (output.Write(bytes.data(), bytes.size()) != bytes.size())
        FailWithSystemError();
}

void ExportToFile(const std::string& path, const Writer& write) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        ReplaceWhole(path, write);
        return;
    }
    if (S_ISREG(info.st_mode)) {
        ReplaceWhole(ResolvedPath(path), write);
        return;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        FailWithSystemError();
    WriteAndClose(fd, write, false);
}

} // namespace quillory
