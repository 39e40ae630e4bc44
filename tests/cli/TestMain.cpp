#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

// Entry times are written in UTC, and lists are ordered as in an English
// locale, whatever the machine's settings.
int main(int argc, char** argv) {
    ::setenv("TZ", "UTC", 1);
    ::setenv("LC_ALL", "en_US.UTF-8", 1);
    ::tzset();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
