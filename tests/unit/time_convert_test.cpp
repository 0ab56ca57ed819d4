// Seconds to and from SYSTEMTIME fields and text, with the float and
// truncation rules of the window's time displays.
#include "time_fields.h"

#include <gtest/gtest.h>

#include <string>

namespace {

SYSTEMTIME Split(float t)
{
    SYSTEMTIME st;
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDayOfWeek = 0;
    st.wDay = 6;
    st.wHour = st.wMinute = st.wSecond = st.wMilliseconds = 0xFFFF;
    SecondsToSystemTime(t, st);
    return st;
}

std::string Text(float t, const char* format = "%s")
{
    char out[128];
    SecondsToText(t, format, out, sizeof out);
    return out;
}

void ExpectFields(const SYSTEMTIME& st, int h, int m, int s, int ms)
{
    EXPECT_EQ(st.wHour, h);
    EXPECT_EQ(st.wMinute, m);
    EXPECT_EQ(st.wSecond, s);
    EXPECT_EQ(st.wMilliseconds, ms);
}

TEST(TimeConvert, SecondsSplitIntoTruncatedTimeFields)
{
    ExpectFields(Split(83.45f), 0, 1, 23, 449);  // the float is slightly below 83.45
    ExpectFields(Split(83.5f), 0, 1, 23, 500);
    ExpectFields(Split(3725.0f), 1, 2, 5, 0);
    ExpectFields(Split(-3.0f), 0, 0, 0, 0);
    ExpectFields(Split(90000.0f), 25, 0, 0, 0);  // hours are not limited to 23
    ExpectFields(Split(0.001f), 0, 0, 0, 1);     // the float is slightly above 0.001
}

TEST(TimeConvert, DateFieldsAreLeftAlone)
{
    SYSTEMTIME st = Split(61.25f);
    EXPECT_EQ(st.wYear, 2026);
    EXPECT_EQ(st.wMonth, 12);
    EXPECT_EQ(st.wDay, 6);
    EXPECT_EQ(st.wDayOfWeek, 0);
}

TEST(TimeConvert, TimeFieldsSumToFloatSeconds)
{
    SYSTEMTIME st = {};
    st.wSecond = 10;
    st.wMilliseconds = 701;
    EXPECT_EQ(SystemTimeToSeconds(st), 10.701f);
    st = {};
    st.wMilliseconds = 1;
    EXPECT_EQ(SystemTimeToSeconds(st), 0.001f);
    st = {};
    st.wHour = 1;
    st.wMinute = 2;
    st.wSecond = 5;
    EXPECT_EQ(SystemTimeToSeconds(st), 3725.0f);
    st.wHour = 25;
    st.wMinute = 0;
    st.wSecond = 0;
    EXPECT_EQ(SystemTimeToSeconds(st), 90000.0f);
}

TEST(TimeConvert, TextShowsTruncatedTenths)
{
    EXPECT_EQ(Text(83.45f), "00:01:23.4");
    EXPECT_EQ(Text(3725.0f), "01:02:05.0");
    EXPECT_EQ(Text(-1.0f), "00:00:00.0");
    EXPECT_EQ(Text(90000.0f), "25:00:00.0");
    EXPECT_EQ(Text(59.99f), "00:00:59.9");
    EXPECT_EQ(Text(83.45f, "持续时间: %s"), "持续时间: 00:01:23.4");
}

}  // namespace
