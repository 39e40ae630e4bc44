#include "store/BZip2.h"

#include "store/FileStream.h"
#include "support/FailingOutput.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace quillory {
namespace {

using test::ErrorText;
using test::ReadFile;
using test::WriteFile;

constexpr std::size_t B = 32768; // the codec's buffer size

// Bytes that bzip2 cannot shrink, so the compressed form is about as long.
std::string Noise(std::size_t size, std::uint32_t seed = 1) {
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        byte = static_cast<char>(seed);
    }
    return bytes;
}

// Catalog-like text that compresses well.
std::string Text(std::size_t size) {
    std::string text;
    for (int i = 0; text.size() < size; ++i)
        text += "F\r\nfile" + std::to_string(i) + ".doc\r\n\\docs\\\r\n";
    text.resize(size);
    return text;
}

// How many bytes of `packed` the first block takes, with the stream header:
// up to the byte that holds the first bit of the second block's magic number.
std::size_t FirstBlockBytes(const std::string& packed) {
    constexpr std::uint64_t BlockMagic = 0x314159265359, Mask = (std::uint64_t{1} << 48) - 1;
    std::uint64_t window = 0;
    for (std::size_t bit = 0; bit < packed.size() * 8; ++bit) {
        window = ((window << 1) | ((packed[bit / 8] >> (7 - bit % 8)) & 1)) & Mask;
        if (window == BlockMagic && bit > 80)
            return (bit - 47 + 7) / 8;
    }
    return 0;
}

// Compares byte strings of any size without printing them.
::testing::AssertionResult Same(const std::string& got, const std::string& want) {
    if (got == want)
        return ::testing::AssertionSuccess();
    const auto first = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    return ::testing::AssertionFailure() << got.size() << " bytes instead of " << want.size()
                                         << ", first difference at " << first.first - got.begin();
}

bool HaveBzip2Program() {
    return std::system("command -v bzip2 > /dev/null 2>&1") == 0;
}

int Shell(const std::string& command) {
    return std::system(command.c_str());
}

class BZip2Test : public ::testing::Test {
protected:
    // Compresses or decompresses `bytes` through files; returns the result.
    std::string Convert(std::string_view bytes, bool compress) {
        WriteFile(dir.File("in"), bytes);
        Compress(dir.File("in"), dir.File("out"), compress);
        return ReadFile(dir.File("out"));
    }
    // Decompresses `bytes`; returns the error text and leaves the output in `out`.
    std::string DecompressError(std::string_view bytes) {
        WriteFile(dir.File("in"), bytes);
        return ErrorText([&] { Compress(dir.File("in"), dir.File("out"), false); });
    }
    std::string Out() const { return ReadFile(dir.File("out")); }

    test::TempDir dir;
};

TEST_F(BZip2Test, RoundTripsAroundTheBufferSize) {
    // Decoded sizes of exactly one or two buffers fill the output buffer just as
    // the stream ends.
    for (const std::size_t size :
         {std::size_t{1}, B - 1, B, B + 1, 2 * B, 3 * B, std::size_t{300000}}) {
        for (const std::string& original : {Noise(size), Text(size)}) {
            SCOPED_TRACE(size);
            const std::string packed = Convert(original, true);
            EXPECT_EQ(packed.substr(0, 4), "BZh1");
            EXPECT_TRUE(Same(Convert(packed, false), original));
        }
    }
}

TEST_F(BZip2Test, InteroperatesWithTheBzip2Program) {
    if (!HaveBzip2Program())
        GTEST_SKIP() << "bzip2 is not on PATH";
    const std::string in = dir.File("in"), out = dir.File("out"), theirs = dir.File("theirs");
    for (const std::size_t size : {std::size_t{1}, B, B + 1, 2 * B, std::size_t{300000}}) {
        for (const std::string& original : {Noise(size), Text(size)}) {
            SCOPED_TRACE(size);
            WriteFile(in, original);
            Compress(in, out, true);
            ASSERT_EQ(Shell("bzip2 -d -c '" + out + "' > '" + theirs + "'"), 0);
            EXPECT_TRUE(Same(ReadFile(theirs), original));

            ASSERT_EQ(Shell("bzip2 -1 -c '" + in + "' > '" + theirs + "'"), 0);
            Compress(theirs, out, false);
            EXPECT_TRUE(Same(ReadFile(out), original));
        }
    }
}

TEST_F(BZip2Test, EmptyStaysEmptyBothWays) {
    WriteFile(dir.File("out"), "old content");
    EXPECT_EQ(Convert("", true), "");
    WriteFile(dir.File("out"), "old content");
    EXPECT_EQ(Convert("", false), "");
}

// What bzip2 writes for an empty file: a stream with no block.
const std::string EmptyStream("BZh9\x17\x72\x45\x38\x50\x90\0\0\0\0", 14);

// A source that hands out at most `chunk` bytes a read, so that stream ends and
// the magic of the next stream fall anywhere inside and across reads.
class ChunkedInput final : public ByteInput {
public:
    ChunkedInput(std::string bytes, std::size_t chunk) : bytes_(std::move(bytes)), chunk_(chunk) {}
    std::int64_t Size() override { return std::int64_t(bytes_.size()); }
    void Rewind() override { at_ = 0; }
    std::size_t Read(char* buffer, std::size_t count) override {
        const std::size_t got = bytes_.copy(buffer, std::min(count, chunk_), at_);
        at_ += got;
        return got;
    }

private:
    std::string bytes_;
    std::size_t chunk_;
    std::size_t at_ = 0;
};

TEST_F(BZip2Test, ReadsEveryStreamAndIgnoresWhatFollows) {
    const std::string text = Text(50000), noise = Noise(1000);
    const std::string first = Convert(text, true), second = Convert(noise, true);
    // Streams of many sizes, so that their ends fall at many places in a buffer.
    std::string many, manyPacked;
    for (std::size_t size = 1; size < 3 * B; size = size * 3 + 7) {
        many += Noise(size, std::uint32_t(size));
        manyPacked += Convert(Noise(size, std::uint32_t(size)), true);
    }
    const struct {
        std::string packed, original;
    } cases[] = {
        {first + "trailing garbage", text},
        {first + Noise(3 * B), text},
        {first + second, text + noise},
        {first + second + "trailing garbage", text + noise},
        {first + EmptyStream + second + EmptyStream, text + noise},
        {EmptyStream + first, text},
        {EmptyStream, ""},
        // Too short for a magic, or a block size that is not one: not a stream.
        {first + second + "BZh", text + noise},
        {first + "BZh0" + second, text},
        {manyPacked, many},
    };
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{4093}, B}) {
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            SCOPED_TRACE(testing::Message() << "case " << i << ", reads of " << chunk);
            ChunkedInput source(cases[i].packed, chunk);
            test::FailingOutput out(cases[i].original.size() + 1);
            TBZip2().DecompressStream(source, out);
            EXPECT_TRUE(Same(out.Bytes, cases[i].original));
        }
    }
    EXPECT_TRUE(Same(Convert(manyPacked, false), many));
}

TEST_F(BZip2Test, DamagedLaterStreamFailsAfterTheEarlierOnes) {
    const std::string text = Text(50000), noise = Noise(1000);
    const std::string first = Convert(text, true), second = Convert(noise, true);
    std::string badCrc = second;
    badCrc[10] ^= 0x55; // the block's CRC, after "BZh1" and the block magic
    const struct {
        std::string next, error;
    } cases[] = {
        {"BZh1", "BZ_UNEXPECTED_EOF"},
        {second.substr(0, second.size() / 2), "BZ_UNEXPECTED_EOF"},
        {second.substr(0, second.size() - 1), "BZ_UNEXPECTED_EOF"},
        {"BZh1 is not a block", "BZ_DATA_ERROR"},
        {badCrc, "BZ_DATA_ERROR"},
        {EmptyStream + badCrc, "BZ_DATA_ERROR"},
    };
    for (const auto& [next, error] : cases) {
        SCOPED_TRACE(error + " after " + std::to_string(next.size()) + " bytes");
        EXPECT_EQ(DecompressError(first + next), error);
        const std::string out = Out();
        EXPECT_TRUE(out.starts_with(text));
        EXPECT_TRUE((text + noise).starts_with(out));
    }
}

// The programs' own files: joined bzip2 outputs and pbzip2's, which is one
// stream per block. Each is checked against the original and bzip2 -d.
TEST_F(BZip2Test, ReadsFilesOfManyStreamsThatOtherProgramsWrite) {
    if (!HaveBzip2Program())
        GTEST_SKIP() << "bzip2 is not on PATH";
    const std::string in = dir.File("in"), packed = dir.File("packed"), out = dir.File("out"),
                      theirs = dir.File("theirs");
    const std::string original = Text(3000000) + Noise(300000) + Text(5);
    WriteFile(in, original);
    const std::string joined = "bzip2 -c '" + in + "'; bzip2 -c < /dev/null; bzip2 -1 -c '" + in +
                               "'; printf 'x' | bzip2 -c";
    const struct {
        std::string command, original;
        bool needsPbzip2;
    } cases[] = {
        {joined, original + original + "x", false},
        {"pbzip2 -1 -b1 -c '" + in + "'", original, true},
        {"pbzip2 -9 -b3 -p2 -c '" + in + "'; pbzip2 -c < /dev/null", original, true},
    };
    const bool havePbzip2 = Shell("command -v pbzip2 > /dev/null 2>&1") == 0;
    for (const auto& [command, want, needsPbzip2] : cases) {
        SCOPED_TRACE(command);
        if (needsPbzip2 && !havePbzip2)
            continue;
        ASSERT_EQ(Shell("(" + command + ") > '" + packed + "'"), 0);
        ASSERT_EQ(Shell("bzip2 -d -c '" + packed + "' > '" + theirs + "'"), 0);
        Compress(packed, out, false);
        EXPECT_TRUE(Same(ReadFile(out), want));
        EXPECT_TRUE(Same(ReadFile(out), ReadFile(theirs)));
    }
    if (!havePbzip2)
        GTEST_SKIP() << "pbzip2 is not on PATH (Debian package pbzip2): its files were not read";
}

TEST_F(BZip2Test, CutStreamKeepsWhatWasDecoded) {
    // Three blocks of about 100 000 bytes; a block is decoded once all of it is read.
    const std::string original = Noise(300000);
    const std::string packed = Convert(original, true);
    auto cutTo = [&](std::size_t length) {
        EXPECT_EQ(DecompressError(packed.substr(0, length)), "BZ_UNEXPECTED_EOF") << length;
        const std::string out = Out();
        EXPECT_TRUE(original.starts_with(out)) << length;
        return out.size();
    };
    for (const std::size_t length : {std::size_t{1}, std::size_t{4}, std::size_t{14}, B})
        EXPECT_EQ(cutTo(length), 0u) << length;
    const std::size_t half = cutTo(packed.size() / 2);
    EXPECT_GT(half, 3 * B);
    EXPECT_LE(half, 100000u);
    // Cut just after the first block: its bytes still fill several buffers
    // after the source has ended, and all of them are kept.
    EXPECT_EQ(cutTo(FirstBlockBytes(packed)), half);
    // Only the end-of-stream mark is cut: every block is kept.
    EXPECT_EQ(cutTo(packed.size() - 1), original.size());
}

TEST_F(BZip2Test, DamagedStreams) {
    EXPECT_EQ(DecompressError("plain text, not bzip2"), "BZ_DATA_ERROR_MAGIC");
    EXPECT_EQ(DecompressError("BZh0"), "BZ_DATA_ERROR_MAGIC");

    std::string packed = Convert(Text(200000), true);
    packed[10] ^= 0x55; // the first block's CRC, after "BZh1" and the block magic
    EXPECT_EQ(DecompressError(packed), "BZ_DATA_ERROR");

    packed = Convert(Noise(200000), true);
    for (const std::size_t at : {packed.size() / 3, packed.size() / 2}) {
        std::string damaged = packed;
        damaged[at] ^= 0x10;
        EXPECT_EQ(DecompressError(damaged).substr(0, 3), "BZ_") << at;
    }
}

TEST_F(BZip2Test, FileErrorsNameTheFileAndSpareTheSource) {
    const std::string source = dir.File("source"), missing = dir.File("missing");
    const std::string unreachable = dir.File("no/such/dir/out");
    EXPECT_EQ(ErrorText([&] { Compress(missing, dir.File("dest"), true); }),
              "Cannot open file " + missing);
    EXPECT_FALSE(std::filesystem::exists(dir.File("dest")));

    WriteFile(source, Text(1000));
    for (const bool compress : {true, false}) {
        EXPECT_EQ(ErrorText([&] { Compress(source, unreachable, compress); }),
                  "Cannot create file " + unreachable);
        EXPECT_EQ(ReadFile(source), Text(1000));
    }

    EXPECT_EQ(ErrorText([&] { Compress(source, "/dev/full", true); }), "bzip2: I/O error");
    WriteFile(source, Convert(Text(1000), true));
    EXPECT_EQ(ErrorText([&] { Compress(source, "/dev/full", false); }), "bzip2: I/O error");
}

TEST_F(BZip2Test, OutputThatFillsUpAtAnyPoint) {
    const std::string original = Noise(100000) + Text(100000);
    const std::string packed = Convert(original, true);
    WriteFile(dir.File("plain"), original);
    WriteFile(dir.File("packed"), packed);
    // One codec and one pair of sources for every run: a failed run leaves
    // nothing behind, and each run starts from the source's first byte.
    TBZip2 codec;
    FileInput plain(dir.File("plain")), source(dir.File("packed"));
    for (const std::size_t capacity :
         {std::size_t{0}, std::size_t{1}, std::size_t{4}, B - 1, B, B + 1, packed.size() - 1}) {
        SCOPED_TRACE(capacity);
        test::FailingOutput compressed(capacity);
        EXPECT_EQ(ErrorText([&] { codec.CompressStream(plain, compressed); }), "bzip2: I/O error");
        EXPECT_TRUE(packed.starts_with(compressed.Bytes));

        test::FailingOutput decompressed(capacity);
        EXPECT_EQ(ErrorText([&] { codec.DecompressStream(source, decompressed); }),
                  "bzip2: I/O error");
        EXPECT_TRUE(original.starts_with(decompressed.Bytes));
    }
    test::FailingOutput whole(packed.size());
    codec.CompressStream(plain, whole);
    EXPECT_TRUE(Same(whole.Bytes, packed));
}

// A source that holds less than its size says, as a file that shrinks while it
// is read.
class ShrinkingInput final : public ByteInput {
public:
    explicit ShrinkingInput(std::string bytes) : bytes_(std::move(bytes)) {}
    std::int64_t Size() override { return std::int64_t(bytes_.size()) + 1; }
    void Rewind() override { at_ = 0; }
    std::size_t Read(char* buffer, std::size_t count) override {
        const std::size_t got = bytes_.copy(buffer, count, at_);
        at_ += got;
        return got;
    }

private:
    std::string bytes_;
    std::size_t at_ = 0;
};

TEST(BZip2StreamTest, SourceThatShrinksIsAnIoError) {
    ShrinkingInput source(Text(3 * B));
    test::FailingOutput destination(1 << 20);
    EXPECT_EQ(ErrorText([&] { TBZip2().CompressStream(source, destination); }), "bzip2: I/O error");
}

TEST(BZip2CheckResultTest, PassesSuccessAndNamesFailures) {
    for (int result = 0; result <= 4; ++result)
        EXPECT_EQ(TBZip2::CheckResult(result), result);
    const char* const names[] = {"BZ_SEQUENCE_ERROR", "BZ_PARAM_ERROR",      "BZ_MEM_ERROR",
                                 "BZ_DATA_ERROR",     "BZ_DATA_ERROR_MAGIC", "BZ_IO_ERROR",
                                 "BZ_UNEXPECTED_EOF", "BZ_OUTBUFF_FULL",     "BZ_CONFIG_ERROR"};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(ErrorText([&] { TBZip2::CheckResult(-1 - i); }), names[i]);
    for (const int result : {-10, 5, 7, -1000})
        EXPECT_EQ(ErrorText([&] { TBZip2::CheckResult(result); }), "BZ_UNKNOWN_ERROR") << result;
}

} // namespace
} // namespace quillory
