#include "store/CatalogReader.h"

#include "store/BZip2.h"
#include "store/FileStream.h"

#include <memory>

namespace quillory {

namespace {

// The decoded bytes go straight into the sink.
class SinkOutput final : public ByteOutput {
public:
    explicit SinkOutput(CatalogTextSink& sink) : sink_(sink) {}
    std::size_t Write(const char* data, std::size_t count) override {
        sink_.Feed(data, count);
        return count;
    }

private:
    CatalogTextSink& sink_;
};

constexpr std::size_t PlainReadSize = 256 * 1024;

} // namespace

void ReadCatalog(const std::string& path, bool compressed, const RecordConsumer& consumer) {
    CatalogRecordParser parser(consumer);
    ReadCatalogText(path, compressed, parser);
}

void ReadCatalogText(const std::string& path, bool compressed, CatalogTextSink& sink) {
    FileInput input(path);
    ReadCatalogText(input, compressed, sink);
}

void ReadCatalogText(ByteInput& input, bool compressed, CatalogTextSink& sink) {
    if (compressed) {
        SinkOutput output(sink);
        TBZip2().DecompressStream(input, output);
    } else {
        const auto buffer = std::make_unique_for_overwrite<char[]>(PlainReadSize);
        while (const std::size_t got = input.Read(buffer.get(), PlainReadSize))
            sink.Feed(buffer.get(), got);
    }
    sink.Finish();
}

} // namespace quillory
