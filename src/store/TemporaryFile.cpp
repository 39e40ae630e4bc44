#include "store/TemporaryFile.h"

#include "common/Error.h"
#include "common/FileOperations.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Path.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace quillory {

TemporaryFile::TemporaryFile(const std::string& directory, std::string target)
    : directory_(directory), target_(std::move(target)),
      path_(JoinPath(directory, std::string(Prefix) + "XXXXXX")) {
    fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
    if (fd_ < 0)
        throw Error(FormatMessage(msg::CannotCreateFile, target_));
}

TemporaryFile::~TemporaryFile() {
    if (fd_ >= 0)
        ::close(fd_);
    if (owned_)
        ::unlink(path_.c_str());
}

std::size_t TemporaryFile::Write(const char* data, std::size_t count) {
    for (std::size_t written = 0; written < count;) {
        const ssize_t put = fd_ < 0 ? -1 : WriteSome(fd_, data + written, count - written);
        if (put <= 0)
            throw Error(FormatMessage(msg::CannotWriteFile, target_));
        written += static_cast<std::size_t>(put);
    }
    return count;
}

void TemporaryFile::Finish() {
    if (fd_ < 0)
        return;
    const bool synced = SyncToDisk(fd_);
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed)
        throw Error(FormatMessage(msg::CannotWriteFile, target_));
}

void TemporaryFile::Commit() {
    Finish();
    if (!RenameReplacing(path_, target_))
        throw Error(FormatMessage(msg::CannotCreateFile, target_));
    owned_ = false;
    if (!SyncDirectory(directory_))
        throw Error(FormatMessage(msg::CannotWriteFile, target_));
}

std::string TemporaryFile::Keep() {
    Finish();
    owned_ = false;
    return path_;
}

} // namespace quillory
