#include "scan/CatalogWriter.h"

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"

namespace quillory {

namespace {
constexpr std::size_t WriteSize = 256 * 1024;
}

CatalogWriter::CatalogWriter(ByteOutput& output, std::string path,
                             std::function<void(std::uint64_t)> progress)
    : output_(output), path_(std::move(path)), progress_(std::move(progress)) {
    buffer_.reserve(WriteSize + 4096);
}

void CatalogWriter::Entry(const WalkEntry& entry) {
    AppendRecord(buffer_, entry.Kind, entry.Name, entry.Directory, entry.Time, entry.Size);
    if (progress_ && ++entries_ % 4096 == 0)
        progress_(entries_);
    if (buffer_.size() >= WriteSize)
        Flush();
}

void CatalogWriter::Flush() {
    if (output_.Write(buffer_.data(), buffer_.size()) != buffer_.size())
        throw Error(FormatMessage(msg::CannotWriteFile, path_));
    buffer_.clear();
}

} // namespace quillory
