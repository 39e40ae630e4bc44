#include "index/SegmentWriter.h"

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "index/ByteReader.h"
#include "index/CatalogSource.h"
#include "index/PartFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quillory {

namespace {

constexpr std::size_t FlushBytes = std::size_t{1} << 20;

} // namespace

SegmentWriter::SegmentWriter(std::shared_ptr<const IndexFolder> folder,
                             const std::atomic<bool>* stop)
    : folder_(std::move(folder)), stop_(stop), temporary_(IndexFolder::WritingName()) {
    fd_ = ::openat(folder_->Descriptor(), temporary_.c_str(),
                   O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd_ < 0)
        Fail(errno);
    // Held while the file is written: a writer that finds it no leftover
    // however long it takes.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    buffer_.assign(SegmentHeaderBytes, '\0'); // written last, when the table is known
    end_ = SegmentHeaderBytes;
}

SegmentWriter::~SegmentWriter() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_)
        ::unlinkat(folder_->Descriptor(), temporary_.c_str(), 0);
}

void SegmentWriter::Fail(int error) const {
    throw IndexNotStored(
        FormatMessage(msg::IndexFolderUnusable, {folder_->Path(), std::strerror(error)}));
}

void SegmentWriter::Write(std::string_view bytes) {
    // Only a part being made stops; what is made is written whole.
    if (makingPart_ && stop_ && stop_->load(std::memory_order_relaxed))
        throw ReadingStopped();
    buffer_ += bytes;
    end_ += bytes.size();
    if (buffer_.size() >= FlushBytes)
        Flush();
}

void SegmentWriter::Flush() {
    for (std::size_t done = 0; done < buffer_.size();) {
        const ssize_t wrote = ::pwrite(fd_, buffer_.data() + done, buffer_.size() - done,
                                       static_cast<off_t>(flushed_ + done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            Fail(wrote < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(wrote);
    }
    flushed_ += buffer_.size();
    buffer_.clear();
}

void SegmentWriter::CutBack(std::uint64_t offset) {
    if (offset >= flushed_) {
        buffer_.resize(static_cast<std::size_t>(offset - flushed_));
    } else {
        buffer_.clear();
        flushed_ = offset; // later bytes are written over these
    }
    end_ = offset;
}

void SegmentWriter::Add(const std::string& fileName, const CatalogStamp& stamp,
                        PartBuilder& builder) {
    NamePart(WritePart(builder), fileName, stamp);
}

SegmentWriter::WrittenPart SegmentWriter::WritePart(PartBuilder& builder) {
    const std::uint64_t offset = end_;
    makingPart_ = true;
    try {
        const PartShape shape = builder.Finish(*this);
        makingPart_ = false;
        return {offset, shape};
    } catch (...) {
        makingPart_ = false;
        CutBack(offset);
        throw;
    }
}

void SegmentWriter::NamePart(const WrittenPart& part, const std::string& fileName,
                             const CatalogStamp& stamp) {
    entries_.push_back({fileName, stamp, part.Offset, part.Shape.Length, part.Shape.HeadLength,
                        part.Shape.HeadCheck, part.Shape.AllTimesCoded, part.Shape.Filter});
}

void SegmentWriter::Copy(const Segment& from, const SegmentEntry& entry,
                         const std::string& fileName, const CatalogStamp& stamp) {
    const std::uint64_t offset = end_;
    Write(from.PartBytes(entry));
    SegmentEntry copied = entry;
    copied.FileName = fileName;
    copied.Stamp = stamp;
    copied.PartOffset = offset;
    entries_.push_back(std::move(copied));
}

std::string SegmentWriter::Commit() {
    if (entries_.empty())
        return {};
    std::sort(entries_.begin(), entries_.end(), [](const SegmentEntry& a, const SegmentEntry& b) {
        return NameCheckOf(a.FileName) < NameCheckOf(b.FileName);
    });
    std::string table;
    AppendFixed32(table, static_cast<std::uint32_t>(entries_.size()));
    for (const SegmentEntry& entry : entries_)
        AppendFixed64(table, NameCheckOf(entry.FileName));
    std::uint32_t nameOffset = 0;
    for (const SegmentEntry& entry : entries_) {
        AppendEntry(table, entry, nameOffset);
        nameOffset += static_cast<std::uint32_t>(entry.FileName.size());
    }
    for (const SegmentEntry& entry : entries_)
        table += entry.FileName;
    const std::uint64_t tableOffset = end_;
    Write(table);
    Flush();
    std::string header(SegmentMagic);
    AppendFixed64(header, tableOffset);
    AppendFixed64(header, table.size());
    AppendFixed64(header, CheckOf(table));
    if (::pwrite(fd_, header.data(), header.size(), 0) != static_cast<ssize_t>(header.size()))
        Fail(errno != 0 ? errno : ENOSPC);
    const bool cut = ::ftruncate(fd_, static_cast<off_t>(end_)) == 0;
    const int cutError = errno;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!cut || !closed)
        Fail(cut ? errno : cutError);
    // No flush to stable storage: a segment a power cut damages fails its checks.
    const std::string name = IndexFolder::RandomName() + SegmentExtension;
    if (::renameat(folder_->Descriptor(), temporary_.c_str(), folder_->Descriptor(),
                   name.c_str()) != 0)
        Fail(errno);
    committed_ = true;
    return name;
}

} // namespace quillory
