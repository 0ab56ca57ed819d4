// The window's arithmetic against values worked out by hand: the time editors' times, tenths digit and range; the
// slider's units, pixels, rectangles and seeks, the selection's rules and caption; the command line's times.
#include "cut_command_line.h"
#include "slider_mapping.h"
#include "time_fields.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace {

std::string Fields(const SYSTEMTIME& st)
{
    char text[64];
    snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d.%d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
             st.wMilliseconds);
    return text;
}

// Truncation (83.45f is 83.4499969), hours beyond a day, negative times as 0,
// the date left alone, the float sum in the editors' order (the texts: the
// slider's caption); the digit keys' edges on both keyboards and the extra
// millisecond, the digit shown truncated; the range's date and its end for a
// day or more.
TEST(TimeEditors, ConversionsTheTenthsDigitAndTheRange)
{
    const std::pair<float, const char*> split[] = {
        {83.45f, "2026-12-6 0:1:23.449"}, {3725, "2026-12-6 1:2:5.0"}, {-3, "2026-12-6 0:0:0.0"},
        {90000, "2026-12-6 25:0:0.0"}, {0.001f, "2026-12-6 0:0:0.1"}};
    for (const auto& [t, fields] : split) {
        SYSTEMTIME st = {2026, 12, 0, 6, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
        SecondsToSystemTime(t, st);
        EXPECT_EQ(Fields(st), fields) << t;
    }
    EXPECT_EQ(SystemTimeToSeconds({0, 0, 0, 0, 0, 0, 10, 701}), 10.701f);
    EXPECT_EQ(SystemTimeToSeconds({0, 0, 0, 0, 1, 2, 5, 0}), 3725.0f);
    const std::pair<unsigned, int> keys[] = {{'0', 1},  {'9', 901},  {0x2F, kNotATenth}, {0x3A, kNotATenth},
                                             {0x60, 1}, {0x69, 901}, {0x5F, kNotATenth}, {0x6A, kNotATenth}};
    for (const auto& [key, ms] : keys) EXPECT_EQ(TenthMilliseconds(key), ms) << key;
    char text[8];
    FormatTenth(99, text, sizeof text);
    EXPECT_STREQ(text, "0");
    SYSTEMTIME range[2];
    EditorRangeOf({2026, 12, 3, 31, 23, 59, 59, 999}, 83.45f, range);
    EXPECT_EQ(Fields(range[0]) + " " + Fields(range[1]), "2026-12-31 0:0:0.0 2026-12-31 0:1:23.449");
    EditorRangeOf({2026, 3, 3, 1, 8, 0, 0, 0}, 90000, range);
    EXPECT_EQ(Fields(range[1]), "2026-3-1 23:59:59.999") << "a day or more ends with the day";
    const SYSTEMTIME localDate = {2026, 3, 3, 2, 7, 30, 0, 0}, rangeMin = {2026, 3, 3, 1, 0, 0, 0, 0};
    EXPECT_EQ(Fields(EditorTimeOf(localDate, &rangeMin, 20)), "2026-3-1 0:0:20.0");
    EXPECT_EQ(Fields(EditorTimeOf(localDate, nullptr, 10.701f)), "2026-3-2 0:0:10.701");
}

// A channel 400 pixels wide with a margin of 6: the travel is 388 pixels from x = 12.
const RECT kChannel = {8, 10, 408, 25};

// Truncation toward zero, saturation, no source (duration 0), the click
// offset of 2 pixels, pointers left of the window, seeks beyond double
// precision; the selection's ends move at strict inequalities only, clamping
// never reorders them, and the caption truncates its percent.
TEST(Slider, UnitsPixelsRectanglesSeeksSelectionAndCaption)
{
    const std::tuple<float, float, int> units[] = {
        {29.99f, 60, 499}, {-1, 60, -16}, {5, 0, 0}, {NAN, 60, 0}, {1e30f, 1e-30f, INT_MAX}, {-1e30f, 1e-30f, INT_MIN}};
    for (const auto& [t, duration, unit] : units) EXPECT_EQ(SliderUnitOf(t, duration), unit) << t << " of " << duration;
    EXPECT_EQ(ThumbMarginOf(107, 205), 5);

    const std::pair<uint16_t, float> pixels[] = {{109, 15}, {11, 0}, {500, 60}, {0xFFF6, 0}};
    for (const auto& [x, t] : pixels) EXPECT_EQ(PositionAtPixel(x, kChannel, 6, 60), t) << x;
    EXPECT_EQ(PositionAtPixel(14, {8, 10, 18, 25}, 6, 60), 0.0f) << "a channel narrower than its margins";

    for (const auto& [duration, r] : {std::pair<float, RECT>{60, {19, 11, 396, 24}}, {0, {0, 0, 0, 0}}}) {
        const RECT got = SelectionRect(kChannel, 6, 1, 59, duration);
        EXPECT_EQ(std::make_tuple(got.left, got.top, got.right, got.bottom),
                  std::make_tuple(r.left, r.top, r.right, r.bottom));
    }
    EXPECT_EQ(SelectionPercent(45, 15, 60), -50);

    const QWORD beyondDouble = (QWORD(1) << 53) + 1;
    const std::tuple<QWORD, float, float, QWORD> seeks[] = {
        {10, 1, 3, 3}, {beyondDouble, 2, 2, beyondDouble}, {~QWORD(0), 150, 75, ~QWORD(0)}, {13230000, 20, 0, 0},
        {13230000, -5, 75, 0}};
    for (const auto& [length, t, duration, byte] : seeks)
        EXPECT_EQ(SeekByteOf(length, t, duration), byte) << length << " " << t;

    // {start, end} after setting the start (s) or the end (e) to a value, or clamping (c), duration 120.
    const std::tuple<char, float, float, float, float, float> moves[] = {
        {'s', 80, 10, 60, 80, 120}, {'e', 5, 10, 60, 0, 5}, {'s', 60, 10, 60, 60, 60}, {'e', 10, 10, 60, 10, 10},
        {'c', 0, -1, 130, 0, 120}, {'c', 0, 10.701f, 10.201f, 10.701f, 10.201f}};
    for (auto [which, value, start, end, newStart, newEnd] : moves) {
        if (which == 's') MoveSelectionStart(value, 120, start, end);
        if (which == 'e') MoveSelectionEnd(value, start, end);
        if (which == 'c') ClampSelection(120, start, end);
        EXPECT_EQ(std::make_pair(start, end), std::make_pair(newStart, newEnd)) << which << value;
    }
    char caption[64], out[128];
    const std::tuple<float, float, float, double, const char*> captions[] = {
        {0, 83.45f, 300, 1302.54, "持续时间: 00:01:23.4 (27%, 1302.5 Kb)"},
        {0, 0, 0, 0, "持续时间: 00:00:00.0 (0%, 0.0 Kb)"},
        {10.701f, 10.201f, 75, 0, "持续时间: 00:00:00.0 (0%, 0.0 Kb)"}};
    for (const auto& [start, end, duration, kb, text] : captions) {
        FormatSliderCaption(start, end, duration, kb, caption, sizeof caption, out, sizeof out);
        EXPECT_STREQ(out, text);
    }
}

// The command line's times reckoned as the editors reckon theirs; words that make no command refused.
TEST(CutCommand, TimesAsTheEditorsHaveThemAndRangesInPairs)
{
    const std::pair<const char*, float> times[] = {{"95.5", 95.5f}, {"1:35.5", 95.5f}, {"1:01:35", 3695.0f},
                                                   {"0.05", 0.05f}, {"7", 7.0f}, {"1:60", -1}, {"1:2:3:4", -1},
                                                   {":5", -1}, {"5.", -1}, {"5.1234", -1}, {"-1", -1}, {"1e3", -1}};
    for (const auto& [text, seconds] : times) {
        float got = -1;
        EXPECT_EQ(ParseCutTime(text, got) ? got : -1, seconds) << text;
    }
    CutCommandLine command;
    std::string error;
    ASSERT_TRUE(ParseCutCommandLine({"a b.mp3", "1", "2", "-o", "out", "1:00", "1:10"}, command, error));
    EXPECT_EQ(command.source + "|" + command.folder + "|" + std::to_string(command.ranges.size()), "a b.mp3|out|2");
    EXPECT_EQ(command.ranges[1], std::make_pair(60.0f, 70.0f));
    ASSERT_TRUE(ParseCutCommandLine({"--split-at-silences", "a.mp3", "--min-length", "2.5", "--threshold", "-40.5",
                                     "-o", "out"}, command, error));
    EXPECT_EQ(command.source + "|" + command.folder + "|" + std::to_string(command.minSeconds) + "|" +
              std::to_string(command.thresholdDb), "a.mp3|out|2.500000|-40.500000");
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"a.mp3", "2", "1"}, {"a.mp3", "1"}, {"a.mp3"}, {"--info"}, {"-h", "x"}, {"a.mp3", "1", "x"},
             {"--silences"}, {"--silences", "a.mp3", "-o", "out"}, {"--silences", "a.mp3", "--threshold", "3"},
             {"--split-at-silences", "a.mp3", "--min-length", "0"}, {"--silences", "a.mp3", "--threshold"}})
        EXPECT_FALSE(ParseCutCommandLine(words, command, error)) << words.size();
}

}  // namespace
