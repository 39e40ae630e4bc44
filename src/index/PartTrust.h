#pragma once

#include "index/CatalogIdentity.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace quillory {

// What a part records of the catalog it was made from: the catalog's
// identity, taken from the open file before its first byte was read and
// again after its last, the moment on this machine's clock when the reading
// began, and the check of every byte of the file as read.
struct CatalogStamp {
    CatalogIdentity Identity;
    std::int64_t ReadAt = 0;
    std::uint64_t ContentCheck = 0;

    bool operator==(const CatalogStamp&) const = default;
};

// How far the change times of the file system holding a database can be
// trusted. Any change to a file's bytes sets its change time to the clock
// that stamps the file system's times, cut to the file system's resolution.
enum class ChangeTimes {
    Local,  // stamped by this machine's clock, to 2 seconds or finer
    Remote, // stamped by a file server's clock, which may stand apart from this one
    Unkept, // not kept as a change time that nothing can put back (FAT, exFAT,
            // optical discs, FUSE file systems, which often give the
            // modification time for it, anything unknown)
};

// Whether a part stamped so stays right as long as its catalog's identity
// holds, with no need to look at the catalog's bytes: the catalog had last
// changed at least SettleWindow before the reading began. A change after
// that moment is stamped by a clock that stood at or past the moment (less
// a clock tick and the resolution), so its change time differs from the
// one recorded; a change in the same tick or second as the reading could
// keep it, which is why a recent change is not enough.
bool Settled(const CatalogStamp& stamp, ChangeTimes times);
// The window above, in nanoseconds: 2 seconds of resolution (FAT's) and a
// second for the clock's tick on a local file system; 5 minutes more for
// another machine's clock on a remote one.
std::int64_t SettleWindow(ChangeTimes times);

// The change times of a database's catalogs: those of the file system
// holding its directory. A catalog on another device, reached through a
// link or a mount, is taken as keeping none.
class DatabaseTimes {
public:
    // The database directory open as `directory`.
    explicit DatabaseTimes(int directory);

    int Directory() const { return directory_; }
    bool Settled(const CatalogStamp& stamp) const;

    // The identity catalog `name` has now. On a remote file system the file
    // is opened first, so that the server is asked rather than a copy of its
    // answer kept since an earlier look.
    std::optional<CatalogIdentity> CurrentIdentity(const std::string& name) const;

private:
    int directory_;
    ChangeTimes times_ = ChangeTimes::Unkept;
    std::uint64_t device_ = 0;
};

// The check of the bytes of the file at `path`; nothing when it cannot be read.
std::optional<std::uint64_t> BytesCheckOf(const std::string& path);

// The check of the bytes of catalog `name`, read whole while its identity
// was `identity`; nothing when it cannot be read or its identity is another.
// Raises ReadingStopped once `stop` turns true.
std::optional<std::uint64_t> ContentCheckOf(int directory, const std::string& name,
                                            const CatalogIdentity& identity,
                                            const std::atomic<bool>* stop = nullptr);

} // namespace quillory
