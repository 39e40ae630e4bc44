#include "store/TemporaryFile.h"

#include "common/Error.h"
#include "common/FileOperations.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Path.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace quillory {

namespace {

// Twelve random letters and digits: names no other writer picks.
std::string RandomName() {
    static constexpr char Characters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random(std::random_device{}() ^
                                        static_cast<std::uint64_t>(::getpid()) << 32);
    std::string name(12, ' ');
    for (char& c : name)
        c = Characters[random() % (sizeof Characters - 1)];
    return name;
}

} // namespace

TemporaryFile::TemporaryFile(const std::string& directory, std::string target)
    : directory_(directory), target_(std::move(target)) {
    // Created as any new file is (the mode the user's umask leaves of 0666),
    // since it becomes the catalog itself.
    for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
        path_ = JoinPath(directory, std::string(Prefix) + RandomName());
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        owned_ = false;
        throw Error(FormatMessage(msg::CannotCreateFile, target_));
    }
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
