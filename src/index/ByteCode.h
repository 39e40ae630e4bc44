#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quillory {

// A canonical prefix code over bytes, made for the names of one index part
// from how often each byte occurs in them: file names are mostly letters,
// digits and a few marks, so they take about half their bytes. A code
// is at most MaxLength bits, so one table lookup decodes a byte.
class ByteCode {
public:
    static constexpr unsigned MaxLength = 10;

    // The code for text whose bytes occur `counts` times; bytes that never
    // occur get no code.
    static ByteCode ForCounts(const std::array<std::uint64_t, 256>& counts);
    // The code of `lengths` (256 bytes, as Lengths gives them); raises
    // DamagedPart when they make no prefix code. Made in place, as its
    // decoding table is large to copy.
    explicit ByteCode(std::string_view lengths);

    // Each byte's code length, 0 for a byte without a code.
    std::string Lengths() const;

    // Appends the codes of `text`, every byte of which has a code.
    class Writer {
    public:
        explicit Writer(const ByteCode& code) : code_(code) {}
        void Add(std::string_view text);
        // The bits written, the last byte filled with zeros.
        std::string Finish();

    private:
        const ByteCode& code_;
        std::string out_;
        std::uint64_t pending_ = 0;
        unsigned pendingBits_ = 0;
    };

    // Names are coded as Streams streams side by side, each a run of whole
    // names: the bytes of one stream depend on each other (where a code
    // ends, the next begins), those of different streams do not, so a
    // reader decodes all of them at once.
    static constexpr std::size_t Streams = 4;
    struct CodedStream {
        std::string_view Bits;
        std::size_t Count = 0; // the bytes it holds
    };

    // Writes the bytes of `streams`, one stream after another, to `out`, and
    // to `upper`, when given, the same bytes with their ASCII letters
    // upper-cased; `out` and `upper` have room for them all. Raises
    // DamagedPart on a bit pattern that is no code or on running out of bits.
    void Decode(std::span<const CodedStream, Streams> streams, char* out,
                char* upper = nullptr) const;

private:
    ByteCode() = default;
    void AssignCodes();
    template <bool Upper>
    void DecodeInto(std::span<const CodedStream, Streams> streams, char* out, char* upper) const;

    std::array<std::uint8_t, 256> lengths_{};
    std::array<std::uint16_t, 256> codes_{};
    // For each MaxLength-bit pattern: the byte whose code begins it, the
    // same byte upper-cased, NoCode when no code begins so, and the code's
    // length (a byte each from the lowest).
    static constexpr std::uint32_t NoCode = 1u << 16;
    std::array<std::uint32_t, 1u << MaxLength> table_;
};

} // namespace quillory
