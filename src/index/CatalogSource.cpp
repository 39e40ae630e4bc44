#include "index/CatalogSource.h"

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "store/CatalogReader.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace quillory {

struct CatalogSource::Check {
    XXH3_state_t* State = XXH3_createState();
    ~Check() { XXH3_freeState(State); }
};

namespace {

constexpr std::size_t ReadSize = 256 * 1024;

} // namespace

CatalogSource::CatalogSource(int directory, const std::string& name)
    : name_(name), check_(std::make_unique<Check>()) {
    fd_ = ::openat(directory, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    struct stat status {};
    if (fd_ < 0 || ::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (fd_ >= 0)
            ::close(fd_);
        throw Error(FormatMessage(msg::CannotOpenFile, name));
    }
    identity_ = IdentityOf(status);
    XXH3_64bits_reset(check_->State);
}

CatalogSource::~CatalogSource() {
    ::close(fd_);
}

std::optional<CatalogIdentity> CatalogSource::IdentityNow() const {
    struct stat status {};
    if (::fstat(fd_, &status) != 0)
        return std::nullopt;
    return IdentityOf(status);
}

std::int64_t CatalogSource::Size() {
    struct stat status {};
    if (::fstat(fd_, &status) != 0)
        throw Error(FormatMessage(msg::CannotReadFile, name_));
    return status.st_size;
}

void CatalogSource::Rewind() {
    if (::lseek(fd_, 0, SEEK_SET) != 0)
        throw Error(FormatMessage(msg::CannotReadFile, name_));
    XXH3_64bits_reset(check_->State);
}

std::size_t CatalogSource::Read(char* buffer, std::size_t count) {
    if (stop_ && stop_->load(std::memory_order_relaxed))
        throw ReadingStopped();
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, count);
        if (got >= 0) {
            XXH3_64bits_update(check_->State, buffer, static_cast<std::size_t>(got));
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR)
            throw Error(FormatMessage(msg::CannotReadFile, name_));
    }
}

std::uint64_t CatalogSource::CheckAll(const std::atomic<bool>* stop) {
    if (stop)
        stop_ = stop;
    const auto buffer = std::make_unique_for_overwrite<char[]>(ReadSize);
    while (Read(buffer.get(), ReadSize) > 0) {
    }
    return XXH3_64bits_digest(check_->State);
}

std::uint64_t CatalogSource::ReadText(bool compressed, CatalogTextSink& sink,
                                      const std::atomic<bool>* stop) {
    stop_ = stop;
    ReadCatalogText(*this, compressed, sink);
    // The decoder stops at the last stream: the bytes after it are the file's too.
    if (compressed)
        CheckAll();
    return XXH3_64bits_digest(check_->State);
}

} // namespace quillory
