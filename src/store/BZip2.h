#pragma once

#include "store/ByteStream.h"

#include <bzlib.h>
#include <cstdint>
#include <string>

namespace quillory {

// Drives libbz2's streaming interface between two byte streams. Each operation
// works with two buffers of BufferSizeKB kilobytes of its own, so memory stays
// the same whatever the size of the file.
class TBZip2 {
public:
    TBZip2();
    TBZip2(const TBZip2&) = delete;
    TBZip2& operator=(const TBZip2&) = delete;

    // Writes one bzip2 stream holding the whole source. An empty source writes
    // nothing at all, not even a stream header.
    void CompressStream(ByteInput& source, ByteOutput& destination);
    // Decodes the one bzip2 stream at the start of the source; bytes after its
    // end, a second stream included, are not read. An empty source writes nothing.
    void DecompressStream(ByteInput& source, ByteOutput& destination);

    // Returns a libbz2 result of 0 to 4 unchanged and raises Error with the
    // result's name ("BZ_DATA_ERROR", ...) for any other.
    static int CheckResult(int result);

    const std::int32_t BlockSize100k = 1;
    const std::int32_t BufferSizeKB = 32;

private:
    std::size_t BufferSize() const { return static_cast<std::size_t>(BufferSizeKB) * 1024; }
    void CompressLoop(ByteInput& source, ByteOutput& destination, std::int64_t size);
    void DecompressLoop(ByteInput& source, ByteOutput& destination);

    bz_stream stream_{};
};

// The one entry to the codec: compresses (compress = true) or decompresses the
// file `source` into `destination`, which is created or replaced. Raises
// "Cannot open file SOURCE", "Cannot create file DESTINATION", "bzip2: I/O
// error" (the destination took fewer bytes than offered, as on a full disk) or
// a libbz2 result's name. The destination keeps what was written before an error.
void Compress(const std::string& source, const std::string& destination, bool compress);

} // namespace quillory
