// The selection's start and end rules, the slider caption, the tenths field
// of the time editors and the editors' range and dates, against values
// worked out by hand.
#include "slider_mapping.h"
#include "time_fields.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Selection {
    float start;
    float end;
};

Selection AfterStart(float value, Selection s, float duration = 120)
{
    MoveSelectionStart(value, duration, s.start, s.end);
    return s;
}

Selection AfterEnd(float value, Selection s)
{
    MoveSelectionEnd(value, s.start, s.end);
    return s;
}

TEST(SelectionRules, AStartBeyondTheEndWidensTheEndAndAnEndBeforeTheStartWidensTheStart)
{
    Selection s = AfterStart(80, {10, 60});
    EXPECT_EQ(s.start, 80.0f);
    EXPECT_EQ(s.end, 120.0f);
    s = AfterEnd(5, {10, 60});
    EXPECT_EQ(s.start, 0.0f);
    EXPECT_EQ(s.end, 5.0f);
    // Within the selection, or on its other end: nothing else moves.
    s = AfterStart(30, {10, 60});
    EXPECT_EQ(s.start, 30.0f);
    EXPECT_EQ(s.end, 60.0f);
    s = AfterStart(60, {10, 60});
    EXPECT_EQ(s.end, 60.0f);
    s = AfterEnd(10, {10, 60});
    EXPECT_EQ(s.start, 10.0f);
}

TEST(SelectionRules, ClampingKeepsTheSelectionInTheFileButMaySeeItReversed)
{
    Selection s = {-1, 130};
    ClampSelection(120, s.start, s.end);
    EXPECT_EQ(s.start, 0.0f);
    EXPECT_EQ(s.end, 120.0f);
    s = {10.701f, 10.201f};
    ClampSelection(120, s.start, s.end);
    EXPECT_EQ(s.start, 10.701f);
    EXPECT_EQ(s.end, 10.201f);
    s = {0, 0};
    ClampSelection(0, s.start, s.end);
    EXPECT_EQ(s.end, 0.0f);
}

TEST(SliderCaption, ShowsTheDurationTheShareAndTheSize)
{
    char caption[64];
    char out[128];
    FormatSliderCaption(0, 83.45f, 300, 1302.54, caption, sizeof caption, out, sizeof out);
    EXPECT_STREQ(caption, "持续时间: 00:01:23.4");
    EXPECT_STREQ(out, "持续时间: 00:01:23.4 (27%, 1302.5 Kb)");
    FormatSliderCaption(10, 20, 75, 156.7, caption, sizeof caption, out, sizeof out);
    EXPECT_STREQ(out, "持续时间: 00:00:10.0 (13%, 156.7 Kb)");
    // No source; a reversed pair shows no negative time.
    FormatSliderCaption(0, 0, 0, 0, caption, sizeof caption, out, sizeof out);
    EXPECT_STREQ(out, "持续时间: 00:00:00.0 (0%, 0.0 Kb)");
    FormatSliderCaption(10.701f, 10.201f, 75, 0, caption, sizeof caption, out, sizeof out);
    EXPECT_STREQ(out, "持续时间: 00:00:00.0 (0%, 0.0 Kb)");
    // Small buffers cut the texts and keep them terminated.
    char small[8];
    char smallOut[12];
    FormatSliderCaption(0, 83.45f, 300, 1302.54, small, sizeof small, smallOut, sizeof smallOut);
    EXPECT_EQ(std::string(small).size(), 7u);
    EXPECT_EQ(std::string(smallOut).size(), 11u);
}

TEST(TenthsField, ADigitGivesItsTenthAndOneMillisecond)
{
    EXPECT_EQ(TenthMilliseconds('0'), 1);
    EXPECT_EQ(TenthMilliseconds('5'), 501);
    EXPECT_EQ(TenthMilliseconds('7'), 701);
    EXPECT_EQ(TenthMilliseconds('9'), 901);
    EXPECT_EQ(TenthMilliseconds(0x60), 1);    // VK_NUMPAD0
    EXPECT_EQ(TenthMilliseconds(0x67), 701);  // VK_NUMPAD7
    EXPECT_EQ(TenthMilliseconds(0x69), 901);  // VK_NUMPAD9
    for (unsigned key : {0x2Fu, 0x3Au, 0x41u, 0x5Fu, 0x6Au, 0x20u, 0x74u, 0u, 0xFFFFFFFFu})
        EXPECT_EQ(TenthMilliseconds(key), kNotATenth) << key;
}

TEST(TenthsField, ShowsTheTenthsDigitOfTheMilliseconds)
{
    char text[8];
    for (const auto& [ms, digit] : {std::pair<WORD, const char*>{0, "0"}, {99, "0"}, {449, "4"}, {701, "7"}, {999, "9"}}) {
        FormatTenth(ms, text, sizeof text);
        EXPECT_STREQ(text, digit) << ms;
    }
}

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD h, WORD m, WORD s, WORD ms)
{
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wDayOfWeek = 3;
    st.wHour = h;
    st.wMinute = m;
    st.wSecond = s;
    st.wMilliseconds = ms;
    return st;
}

void ExpectTime(const SYSTEMTIME& st, WORD year, WORD month, WORD day, WORD h, WORD m, WORD s, WORD ms)
{
    EXPECT_EQ(st.wYear, year);
    EXPECT_EQ(st.wMonth, month);
    EXPECT_EQ(st.wDay, day);
    EXPECT_EQ(st.wHour, h);
    EXPECT_EQ(st.wMinute, m);
    EXPECT_EQ(st.wSecond, s);
    EXPECT_EQ(st.wMilliseconds, ms);
}

TEST(EditorRange, BothEndsCarryTheDateOfOneReadingOfTheClock)
{
    SYSTEMTIME range[2];
    EditorRangeOf(At(2026, 12, 31, 23, 59, 59, 999), 83.45f, range);
    ExpectTime(range[0], 2026, 12, 31, 0, 0, 0, 0);
    ExpectTime(range[1], 2026, 12, 31, 0, 1, 23, 449);
    EditorRangeOf(At(2026, 3, 1, 8, 0, 0, 0), 0, range);
    ExpectTime(range[1], 2026, 3, 1, 0, 0, 0, 0);
    // A day or more cannot be a time of day: the range ends with the day.
    EditorRangeOf(At(2026, 3, 1, 8, 0, 0, 0), 90000, range);
    ExpectTime(range[1], 2026, 3, 1, 23, 59, 59, 999);
}

TEST(EditorRange, ATimeForAnEditorTakesTheDateOfItsRange)
{
    const SYSTEMTIME localDate = At(2026, 3, 2, 7, 30, 0, 0);  // the control's own date, ahead of UTC
    const SYSTEMTIME rangeMin = At(2026, 3, 1, 0, 0, 0, 0);
    ExpectTime(EditorTimeOf(localDate, &rangeMin, 20), 2026, 3, 1, 0, 0, 20, 0);
    ExpectTime(EditorTimeOf(localDate, nullptr, 10.701f), 2026, 3, 2, 0, 0, 10, 701);
    ExpectTime(EditorTimeOf(localDate, &rangeMin, -3), 2026, 3, 1, 0, 0, 0, 0);
}

}  // namespace
