#include "common/IntegerConversion.h"

#include "common/Error.h"

#include <gtest/gtest.h>
#include <limits>

namespace quillory {
namespace {

constexpr std::int32_t Min32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Max32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t Min64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t Max64 = std::numeric_limits<std::int64_t>::max();

template <typename Convert> std::string ErrorText(Convert convert, std::string_view text) {
    try {
        convert(text);
    } catch (const Error& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(IntegerConversionTest, DecimalWithBlanksAndSign) {
    EXPECT_EQ(TryStrToInt("0"), 0);
    EXPECT_EQ(TryStrToInt("007"), 7);
    EXPECT_EQ(TryStrToInt("  42"), 42);
    EXPECT_EQ(TryStrToInt("+42"), 42);
    EXPECT_EQ(TryStrToInt("   -42"), -42);
    EXPECT_EQ(TryStrToInt("-0"), 0);
}

TEST(IntegerConversionTest, HexadecimalPrefixes) {
    for (const char* text : {"$1f", "x1F", "X1f", "0x1F", "0X1f", "  $1F", "+0x1f", "$001F"})
        EXPECT_EQ(TryStrToInt(text), 31) << text;
    EXPECT_EQ(TryStrToInt("-$10"), -16);
    EXPECT_EQ(TryStrToInt(" -x10"), -16);
    EXPECT_EQ(TryStrToInt("$0"), 0);
}

TEST(IntegerConversionTest, RejectsAnythingElse) {
    for (const char* text :
         {"",     " ",   "+",   "-",   "$",   "x",   "0x",   "-$",  " +0X", "12a", "1 ",
          "12 3", " 1x", "- 5", "+-5", "$-5", "$ 5", "$0x5", "1.5", "$G",   "5-",  "1e3"})
        EXPECT_EQ(TryStrToInt(text), std::nullopt) << "'" << text << "'";
}

TEST(IntegerConversionTest, ThirtyTwoBitLimits) {
    EXPECT_EQ(TryStrToInt("2147483647"), Max32);
    EXPECT_EQ(TryStrToInt("-2147483648"), Min32);
    EXPECT_EQ(TryStrToInt("$7FFFFFFF"), Max32);
    EXPECT_EQ(TryStrToInt("-$80000000"), Min32);
    EXPECT_EQ(TryStrToInt("000000000002147483647"), Max32);
    for (const char* text : {"2147483648", "-2147483649", "$80000000", "-$80000001", "$FFFFFFFF",
                             "4294967296", "99999999999999999999999"})
        EXPECT_EQ(TryStrToInt(text), std::nullopt) << text;
}

TEST(IntegerConversionTest, SixtyFourBitVariant) {
    EXPECT_EQ(TryStrToInt64("4294967296"), 4294967296LL);
    EXPECT_EQ(TryStrToInt64(" 5000000000"), 5000000000LL);
    EXPECT_EQ(TryStrToInt64("$100000000"), 4294967296LL);
    EXPECT_EQ(TryStrToInt64("9223372036854775807"), Max64);
    EXPECT_EQ(TryStrToInt64("-9223372036854775808"), Min64);
    EXPECT_EQ(TryStrToInt64("$7FFFFFFFFFFFFFFF"), Max64);
    EXPECT_EQ(TryStrToInt64("-0x8000000000000000"), Min64);
    for (const char* text : {"9223372036854775808", "-9223372036854775809", "$8000000000000000",
                             "18446744073709551616", "$10000000000000000", "", "5000000000 "})
        EXPECT_EQ(TryStrToInt64(text), std::nullopt) << text;
}

TEST(IntegerConversionTest, FailureNamesTheOriginalText) {
    EXPECT_EQ(StrToInt(" -12"), -12);
    EXPECT_EQ(StrToInt64("6000000000"), 6000000000LL);
    EXPECT_EQ(ErrorText(StrToInt, "12a"), "'12a' is not a valid integer value");
    EXPECT_EQ(ErrorText(StrToInt, " 1x"), "' 1x' is not a valid integer value");
    EXPECT_EQ(ErrorText(StrToInt, ""), "'' is not a valid integer value");
    EXPECT_EQ(ErrorText(StrToInt, "2147483648"), "'2147483648' is not a valid integer value");
    EXPECT_EQ(ErrorText(StrToInt64, "9223372036854775808"),
              "'9223372036854775808' is not a valid integer value");
}

} // namespace
} // namespace quillory
