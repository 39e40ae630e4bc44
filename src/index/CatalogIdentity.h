#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillory {

// What tells one catalog file from any other and from itself before any
// change: rewriting it, by this program or by hand, gives it another change
// time at least, even when size and modification time are put back.
struct CatalogIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedSeconds = 0;
    std::int64_t ModifiedNanoseconds = 0;
    std::int64_t ChangedSeconds = 0;
    std::int64_t ChangedNanoseconds = 0;
    std::string FileName;

    bool operator==(const CatalogIdentity&) const = default;
};

// The identity of the catalog file at `path` now; nothing when it cannot be
// read (or is no regular file).
std::optional<CatalogIdentity> IdentityOf(const std::string& path);
// The same for `path` looked up from the directory open as `directory`
// (AT_FDCWD: the working directory).
std::optional<CatalogIdentity> IdentityOf(int directory, const std::string& path);

// A moment on the clock the file system stamps change times with, in
// nanoseconds: taken before a catalog is read for a part, it tells whether a
// change after the reading could have left the change time as it was.
std::int64_t CoarseClockNow();

// Whether a part made from a catalog with `identity`, read after `readAt`,
// can be trusted: a change made in the same clock tick as the reading could
// not be told apart, so the catalog must have changed last before it.
bool SettledBefore(const CatalogIdentity& identity, std::int64_t readAt);

// The identity of a catalog this program has just written itself, holding
// the database alone, and in `readAt` the first clock tick after its last
// change, so that a part made from the records it wrote is trusted; nothing
// when the file cannot be read or its change time lies ahead of the clock.
std::optional<CatalogIdentity> SettledIdentityOf(const std::string& path, std::int64_t& readAt);

} // namespace quillory
