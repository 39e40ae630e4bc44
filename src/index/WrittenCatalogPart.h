#pragma once

#include "store/ByteStream.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace quillory {

// The index part of a catalog being written, made on a thread of its own
// from the text as it passes to the file, so that the walk writing the
// catalog does not wait for it: a scan's catalog is in the index as soon as
// it is in place. Should the part fall behind the writing by too much, or
// turn out too large or too odd, there is simply none, and the catalog is
// read whole until `quillory-cli index` or the window makes it. Nothing
// here raises an Error: the catalog is what matters.
class WrittenCatalogPart final : public ByteOutput {
public:
    // Passes every byte on to `next`, the catalog's file.
    explicit WrittenCatalogPart(ByteOutput& next);
    ~WrittenCatalogPart() override;
    WrittenCatalogPart(const WrittenCatalogPart&) = delete;
    WrittenCatalogPart& operator=(const WrittenCatalogPart&) = delete;

    std::size_t Write(const char* data, std::size_t count) override;
    // The text is whole: the part is finished into a new segment of the
    // index of `databasePath` while the catalog is put in place.
    void End(const std::string& databasePath);
    // The catalog is in place as `fileName` of `databasePath`: its part goes
    // into the index, stamped with the check of the bytes put in place,
    // `bytesCheck` (a compressed catalog's, taken before it was put in place)
    // or the text's own. The stamp's moment is the writing's beginning, so
    // the part is trusted for those bytes until the index stamps it anew.
    void Store(const std::string& databasePath, const std::string& fileName,
               std::optional<std::uint64_t> bytesCheck = std::nullopt);

private:
    struct Making;
    void Make();

    ByteOutput& next_;
    std::int64_t writingBegan_;
    std::unique_ptr<Making> making_;
    std::thread thread_;
};

} // namespace quillory
