#include "index/SearchIndex.h"

#include "common/FileSystem.h"
#include "common/Path.h"
#include "index/ByteReader.h"
#include "index/PartFormat.h"
#include "store/CatalogName.h"
#include "store/CatalogReader.h"
#include "store/Database.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {

namespace {

constexpr char DatabaseFileName[] = "database"; // the database's path, in its index folder
constexpr char PartExtension[] = ".part";
constexpr char WritingPrefix[] = ".writing-";
constexpr time_t LeftoverAge = 3600; // seconds after which a file being written is a leftover

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// A catalog's file name without the extension of its form, so that a
// conversion keeps the catalog's part where it is.
std::string_view Stem(std::string_view fileName) {
    for (std::string_view extension :
         {std::string_view(CompressedExtension), std::string_view(PlainExtension)}) {
        if (fileName.size() > extension.size() && fileName.ends_with(extension))
            return fileName.substr(0, fileName.size() - extension.size());
    }
    return fileName;
}

std::optional<std::string> ReadWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    return got < 0 ? std::nullopt : std::optional<std::string>(std::move(text));
}

// Writes `bytes` to `path` through a file of its own renamed into place, so
// that readers see the old file or the new one whole. A cache needs no
// flush to stable storage: a part a power cut damages fails its checks.
bool WriteReplacing(const std::string& folder, const std::string& path, std::string_view bytes) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    const std::string temporary = JoinPath(folder, WritingPrefix + Hex(random()));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool written = true;
    for (std::size_t done = 0; written && done < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        written = wrote > 0;
        done += written ? static_cast<std::size_t>(wrote) : 0;
    }
    written = ::close(fd) == 0 && written && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written)
        ::unlink(temporary.c_str());
    return written;
}

void RemoveFolder(const std::string& folder) {
    for (const std::string& name : AllEntries(folder))
        ::unlink(JoinPath(folder, name).c_str());
    ::rmdir(folder.c_str());
}

bool IsLeftover(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && status.st_mtime + LeftoverAge < ::time(nullptr);
}

} // namespace

std::string SearchIndex::CacheRoot() {
    // A relative XDG_CACHE_HOME is to be ignored, as the base directory rules say.
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/')
        return JoinPath(cache, "Quillory");
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return JoinPath(JoinPath(home, ".cache"), "Quillory");
    return {};
}

SearchIndex::SearchIndex(const std::string& databasePath) : databasePath_(RealPath(databasePath)) {
    const std::string root = CacheRoot();
    if (databasePath_.empty() || root.empty())
        return;
    folder_ = JoinPath(root, Hex(CheckOf(databasePath_)));
    // Another database whose path has the same check keeps its index here:
    // this one then keeps none.
    const auto owner = ReadWhole(JoinPath(folder_, DatabaseFileName));
    if (owner && *owner != databasePath_)
        folder_.clear();
    databaseDirectory_ = DirectoryHandle::Open(databasePath_);
    if (owner && !folder_.empty())
        folderDirectory_ = DirectoryHandle::Open(folder_);
}

std::string SearchIndex::PartName(std::string_view catalogFileName) {
    return Hex(CheckOf(Stem(catalogFileName))) + PartExtension;
}

std::string SearchIndex::PartPath(const std::string& catalogPath) const {
    return JoinPath(folder_,
                    PartName(std::string_view(catalogPath).substr(catalogPath.rfind('/') + 1)));
}

std::optional<CatalogPart> SearchIndex::CurrentPart(const std::string& catalogPath) const {
    if (folder_.empty())
        return std::nullopt;
    try {
        const std::string name = catalogPath.substr(catalogPath.rfind('/') + 1);
        const std::uint64_t lead = leadLength_.load(std::memory_order_relaxed);
        const std::uint64_t leadLength = lead == 0 ? CatalogPart::DefaultLeadLength : lead;
        std::optional<CatalogPart> part =
            folderDirectory_
                ? CatalogPart::Open(PartName(name), folderDirectory_->Descriptor(), leadLength)
                : CatalogPart::Open(PartPath(catalogPath), AT_FDCWD, leadLength);
        if (!part)
            return std::nullopt;
        const std::uint64_t wanted = std::min(part->WantedLead(), CatalogPart::DefaultLeadLength);
        for (std::uint64_t seen = lead;
             seen < wanted &&
             !leadLength_.compare_exchange_weak(seen, wanted, std::memory_order_relaxed);) {
        }
        const std::optional<CatalogIdentity> now =
            databaseDirectory_ ? IdentityOf(databaseDirectory_->Descriptor(), name)
                               : IdentityOf(catalogPath);
        if (!now || !(*now == part->Identity()) || !SettledBefore(*now, part->ReadAt()))
            return std::nullopt;
        return part;
    } catch (const DamagedPart&) {
        return std::nullopt;
    }
}

bool SearchIndex::MakeFolder() const {
    if (folder_.empty() || folderState_ == FolderState::Failed)
        return false;
    if (folderState_ == FolderState::Made)
        return true;
    const std::string root = CacheRoot();
    const std::string parent = root.substr(0, root.rfind('/'));
    ::mkdir(parent.c_str(), 0700);
    ::mkdir(root.c_str(), 0700);
    const std::string owner = JoinPath(folder_, DatabaseFileName);
    const bool made =
        (::mkdir(folder_.c_str(), 0700) == 0 || errno == EEXIST) &&
        (ReadWhole(owner) == databasePath_ || WriteReplacing(folder_, owner, databasePath_));
    folderState_ = made ? FolderState::Made : FolderState::Failed;
    return made;
}

void SearchIndex::Store(const std::string& catalogPath, PartBuilder& builder,
                        const CatalogIdentity& read, std::int64_t readAt) const {
    try {
        const std::optional<CatalogIdentity> now = IdentityOf(catalogPath);
        if (!now || !(*now == read) || !MakeFolder())
            return;
        const std::string part = builder.Finish(read, readAt);
        if (part.empty() || static_cast<double>(part.size()) >
                                MaxPartShare * static_cast<double>(builder.TextBytes()))
            return;
        if (!WriteReplacing(folder_, PartPath(catalogPath), part))
            folderState_ = FolderState::Failed;
    } catch (const std::exception&) {
        // Out of memory, say: the catalog is simply read again next time.
    }
}

void SearchIndex::ReadAndStore(const std::string& catalogPath, bool compressed,
                               const RecordConsumer& consumer) const {
    const std::int64_t readAt = CoarseClockNow();
    const std::optional<CatalogIdentity> identity = IdentityOf(catalogPath);
    PartBuilder builder;
    ReadCatalog(catalogPath, compressed, [&](const CatalogRecordView& record) {
        builder.Add(record);
        if (consumer)
            consumer(record);
    });
    if (identity)
        Store(catalogPath, builder, *identity, readAt);
}

void SearchIndex::StoreWritten(const std::string& catalogPath, const std::string& plainPath) const {
    if (folder_.empty())
        return;
    try {
        PartBuilder builder;
        ReadCatalog(plainPath, false,
                    [&builder](const CatalogRecordView& record) { builder.Add(record); });
        std::int64_t readAt = 0;
        if (const auto identity = SettledIdentityOf(catalogPath, readAt))
            Store(catalogPath, builder, *identity, readAt);
    } catch (const std::exception&) {
        // The first search reads the catalog instead.
    }
}

void SearchIndex::Carry(const CatalogIdentity& oldIdentity, const std::string& catalogPath) const {
    if (folder_.empty())
        return;
    try {
        const std::string partPath = PartPath(catalogPath);
        const std::optional<CatalogPart> part = CatalogPart::Open(partPath);
        if (!part || !(part->Identity() == oldIdentity) ||
            !SettledBefore(oldIdentity, part->ReadAt()))
            return;
        std::int64_t readAt = 0;
        const auto identity = SettledIdentityOf(catalogPath, readAt);
        const auto bytes = ReadWhole(partPath);
        if (identity && bytes)
            WriteReplacing(folder_, partPath, WithIdentity(*bytes, *identity, readAt));
    } catch (...) {
        // A damaged part, or no memory: the catalog is read again instead.
    }
}

void SearchIndex::RemoveStale(const std::vector<std::string>& catalogFiles) const {
    if (folder_.empty())
        return;
    std::vector<std::string> kept;
    for (const std::string& file : catalogFiles)
        kept.push_back(PartName(file));
    std::sort(kept.begin(), kept.end());
    for (const std::string& name : AllEntries(folder_)) {
        const std::string path = JoinPath(folder_, name);
        if (name.ends_with(PartExtension) ? !std::binary_search(kept.begin(), kept.end(), name)
                                          : name.starts_with(WritingPrefix) && IsLeftover(path))
            ::unlink(path.c_str());
    }
    const std::string root = CacheRoot();
    for (const std::string& name : AllEntries(root)) {
        const std::string folder = JoinPath(root, name);
        // A database whose parent directory is missing may be on media taken
        // out, and comes back with it; one whose parent is there is gone.
        const auto owner = ReadWhole(JoinPath(folder, DatabaseFileName));
        if (owner && !IsDatabase(*owner) && IsDirectory(owner->substr(0, owner->rfind('/') + 1)))
            RemoveFolder(folder);
    }
}

void SearchIndex::Drop() const {
    if (!folder_.empty())
        RemoveFolder(folder_);
}

} // namespace quillory
