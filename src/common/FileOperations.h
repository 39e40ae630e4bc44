#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <sys/types.h>

namespace quillory {

// The file operations whose failure could lose or mix a catalog: putting a
// file in place, removing one, writing, flushing to stable storage and
// locking. They all pass through here, so that every place a write can fail
// is a place a test can make it fail. Each behaves as its system call:
// false (or -1) with errno set on failure.
enum class FileOperation { Rename, Remove, Write, Sync, Lock };

// Renames `from` to `to`, replacing a file of that name.
bool RenameReplacing(const std::string& from, const std::string& to);
// Renames `from` to `to` only when nothing is called `to` (EEXIST otherwise).
bool RenameNoReplace(const std::string& from, const std::string& to);
// Removes the file (or the empty directory) `path`.
bool RemoveFile(const std::string& path);
bool RemoveDirectory(const std::string& path);
// One write(2), retried on interruption.
ssize_t WriteSome(int fd, const char* data, std::size_t count);
// fsync(2): the file's (or the directory's) data and names on stable storage.
bool SyncToDisk(int fd);
// Flushes the directory `path` itself, so that renames and removals in it last.
bool SyncDirectory(const std::string& path);
// flock(2), retried on interruption.
bool LockFile(int fd, int operation);

// For tests: makes the `nth` operation of kind `what` from now on fail with
// `error` (and only that one); nothing clears all injections.
struct InjectedFault {
    FileOperation What;
    std::size_t Nth;
    int Error;
};
void InjectFault(std::optional<InjectedFault> fault);
// How many operations of kind `what` were asked for since the last injection.
std::size_t OperationsSince(FileOperation what);

} // namespace quillory
