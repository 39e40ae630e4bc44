#pragma once

#include "common/Error.h"
#include "store/ByteStream.h"

#include <bzlib.h>
#include <cstdint>
#include <span>
#include <string>

namespace quillory {

// A failure of the codec itself, with the codec's own text ("BZ_DATA_ERROR",
// "bzip2: I/O error"). The codec does not know which file it works on: its
// caller, who does, names it.
class CodecError : public Error {
public:
    using Error::Error;
};

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
    // Decodes every bzip2 stream of the source, one after another, as bzip2 -d
    // does: a file written by a parallel compressor, or several bzip2 files
    // joined, is read to its end. Bytes after a stream that do not start
    // another one ("BZh" and a block size from '1' to '9') are ignored; a part
    // that starts as a stream but is damaged or cut short is an error, raised
    // once what came before it has been written. An empty source writes nothing.
    void DecompressStream(ByteInput& source, ByteOutput& destination);

    // Returns a libbz2 result of 0 to 4 unchanged and raises CodecError with the
    // result's name ("BZ_DATA_ERROR", ...) for any other.
    static int CheckResult(int result);

    const std::int32_t BlockSize100k = 1;
    const std::int32_t BufferSizeKB = 32;

private:
    std::size_t BufferSize() const { return static_cast<std::size_t>(BufferSizeKB) * 1024; }
    void CompressLoop(ByteInput& source, ByteOutput& destination, std::int64_t size);
    void DecompressLoop(ByteInput& source, ByteOutput& destination, std::span<char> input,
                        std::span<char> output);

    bz_stream stream_{};
};

// The one entry to the codec: compresses (compress = true) or decompresses the
// file `source` into `destination`, which is created or replaced. Raises
// "Cannot open file SOURCE", "Cannot create file DESTINATION", "bzip2: I/O
// error" (the destination took fewer bytes than offered, as on a full disk) or
// a libbz2 result's name. The destination keeps what was written before an error.
void Compress(const std::string& source, const std::string& destination, bool compress);

} // namespace quillory
