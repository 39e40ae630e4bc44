#include "common/FileOperations.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {

namespace {

constexpr std::size_t OperationKinds = 5;

struct Injection {
    std::atomic<bool> Armed{false}; // spares the lock while no test injects
    std::mutex Mutex;
    std::optional<InjectedFault> Fault;
    std::array<std::atomic<std::size_t>, OperationKinds> Counts{};
};

Injection& Injected() {
    static Injection injection;
    return injection;
}

// Counts the operation and answers whether it is the one to fail, setting errno.
bool Fails(FileOperation what) {
    Injection& injection = Injected();
    const std::size_t count = ++injection.Counts[static_cast<std::size_t>(what)];
    if (!injection.Armed)
        return false;
    const std::lock_guard lock(injection.Mutex);
    if (!injection.Fault || injection.Fault->What != what || injection.Fault->Nth != count)
        return false;
    errno = injection.Fault->Error;
    return true;
}

} // namespace

bool RenameReplacing(const std::string& from, const std::string& to) {
    return !Fails(FileOperation::Rename) && std::rename(from.c_str(), to.c_str()) == 0;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (Fails(FileOperation::Rename))
        return false;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace flag: look first, then rename.
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
    return !Fails(FileOperation::Remove) && ::unlink(path.c_str()) == 0;
}

bool RemoveDirectory(const std::string& path) {
    return !Fails(FileOperation::Remove) && ::rmdir(path.c_str()) == 0;
}

ssize_t WriteSome(int fd, const char* data, std::size_t count) {
    if (Fails(FileOperation::Write))
        return -1;
    for (;;) {
        const ssize_t put = ::write(fd, data, count);
        if (put >= 0 || errno != EINTR)
            return put;
    }
}

bool SyncToDisk(int fd) {
    return !Fails(FileOperation::Sync) && ::fsync(fd) == 0;
}

bool SyncDirectory(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = SyncToDisk(fd);
    ::close(fd);
    return synced;
}

bool LockFile(int fd, int operation) {
    if (Fails(FileOperation::Lock))
        return false;
    for (;;) {
        if (::flock(fd, operation) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

void InjectFault(std::optional<InjectedFault> fault) {
    Injection& injection = Injected();
    const std::lock_guard lock(injection.Mutex);
    injection.Fault = fault;
    injection.Armed = fault.has_value();
    for (auto& count : injection.Counts)
        count = 0;
}

std::size_t OperationsSince(FileOperation what) {
    return Injected().Counts[static_cast<std::size_t>(what)];
}

} // namespace quillory
