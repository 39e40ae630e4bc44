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
        throw CodecError(msg::Bzip2IoError);
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

// Every bzip2 stream starts with "BZh" and its block size in hundreds of
// kilobytes, '1' to '9'.
constexpr std::size_t StreamMagicSize = 4;

bool StartsStream(std::span<const char> bytes) {
    return bytes.size() >= StreamMagicSize && bytes[0] == 'B' && bytes[1] == 'Z' &&
           bytes[2] == 'h' && bytes[3] >= '1' && bytes[3] <= '9';
}

// Tells whether another stream follows the one that just ended. `pending` holds
// what the input buffer `buffer` still has of the source; when that is too short
// to hold the magic (a stream can end anywhere in a read), it is moved to the
// front of the buffer and topped up from the source.
bool StreamFollows(ByteInput& source, std::span<char> buffer, std::span<char>& pending) {
    if (pending.size() < StreamMagicSize) {
        std::size_t held = pending.size();
        if (held > 0)
            std::memmove(buffer.data(), pending.data(), held);
        while (held < StreamMagicSize) {
            const std::size_t got = source.Read(buffer.data() + held, buffer.size() - held);
            if (got == 0)
                break;
            held += got;
        }
        pending = buffer.first(held);
    }
    return StartsStream(pending);
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
        throw CodecError("BZ_SEQUENCE_ERROR");
    case BZ_PARAM_ERROR:
        throw CodecError("BZ_PARAM_ERROR");
    case BZ_MEM_ERROR:
        throw CodecError("BZ_MEM_ERROR");
    case BZ_DATA_ERROR:
        throw CodecError("BZ_DATA_ERROR");
    case BZ_DATA_ERROR_MAGIC:
        throw CodecError("BZ_DATA_ERROR_MAGIC");
    case BZ_IO_ERROR:
        throw CodecError("BZ_IO_ERROR");
    case BZ_UNEXPECTED_EOF:
        throw CodecError("BZ_UNEXPECTED_EOF");
    case BZ_OUTBUFF_FULL:
        throw CodecError("BZ_OUTBUFF_FULL");
    case BZ_CONFIG_ERROR:
        throw CodecError("BZ_CONFIG_ERROR");
    default:
        throw CodecError("BZ_UNKNOWN_ERROR");
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
            throw CodecError(msg::Bzip2IoError);
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
    const std::size_t bufferSize = BufferSize();
    std::vector<char> input(bufferSize);
    std::vector<char> output(bufferSize);
    // Bytes read from the source but not taken by the stream that just ended:
    // the start of whatever follows it.
    std::span<char> pending;
    // The first part is decoded whatever it holds, so that a source that is not
    // bzip2 at all is an error; a later part only when it starts as a stream.
    for (bool first = true; first || StreamFollows(source, input, pending); first = false) {
        std::memset(&stream_, 0, sizeof stream_);
        CheckResult(BZ2_bzDecompressInit(&stream_, 0, 0));
        stream_.next_in = pending.data();
        stream_.avail_in = static_cast<unsigned>(pending.size());
        RunThenEnd(
            [&] {
                DecompressLoop(source, destination, input, output);
                pending = {stream_.next_in, stream_.avail_in};
            },
            [&] { return BZ2_bzDecompressEnd(&stream_); });
    }
}

void TBZip2::DecompressLoop(ByteInput& source, ByteOutput& destination, std::span<char> input,
                            std::span<char> output) {
    bool sourceEnded = false;
    int result = BZ_OK;
    while (result != BZ_STREAM_END) {
        stream_.next_out = output.data();
        stream_.avail_out = static_cast<unsigned>(output.size());
        do {
            if (stream_.avail_in == 0) {
                const std::size_t got = source.Read(input.data(), input.size());
                sourceEnded = got == 0;
                stream_.next_in = input.data();
                stream_.avail_in = static_cast<unsigned>(got);
            }
            result = CheckResult(BZ2_bzDecompress(&stream_));
            if (sourceEnded && stream_.avail_out > 0 && result != BZ_STREAM_END) {
                // The source ended inside its stream. What was decoded is kept.
                WriteAll(destination, output.data(), output.size() - stream_.avail_out);
                CheckResult(BZ_UNEXPECTED_EOF);
            }
        } while (result != BZ_STREAM_END && stream_.avail_out > 0);
        WriteAll(destination, output.data(), output.size() - stream_.avail_out);
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
        throw CodecError(msg::Bzip2IoError);
}

} // namespace quillory
