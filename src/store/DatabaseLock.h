#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace quillory {

// How long a command waits for another command that holds a database, and
// what it hears when the wait begins (the command line says so on standard
// error; the windows show their wait window anyway). Set once per process.
struct LockWaiting {
    std::chrono::milliseconds Patience{std::chrono::seconds(60)};
    std::function<void(const std::string& databasePath)> Waiting;
};
void SetLockWaiting(LockWaiting waiting);
LockWaiting CurrentLockWaiting();

enum class LockKind {
    Shared,    // reading: searches and listings, any number at once
    Exclusive, // changing: one command alone, and no reader meanwhile
};

// One command's hold on a database: an flock on the database directory
// itself, so a writer of any process holds it whole for its run. The
// directory is opened without following a symbolic link, so no command
// reaches through one.
//
// Where the file system refuses locks (some network mounts), a reader goes on
// unlocked, which risks nothing, and a writer is refused, which loses nothing:
// Error("The database PATH cannot be locked ...").
class DatabaseLock {
public:
    // Raises Error("Cannot open file PATH") when the directory cannot be
    // opened (missing, not a directory, a symbolic link), and
    // Error("The database PATH is in use ...") when the other command keeps
    // it beyond the patience.
    DatabaseLock(const std::string& path, LockKind kind);
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

private:
    int fd_;
};

} // namespace quillory
