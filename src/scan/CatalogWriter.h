#pragma once

#include "scan/EntrySink.h"
#include "store/ByteStream.h"

#include <cstdint>
#include <functional>
#include <string>

namespace quillory {

// The sink that writes each entry as a catalog record. Records are gathered
// into large writes; a write the output does not take whole raises Error.
class CatalogWriter final : public EntrySink {
public:
    // `progress`, when given, hears the number of entries written now and then.
    CatalogWriter(ByteOutput& output, std::string path,
                  std::function<void(std::uint64_t entries)> progress = {});

    void Entry(const WalkEntry& entry) override;
    // Writes what is still gathered; call once the walk is over.
    void Flush();

private:
    ByteOutput& output_;
    std::string path_;
    std::string buffer_;
    std::function<void(std::uint64_t)> progress_;
    std::uint64_t entries_ = 0;
};

} // namespace quillory
