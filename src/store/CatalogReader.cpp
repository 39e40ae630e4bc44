#include "store/CatalogReader.h"

#include "store/BZip2.h"
#include "store/FileStream.h"

#include <vector>

namespace quillory {

namespace {

// The decoded bytes go straight into the parser.
class ParserOutput final : public ByteOutput {
public:
    explicit ParserOutput(CatalogRecordParser& parser) : parser_(parser) {}
    std::size_t Write(const char* data, std::size_t count) override {
        parser_.Feed(data, count);
        return count;
    }

private:
    CatalogRecordParser& parser_;
};

constexpr std::size_t PlainReadSize = 256 * 1024;

} // namespace

void ReadCatalog(const std::string& path, bool compressed, const RecordConsumer& consumer) {
    CatalogRecordParser parser(consumer);
    FileInput input(path);
    if (compressed) {
        ParserOutput output(parser);
        TBZip2().DecompressStream(input, output);
    } else {
        std::vector<char> buffer(PlainReadSize);
        while (const std::size_t got = input.Read(buffer.data(), buffer.size()))
            parser.Feed(buffer.data(), got);
    }
    parser.Finish();
}

} // namespace quillory
