#include "store/DatabaseLock.h"

#include "common/Error.h"
#include "common/FileOperations.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Path.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace quillory {

namespace {

constexpr auto PollInterval = std::chrono::milliseconds(50);

std::mutex waitingMutex;

LockWaiting& Policy() {
    static LockWaiting waiting;
    return waiting;
}

bool LocksUnsupported(int error) {
    return error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

} // namespace

void SetLockWaiting(LockWaiting waiting) {
    const std::lock_guard lock(waitingMutex);
    Policy() = std::move(waiting);
}

LockWaiting CurrentLockWaiting() {
    const std::lock_guard lock(waitingMutex);
    return Policy();
}

DatabaseLock::DatabaseLock(const std::string& path, LockKind kind)
    // Without its final "/" the name of a symbolic link is not followed.
    : fd_(::open(WithoutTrailingSeparator(path).c_str(),
                 O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)) {
    if (fd_ < 0)
        throw Error(FormatMessage(msg::CannotOpenFile, path));
    const int operation = kind == LockKind::Exclusive ? LOCK_EX : LOCK_SH;
    const LockWaiting policy = CurrentLockWaiting();
    const auto deadline = std::chrono::steady_clock::now() + policy.Patience;
    bool told = false;
    while (!LockFile(fd_, operation | LOCK_NB)) {
        const int error = errno;
        if (LocksUnsupported(error) && kind == LockKind::Shared)
            return;
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            throw Error(FormatMessage(
                error == EWOULDBLOCK ? msg::DatabaseInUse : msg::DatabaseCannotBeLocked, path));
        }
        if (!told && policy.Waiting)
            policy.Waiting(path);
        told = true;
        std::this_thread::sleep_for(PollInterval);
    }
}

DatabaseLock::~DatabaseLock() {
    ::close(fd_); // closing the directory gives the lock up
}

} // namespace quillory
