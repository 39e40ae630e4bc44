#pragma once

#include "common/Error.h"
#include "index/IndexFolder.h"
#include "index/PartBuilder.h"
#include "index/Segment.h"
#include "index/SegmentFormat.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace quillory {

// Raised when the index folder does not take what is written (a full or
// read-only cache): nothing more can be stored in it.
class IndexNotStored : public Error {
public:
    using Error::Error;
};

// Writes a new segment into an index folder, under a hidden name of its own
// until Commit renames it into place whole: a segment cut short by a kill
// is never seen. Parts are written as they are made; one refused half-way
// leaves nothing behind. A writer is used by one thread at a time.
class SegmentWriter final : private PartOutput {
public:
    // Raises IndexNotStored when the file cannot be made. A part being written
    // raises ReadingStopped once `stop` turns true.
    explicit SegmentWriter(std::shared_ptr<const IndexFolder> folder,
                           const std::atomic<bool>* stop = nullptr);
    ~SegmentWriter() override;
    SegmentWriter(const SegmentWriter&) = delete;
    SegmentWriter& operator=(const SegmentWriter&) = delete;

    // Writes the part `builder` makes for catalog `fileName`, stamped
    // `stamp`. Raises what Finish raises, and IndexNotStored; the segment
    // stays sound.
    void Add(const std::string& fileName, const CatalogStamp& stamp, PartBuilder& builder);
    // The same in two steps, for a part made before its catalog is in place:
    // the part's bytes first, then its catalog's name and stamp.
    struct WrittenPart {
        std::uint64_t Offset = 0;
        PartShape Shape;
    };
    WrittenPart WritePart(PartBuilder& builder);
    void NamePart(const WrittenPart& part, const std::string& fileName, const CatalogStamp& stamp);
    // Writes the part an entry of another segment holds, for catalog
    // `fileName` stamped `stamp`.
    void Copy(const Segment& from, const SegmentEntry& entry, const std::string& fileName,
              const CatalogStamp& stamp);

    std::size_t Count() const { return entries_.size(); }
    std::uint64_t Bytes() const { return end_; }

    // Puts the segment in place (when it holds a part) and returns its name.
    // Raises IndexNotStored when it cannot be written.
    std::string Commit();

private:
    void Write(std::string_view bytes) override;
    void Flush();
    void Fail(int error) const;
    // Forgets what was written from `offset` on.
    void CutBack(std::uint64_t offset);

    std::shared_ptr<const IndexFolder> folder_;
    const std::atomic<bool>* stop_;
    std::string temporary_;
    int fd_ = -1;
    std::uint64_t end_ = 0;     // the bytes written so far, flushed or not
    std::uint64_t flushed_ = 0; // of which in the file
    std::string buffer_;
    std::vector<SegmentEntry> entries_;
    bool makingPart_ = false;
    bool committed_ = false;
};

} // namespace quillory
