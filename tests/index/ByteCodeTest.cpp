#include "index/ByteCode.h"

#include "common/AsciiUpper.h"
#include "index/ByteReader.h"
#include "index/PackedArray.h"

#include <gtest/gtest.h>
#include <random>

namespace quillory {
namespace {

// Streams of every length around the decoder's turns (the codes one window
// holds, the eight bytes it refills by, an empty stream, one far longer than
// the others) decode to the very bytes and their upper-cased copy, whatever
// the code's lengths; bits cut short or past the code are damage.
TEST(ByteCodeTest, StreamsDecodeSideBySideToTheirBytes) {
    std::mt19937 random(7);
    const std::vector<std::array<std::size_t, ByteCode::Streams>> shapes = {
        {0, 0, 0, 0},   {1, 0, 0, 0},     {0, 0, 0, 9},   {4, 5, 6, 7},         {10, 10, 10, 10},
        {11, 3, 40, 0}, {64, 65, 66, 67}, {200, 1, 1, 1}, {500, 480, 510, 499},
    };
    for (const std::string& alphabet : {std::string("ab"), std::string("aAbBcC .-_0123xyz"),
                                        std::string("\x01\xff\xc3\xa9zZ", 6)}) {
        std::array<std::uint64_t, 256> counts{};
        for (std::size_t i = 0; i < alphabet.size(); ++i)
            counts[static_cast<unsigned char>(alphabet[i])] =
                1 + i * i * 37; // skewed: long codes too
        const ByteCode code = ByteCode::ForCounts(counts);
        const ByteCode read(code.Lengths());
        for (const auto& shape : shapes) {
            std::array<std::string, ByteCode::Streams> texts, bits;
            std::array<ByteCode::CodedStream, ByteCode::Streams> streams;
            std::string all;
            for (std::size_t s = 0; s < ByteCode::Streams; ++s) {
                for (std::size_t i = 0; i < shape[s]; ++i)
                    texts[s] += alphabet[random() % alphabet.size()];
                ByteCode::Writer writer(code);
                writer.Add(texts[s]);
                bits[s] = writer.Finish();
                streams[s] = {bits[s], texts[s].size()};
                all += texts[s];
            }
            std::string out(all.size(), '?'), upper(all.size(), '?');
            read.Decode(streams, out.data(), upper.data());
            EXPECT_EQ(out, all);
            EXPECT_EQ(upper, AsciiUpper(all));
            std::string plain(all.size(), '?');
            read.Decode(streams, plain.data());
            EXPECT_EQ(plain, all);

            const std::size_t longest = static_cast<std::size_t>(
                std::max_element(shape.begin(), shape.end()) - shape.begin());
            if (bits[longest].empty())
                continue;
            auto cut = streams;
            cut[longest].Bits.remove_suffix(1);
            EXPECT_THROW(read.Decode(cut, out.data(), upper.data()), DamagedPart);
            auto longer = streams;
            longer[longest].Count += 16;
            std::string room(all.size() + 16, '?');
            EXPECT_THROW(read.Decode(longer, room.data()), DamagedPart);
        }
    }
}

// A code of one byte covers half the bit patterns: the other half is damage.
TEST(ByteCodeTest, BitsNoCodeBeginsWithAreDamage) {
    std::array<std::uint64_t, 256> counts{};
    counts['x'] = 5;
    const ByteCode read(ByteCode::ForCounts(counts).Lengths());
    const std::array<ByteCode::CodedStream, ByteCode::Streams> streams = {
        ByteCode::CodedStream{std::string_view("\x00", 1), 8}, {}, {}, {"\xff\xff", 16}};
    std::string out(24, '?');
    EXPECT_THROW(read.Decode(streams, out.data()), DamagedPart);
}

// A column's count is held against the bytes before it is multiplied by its
// width: a count that would wrap the product around finds no bytes.
TEST(PackedArrayTest, ACountTheBytesCannotHoldIsDamage) {
    for (const std::uint64_t count :
         {std::uint64_t{1} << 59, std::uint64_t{1} << 40, std::uint64_t{9}}) {
        std::string bytes;
        AppendVarint(bytes, 0);
        bytes += static_cast<char>(32); // width
        bytes += std::string(4, '\0');
        ByteReader reader(bytes);
        EXPECT_THROW(PackedArray(reader, static_cast<std::size_t>(count)), DamagedPart) << count;
    }
}

} // namespace
} // namespace quillory
