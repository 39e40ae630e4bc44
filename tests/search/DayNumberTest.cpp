#include "search/DayNumber.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

using test::ErrorText;

TEST(DayNumberTest, CountsDaysFromTheEpochAcrossMonthsAndCalendars) {
    EXPECT_EQ(mjd(17, 11, 1858), 0.0);
    EXPECT_EQ(mjd(18, 11, 1858), 1.0);
    EXPECT_EQ(mjd(16, 11, 1858), -1.0);
    EXPECT_EQ(mjd(1, 1, 2000), 51544.0);
    EXPECT_EQ(mjd(1, 3, 2003) - mjd(28, 2, 2003), 1.0);
    EXPECT_EQ(mjd(1, 3, 2004) - mjd(28, 2, 2004), 2.0); // leap year
    EXPECT_EQ(mjd(1, 3, 1900) - mjd(28, 2, 1900), 1.0); // Gregorian: no 29 February 1900
    EXPECT_EQ(mjd(1, 3, 1500) - mjd(28, 2, 1500), 2.0); // Julian: 1500 is a leap year
    EXPECT_EQ(mjd(1, 1, 2004) - mjd(31, 12, 2003), 1.0);
    // The ten days between the calendars do not exist.
    EXPECT_EQ(mjd(15, 10, 1582) - mjd(4, 10, 1582), 1.0);
    EXPECT_EQ(mjd(4, 10, 1582) - mjd(3, 10, 1582), 1.0);
    EXPECT_EQ(mjd(16, 10, 1582) - mjd(15, 10, 1582), 1.0);
}

TEST(DayNumberTest, ParseTripleAcceptsLeadingZerosAndRefusesMissingPieces) {
    EXPECT_EQ(ParseTriple("5/3/2003", '/'), (std::array<int, 3>{5, 3, 2003}));
    EXPECT_EQ(ParseTriple("05/03/02003", '/'), (std::array<int, 3>{5, 3, 2003}));
    EXPECT_EQ(ParseTriple("00:04:09", ':'), (std::array<int, 3>{0, 4, 9}));

    EXPECT_EQ(ErrorText([] { ParseTriple("5/3", '/'); }), "'' is not a valid integer value");
    EXPECT_EQ(ErrorText([] { ParseTriple("", '/'); }), "'' is not a valid integer value");
    EXPECT_EQ(ErrorText([] { ParseTriple("5/x/2003", '/'); }), "'x' is not a valid integer value");
    EXPECT_EQ(ErrorText([] { ParseTriple("5/3/2003/1", '/'); }),
              "'2003/1' is not a valid integer value");
    EXPECT_EQ(ErrorText([] { ParseTriple("10.04.00", ':'); }), "'' is not a valid integer value");
}

TEST(DayNumberTest, TimeValueAddsTheTimeOfDay) {
    EXPECT_EQ(TimeValue("1/3/2003", "00:00:00"), mjd(1, 3, 2003));
    EXPECT_EQ(TimeValue("1/3/2003", "12:00:00"), mjd(1, 3, 2003) + 0.5);
    EXPECT_LT(TimeValue("1/3/2003", "23:59:59"), TimeValue("2/3/2003", "00:00:00"));
    EXPECT_EQ(ErrorText([] { TimeValue("1/3/2003", "10:04"); }), "'' is not a valid integer value");
    EXPECT_EQ(ErrorText([] { TimeValue("1-3-2003", "10:04:00"); }),
              "'' is not a valid integer value");
}

} // namespace
} // namespace quillory
