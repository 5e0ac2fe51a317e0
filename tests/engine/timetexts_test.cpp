#include "engine/timetexts.h"

#include <gtest/gtest.h>

TEST(TimeTexts, SecondsText)
{
    const struct {
        long long s;
        const char *text;
    } cases[] = {
        {0, "0"}, {5, "5"}, {59, "59"}, {60, "1:00"}, {65, "1:05"}, {600, "10:00"},
        {3600, "1:00:00"}, {3725, "1:02:05"}, {36000, "10:00:00"}, {360000, "100:00:00"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SecondsText(c.s), QString::fromUtf8(c.text)) << c.s;
}

TEST(TimeTexts, FractionText)
{
    const struct {
        int digits;
        double x;
        const char *text;
    } cases[] = {
        {3, 0.5, "0.500"},      {3, 61.25, "1:01.250"}, {3, -2.5, "-2.500"},  {3, 1.0, "1.000"},
        {3, 0.0, "0.000"},      {3, 1.5, "1.500"},      {3, 10.0, "10.000"},  {3, 3725.125, "1:02:05.125"},
        {2, 0.04, "0.04"},      {1, 59.95, "59.9"},     {3, 61.3, "1:01.300"}, {3, 0.3, "0.300"},
        {3, -0.25, "-0.250"},   {6, 1.0 / 29.97, "0.033366"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FractionText(c.digits, c.x), QString::fromUtf8(c.text)) << c.digits << " " << c.x;
}

TEST(TimeTexts, ParseTimeText)
{
    const struct {
        const char *text;
        long long seconds;
    } cases[] = {
        {"90", 90},
        {"1:30", 90},
        {"1:00:00", 3600},
        {"1:02:05", 3725},
        {"1:2:3:4", 0},           // three separators
        {"", 0},
        {"abc", 2748},            // lenient reading takes letters A-F as hexadecimal
        {"12px", 12},
        {"１：３０", 90},           // full-width digits and colon
        {"1,000", 1000},          // thousands separator
        {" 7 ", 7},
        {"x:30", 30},             // a part with no digits is 0
        {"-5", -5},
        {"99999999999999999999:00", 0},  // out of range parts read as 0, never overflow
        {"9223372036854775807:00:00", 9223372036854775807LL},  // saturates
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseTimeText(QString::fromUtf8(c.text)), c.seconds) << c.text;
}

TEST(TimeTexts, RoundHalfAway)
{
    EXPECT_EQ(RoundHalfAway(0.5), 1);
    EXPECT_EQ(RoundHalfAway(1.5), 2);
    EXPECT_EQ(RoundHalfAway(2.5), 3);
    EXPECT_EQ(RoundHalfAway(-0.5), -1);
    EXPECT_EQ(RoundHalfAway(-2.4), -2);
    EXPECT_EQ(RoundHalfAway(1e300), 9223372036854775807LL);
}
