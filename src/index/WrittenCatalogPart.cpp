#include "index/WrittenCatalogPart.h"

#include "common/FileSystem.h"
#include "common/Parallel.h"
#include "index/LongLineGuard.h"
#include "index/PartBuilder.h"
#include "index/PartTrust.h"
#include "index/SegmentWriter.h"
#include "index/Segments.h"
#include "store/CatalogRecord.h"

#include <optional>
#include <xxhash.h>

namespace quillory {

namespace {

// More text than this waiting for the part: the part gives up rather than
// hold the writing back or grow without bound.
constexpr std::size_t MostWaiting = std::size_t{32} << 20;

} // namespace

struct WrittenCatalogPart::Making {
    std::mutex Mutex;
    std::condition_variable Changed;
    std::deque<std::string> Waiting;
    std::size_t WaitingBytes = 0;
    std::string DatabasePath; // set once the text has ended
    bool Ended = false;
    bool Failed = false;
    bool Done = false;
    // The part, written into a segment not yet in place, and the check of the text.
    std::shared_ptr<const IndexFolder> Folder;
    std::unique_ptr<SegmentWriter> Writer;
    std::optional<SegmentWriter::WrittenPart> Part;
    std::uint64_t TextCheck = 0;
};

WrittenCatalogPart::WrittenCatalogPart(ByteOutput& next)
    : next_(next), writingBegan_(WallClockNow()) {
    // On a single core the part would take the walk's own time.
    if (CoreCount() < 2)
        return;
    making_ = std::make_unique<Making>();
    thread_ = std::thread([this] { Make(); });
}

WrittenCatalogPart::~WrittenCatalogPart() {
    if (!thread_.joinable())
        return;
    {
        const std::lock_guard lock(making_->Mutex);
        making_->Failed = making_->Ended = true;
    }
    making_->Changed.notify_all();
    thread_.join();
}

std::size_t WrittenCatalogPart::Write(const char* data, std::size_t count) {
    const std::size_t written = next_.Write(data, count);
    if (making_) {
        const std::lock_guard lock(making_->Mutex);
        if (!making_->Failed && making_->WaitingBytes + count > MostWaiting) {
            making_->Failed = true;
        } else if (!making_->Failed) {
            making_->Waiting.emplace_back(data, count);
            making_->WaitingBytes += count;
        }
    }
    if (making_)
        making_->Changed.notify_all();
    return written;
}

void WrittenCatalogPart::End(const std::string& databasePath) {
    if (!making_)
        return;
    {
        const std::lock_guard lock(making_->Mutex);
        making_->DatabasePath = databasePath;
        making_->Ended = true;
    }
    making_->Changed.notify_all();
}

void WrittenCatalogPart::Make() {
    Making& making = *making_;
    PartBuilder builder;
    CatalogRecordParser parser(
        [&builder](const CatalogRecordView& record) { builder.Add(record); });
    LongLineGuard guard(parser);
    XXH3_state_t* check = XXH3_createState();
    XXH3_64bits_reset(check);
    try {
        for (;;) {
            std::string piece;
            {
                std::unique_lock lock(making.Mutex);
                making.Changed.wait(
                    lock, [&] { return making.Failed || making.Ended || !making.Waiting.empty(); });
                if (making.Failed)
                    break;
                if (making.Waiting.empty()) {
                    lock.unlock();
                    guard.Finish();
                    making.Folder = IndexFolder::Open(RealPath(making.DatabasePath), true);
                    making.Writer = std::make_unique<SegmentWriter>(making.Folder);
                    making.Part = making.Writer->WritePart(builder);
                    making.TextCheck = XXH3_64bits_digest(check);
                    break;
                }
                piece = std::move(making.Waiting.front());
                making.Waiting.pop_front();
                making.WaitingBytes -= piece.size();
            }
            XXH3_64bits_update(check, piece.data(), piece.size());
            guard.Feed(piece.data(), piece.size());
        }
    } catch (...) {
        // Too large or too odd, no memory, or no index folder: no part.
    }
    XXH3_freeState(check);
    const std::lock_guard lock(making.Mutex);
    making.Failed = making.Failed || !making.Part;
    making.Waiting.clear();
    making.Done = true;
    making.Changed.notify_all();
}

void WrittenCatalogPart::Store(const std::string& databasePath, const std::string& fileName,
                               std::optional<std::uint64_t> bytesCheck) {
    if (!thread_.joinable())
        return;
    thread_.join();
    Making& making = *making_;
    if (making.Failed)
        return;
    try {
        const auto directory = DirectoryHandle::Open(RealPath(databasePath));
        if (!directory)
            return;
        const auto identity = DatabaseTimes(directory->Descriptor()).CurrentIdentity(fileName);
        if (!identity)
            return;
        making.Writer->NamePart(
            *making.Part, fileName,
            CatalogStamp{*identity, writingBegan_, bytesCheck.value_or(making.TextCheck)});
        making.Writer->Commit();
        MergeSmallSegments(making.Folder);
    } catch (...) {
        // A cache that takes nothing: the catalog is read until its part is made.
    }
}

} // namespace quillory
