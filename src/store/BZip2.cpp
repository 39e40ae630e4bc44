#include "store/BZip2.h"

#include "common/Error.h"
#include "common/Messages.h"
#include "store/FileStream.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

namespace quillory {

namespace {

void WriteAll(ByteOutput& destination, const char* data, std::size_t count) {
    if (destination.Write(data, count) != count)
        throw Error(msg::Bzip2IoError);
}

// Runs `loop`, then `end` whatever happened; an error of `end` wins over one
// of the loop, as it is the last thing that went wrong.
template <typename Loop, typename End> void RunThenEnd(Loop loop, End end) {
    std::exception_ptr failure;
    try {
        loop();
    } catch (...) {
        failure = std::current_exception();
    }
    TBZip2::CheckResult(end());
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace

TBZip2::TBZip2() = default;

int TBZip2::CheckResult(int result) {
    switch (result) {
    case BZ_OK:
    case BZ_RUN_OK:
    case BZ_FLUSH_OK:
    case BZ_FINISH_OK:
    case BZ_STREAM_END:
        return result;
    case BZ_SEQUENCE_ERROR:
        throw Error("BZ_SEQUENCE_ERROR");
    case BZ_PARAM_ERROR:
        throw Error("BZ_PARAM_ERROR");
    case BZ_MEM_ERROR:
        throw Error("BZ_MEM_ERROR");
    case BZ_DATA_ERROR:
        throw Error("BZ_DATA_ERROR");
    case BZ_DATA_ERROR_MAGIC:
        throw Error("BZ_DATA_ERROR_MAGIC");
    case BZ_IO_ERROR:
        throw Error("BZ_IO_ERROR");
    case BZ_UNEXPECTED_EOF:
        throw Error("BZ_UNEXPECTED_EOF");
    case BZ_OUTBUFF_FULL:
        throw Error("BZ_OUTBUFF_FULL");
    case BZ_CONFIG_ERROR:
        throw Error("BZ_CONFIG_ERROR");
    default:
        throw Error("BZ_UNKNOWN_ERROR");
    }
}

void TBZip2::CompressStream(ByteInput& source, ByteOutput& destination) {
    const std::int64_t size = source.Size();
    if (size == 0)
        return;
    source.Rewind();
    std::memset(&stream_, 0, sizeof stream_);
    CheckResult(BZ2_bzCompressInit(&stream_, BlockSize100k, 0, 0));
    RunThenEnd([&] { CompressLoop(source, destination, size); },
               [&] { return BZ2_bzCompressEnd(&stream_); });
}

void TBZip2::CompressLoop(ByteInput& source, ByteOutput& destination, std::int64_t size) {
    const std::size_t bufferSize = BufferSize();
    std::vector<char> input(bufferSize);
    std::vector<char> output(bufferSize);
    std::int64_t position = 0;
    while (position < size) {
        const auto wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(size - position, static_cast<std::int64_t>(bufferSize)));
        const std::size_t got = source.Read(input.data(), wanted);
        // A source that ends before its size (it shrank while being read) would
        // give a stream of less than the file: that is a failed read.
        if (got == 0)
            throw Error(msg::Bzip2IoError);
        position += static_cast<std::int64_t>(got);
        stream_.next_in = input.data();
        stream_.avail_in = static_cast<unsigned>(got);
        while (stream_.avail_in > 0) {
            stream_.next_out = output.data();
            stream_.avail_out = static_cast<unsigned>(bufferSize);
            CheckResult(BZ2_bzCompress(&stream_, BZ_RUN));
            WriteAll(destination, output.data(), bufferSize - stream_.avail_out);
        }
    }
    int result = BZ_FINISH_OK;
    while (result != BZ_STREAM_END) {
        stream_.next_out = output.data();
        stream_.avail_out = static_cast<unsigned>(bufferSize);
        result = CheckResult(BZ2_bzCompress(&stream_, BZ_FINISH));
        WriteAll(destination, output.data(), bufferSize - stream_.avail_out);
    }
}

void TBZip2::DecompressStream(ByteInput& source, ByteOutput& destination) {
    if (source.Size() == 0)
        return;
    source.Rewind();
    std::memset(&stream_, 0, sizeof stream_);
    CheckResult(BZ2_bzDecompressInit(&stream_, 0, 0));
    RunThenEnd([&] { DecompressLoop(source, destination); },
               [&] { return BZ2_bzDecompressEnd(&stream_); });
}

void TBZip2::DecompressLoop(ByteInput& source, ByteOutput& destination) {
    const std::size_t bufferSize = BufferSize();
    std::vector<char> input(bufferSize);
    std::vector<char> output(bufferSize);
    std::size_t lastRead = 0;
    int result = BZ_OK;
    while (result != BZ_STREAM_END) {
        stream_.next_out = output.data();
        stream_.avail_out = static_cast<unsigned>(bufferSize);
        do {
            if (stream_.avail_in == 0) {
                lastRead = source.Read(input.data(), bufferSize);
                stream_.next_in = input.data();
                stream_.avail_in = static_cast<unsigned>(lastRead);
            }
            result = CheckResult(BZ2_bzDecompress(&stream_));
            if (lastRead == 0 && stream_.avail_out > 0 && result != BZ_STREAM_END) {
                // The source ended inside its stream. What was decoded is kept.
                WriteAll(destination, output.data(), bufferSize - stream_.avail_out);
                CheckResult(BZ_UNEXPECTED_EOF);
            }
        } while (result != BZ_STREAM_END && stream_.avail_out > 0);
        WriteAll(destination, output.data(), bufferSize - stream_.avail_out);
    }
}

void Compress(const std::string& source, const std::string& destination, bool compress) {
    TBZip2 codec;
    FileInput input(source);
    FileOutput output(destination);
    if (compress)
        codec.CompressStream(input, output);
    else
        codec.DecompressStream(input, output);
    input.Close();
    if (!output.Close())
        throw Error(msg::Bzip2IoError);
}

} // namespace quillory
