#include "store/FileStream.h"

#include "common/Error.h"
#include "common/FileOperations.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {

FileInput::FileInput(const std::string& path)
    : path_(path), fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)) {
    // Opening without waiting, then looking at what was opened, is what keeps
    // a pipe put in a file's place from blocking for ever.
    struct stat info {};
    if (fd_ >= 0 && (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)))
        Close();
    if (fd_ < 0)
        throw Error(FormatMessage(msg::CannotOpenFile, path));
    size_ = info.st_size;
}

FileInput::~FileInput() {
    Close();
}

void FileInput::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::int64_t FileInput::Size() {
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        throw Error(FormatMessage(msg::CannotReadFile, path_));
    return info.st_size;
}

void FileInput::Rewind() {
    if (::lseek(fd_, 0, SEEK_SET) != 0)
        throw Error(FormatMessage(msg::CannotReadFile, path_));
    read_ = 0;
    ended_ = false;
}

std::size_t FileInput::Read(char* buffer, std::size_t count) {
    // A read of a regular file that gave less than was asked, and brought it
    // to its size when it was opened, was at its end: asking once more would
    // only hear so. Many small catalogs are read in two calls, not three.
    if (ended_)
        return 0;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, count);
        if (got >= 0) {
            read_ += got;
            ended_ = static_cast<std::size_t>(got) < count && read_ == size_;
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR)
            throw Error(FormatMessage(msg::CannotReadFile, path_));
    }
}

FileOutput::FileOutput(const std::string& path)
    : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {
    if (fd_ < 0)
        throw Error(FormatMessage(msg::CannotCreateFile, path));
}

FileOutput::~FileOutput() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::size_t FileOutput::Write(const char* data, std::size_t count) {
    std::size_t written = 0;
    while (written < count) {
        const ssize_t put = WriteSome(fd_, data + written, count - written);
        if (put <= 0)
            break;
        written += static_cast<std::size_t>(put);
    }
    return written;
}

bool FileOutput::Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
}

} // namespace quillory
