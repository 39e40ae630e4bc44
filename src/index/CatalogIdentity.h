#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>

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

    bool operator==(const CatalogIdentity&) const = default;
};

CatalogIdentity IdentityOf(const struct stat& status);

// The identity of `name` in the directory open as `directory`; nothing when
// it cannot be looked at or is no regular file.
std::optional<CatalogIdentity> IdentityOf(int directory, const std::string& name);

// This machine's wall clock, in nanoseconds since 1970, as file times count.
std::int64_t WallClockNow();

} // namespace quillory
