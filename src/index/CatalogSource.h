#pragma once

#include "index/CatalogIdentity.h"
#include "store/ByteStream.h"
#include "store/CatalogRecord.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace quillory {

// Raised by a reading told to stop.
struct ReadingStopped {};

// A catalog file read for the search index: opened without waiting (a FIFO
// named like a catalog is no regular file and is refused), looked at through
// the open file, and read once, its bytes' check taken as they pass.
class CatalogSource final : public ByteInput {
public:
    // Catalog `name` of the database directory open as `directory`. Raises
    // Error("Cannot open file NAME") when it cannot be opened or is no
    // regular file.
    CatalogSource(int directory, const std::string& name);
    ~CatalogSource() override;
    CatalogSource(const CatalogSource&) = delete;
    CatalogSource& operator=(const CatalogSource&) = delete;

    // The identity the file had when it was opened, and has now.
    const CatalogIdentity& Identity() const { return identity_; }
    std::optional<CatalogIdentity> IdentityNow() const;

    // Reads every byte and returns their check; raises ReadingStopped once
    // `stop` turns true.
    std::uint64_t CheckAll(const std::atomic<bool>* stop = nullptr);
    // Hands the catalog's text to `sink`, decoding it when `compressed`, and
    // returns the check of the file's bytes. Raises the file's or the codec's
    // Error, and ReadingStopped once `stop` turns true.
    std::uint64_t ReadText(bool compressed, CatalogTextSink& sink,
                           const std::atomic<bool>* stop = nullptr);

    std::int64_t Size() override;
    void Rewind() override;
    std::size_t Read(char* buffer, std::size_t count) override;

private:
    int fd_ = -1;
    std::string name_;
    CatalogIdentity identity_;
    struct Check;
    std::unique_ptr<Check> check_;
    const std::atomic<bool>* stop_ = nullptr;
};

} // namespace quillory
