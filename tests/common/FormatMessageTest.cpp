#include "common/FormatMessage.h"

#include "common/Messages.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

TEST(FormatMessageTest, FillsOnlyTheFirstPlaceAndCopiesTheArgumentAsIs) {
    EXPECT_EQ(FormatMessage(msg::NotValidInteger, "12a"), "'12a' is not a valid integer value");
    EXPECT_EQ(FormatMessage(msg::NotValidInteger, ""), "'' is not a valid integer value");
    EXPECT_EQ(FormatMessage("%s and %s", "one"), "one and %s");
    EXPECT_EQ(FormatMessage(msg::CannotOpenFile, "/tmp/100%s %d.txt"),
              "Cannot open file /tmp/100%s %d.txt");
    EXPECT_EQ(FormatMessage("no place", "x"), "no place");
}

TEST(FormatMessageTest, FillsSeveralPlacesInOrderWithoutSearchingTheArguments) {
    EXPECT_EQ(FormatMessage("%s of %s read", {"3", "10"}), "3 of 10 read");
    EXPECT_EQ(FormatMessage("%s and %s", {"%s", "two"}), "%s and two");
    EXPECT_EQ(FormatMessage("%s, %s, %s", {"one"}), "one, %s, %s");
    EXPECT_EQ(FormatMessage("%s", {"one", "two"}), "one");
}

TEST(WithFullStopTest, AppendsAfterACodeAboveFullStop) {
    EXPECT_EQ(WithFullStop("abc"), "abc.");
    EXPECT_EQ(WithFullStop("x1"), "x1.");
    EXPECT_EQ(WithFullStop("a/"), "a/."); // "/" is the code right after "."
    EXPECT_EQ(WithFullStop("caf\xC3\xA9"), "caf\xC3\xA9.");
}

TEST(WithFullStopTest, KeepsAnEndAtOrBelowFullStop) {
    for (const char* text : {"", "done.", "f(x)", "'it'", "a-", "100%", "trailing "})
        EXPECT_EQ(WithFullStop(text), text);
}

} // namespace
} // namespace quillory
