// The window's arithmetic against values worked out by hand: times and their
// texts, the slider, the selection's rules and caption, the time editors'
// tenths digit and range, the browser's command and the source's folder.
#include "path_text.h"
#include "slider_mapping.h"
#include "time_fields.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace {

std::string Fields(const SYSTEMTIME& st, bool date = false)
{
    char text[64];
    snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d.%d", date ? st.wYear : 0, date ? st.wMonth : 0, date ? st.wDay : 0,
             st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
    return text;
}

TEST(TimeConvert, SecondsFieldsAndTextTruncate)
{
    const std::pair<float, const char*> split[] = {
        {83.45f, "0-0-0 0:1:23.449"}, {83.5f, "0-0-0 0:1:23.500"}, {3725, "0-0-0 1:2:5.0"}, {-3, "0-0-0 0:0:0.0"},
        {90000, "0-0-0 25:0:0.0"}, {0.001f, "0-0-0 0:0:0.1"}};
    for (const auto& [t, fields] : split) {
        SYSTEMTIME st = {2026, 12, 0, 6, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
        SecondsToSystemTime(t, st);
        EXPECT_EQ(Fields(st), fields) << t;
        EXPECT_EQ(st.wYear * 10000 + st.wMonth * 100 + st.wDay, 20261206) << "the date stays";
    }
    const std::pair<SYSTEMTIME, float> sums[] = {
        {{0, 0, 0, 0, 0, 0, 10, 701}, 10.701f}, {{0, 0, 0, 0, 0, 0, 0, 1}, 0.001f}, {{0, 0, 0, 0, 1, 2, 5, 0}, 3725},
        {{0, 0, 0, 0, 25, 0, 0, 0}, 90000}};
    for (const auto& [st, t] : sums) EXPECT_EQ(SystemTimeToSeconds(st), t);
    const std::pair<float, const char*> texts[] = {
        {83.45f, "00:01:23.4"}, {3725, "01:02:05.0"}, {-1, "00:00:00.0"}, {90000, "25:00:00.0"},
        {59.99f, "00:00:59.9"}};
    char out[64];
    for (const auto& [t, text] : texts) {
        SecondsToText(t, "%s", out, sizeof out);
        EXPECT_STREQ(out, text);
    }
    SecondsToText(83.45f, "持续时间: %s", out, sizeof out);
    EXPECT_STREQ(out, "持续时间: 00:01:23.4");
}

// A channel 400 pixels wide with a margin of 6: the travel is 388 pixels from x = 12.
const RECT kChannel = {8, 10, 408, 25};

TEST(Slider, UnitsPixelsRectanglesSharesAndSeeks)
{
    const std::tuple<float, float, int> units[] = {
        {29.99f, 60, 499}, {30, 60, 500}, {60, 60, 1000}, {20, 75, 266}, {90, 60, 1500}, {-1, 60, -16}, {5, 0, 0},
        {NAN, 60, 0}, {1e30f, 1e-30f, INT_MAX}, {-1e30f, 1e-30f, INT_MIN}};
    for (const auto& [t, duration, unit] : units) EXPECT_EQ(SliderUnitOf(t, duration), unit) << t << " of " << duration;
    EXPECT_EQ(ThumbMarginOf(108, 206), 5);
    EXPECT_EQ(ThumbMarginOf(107, 205), 5);
    EXPECT_EQ(ThumbMarginOf(-1, -1), -1);

    const std::tuple<uint16_t, float, float> pixels[] = {
        {12, 60, 0}, {109, 60, 15}, {206, 60, 30}, {400, 60, 60}, {11, 60, 0}, {500, 60, 60}, {0xFFF6, 60, 0},
        {0x7FFF, 60, 60}, {206, 0, 0}, {13, 60, static_cast<float>(60.0 * static_cast<float>(1.0 / 388))}};
    for (const auto& [x, duration, t] : pixels) EXPECT_EQ(PositionAtPixel(x, kChannel, 6, duration), t) << x;
    EXPECT_EQ(PositionAtPixel(14, {8, 10, 18, 25}, 6, 60), 0.0f) << "a channel narrower than its margins";

    const std::tuple<float, float, float, RECT> rects[] = {
        {15, 45, 60, {110, 11, 306, 24}}, {1, 59, 60, {19, 11, 396, 24}}, {0, 60, 60, {13, 11, 403, 24}},
        {0, 0, 0, {0, 0, 0, 0}}};
    for (const auto& [start, end, duration, r] : rects) {
        const RECT got = SelectionRect(kChannel, 6, start, end, duration);
        EXPECT_EQ(std::make_tuple(got.left, got.top, got.right, got.bottom),
                  std::make_tuple(r.left, r.top, r.right, r.bottom))
            << start;
    }
    const std::tuple<float, float, float, int> shares[] = {
        {15, 45, 60, 50}, {0, 29.99f, 60, 49}, {0, 60, 60, 100}, {45, 15, 60, -50}, {0, 0, 0, 0}, {3, 5, 0, 0}};
    for (const auto& [start, end, duration, percent] : shares)
        EXPECT_EQ(SelectionPercent(start, end, duration), percent);

    const QWORD top = (QWORD(1) << 63) + 1, beyondDouble = (QWORD(1) << 53) + 1;
    const std::tuple<QWORD, float, float, QWORD> seeks[] = {
        {13230000, 20, 75, 3528000}, {10, 1, 3, 3}, {13230000, 0, 75, 0}, {top, 75, 75, top},
        {beyondDouble, 2, 2, beyondDouble}, {~QWORD(0), 150, 75, ~QWORD(0)}, {13230000, 20, 0, 0},
        {13230000, -5, 75, 0}};
    for (const auto& [length, t, duration, byte] : seeks)
        EXPECT_EQ(SeekByteOf(length, t, duration), byte) << length << " " << t;
}

TEST(Selection, RulesAndCaption)
{
    // {start, end} after setting the start (s) or the end (e) to a value, duration 120.
    const std::tuple<char, float, float, float, float, float> moves[] = {
        {'s', 80, 10, 60, 80, 120}, {'e', 5, 10, 60, 0, 5}, {'s', 30, 10, 60, 30, 60}, {'s', 60, 10, 60, 60, 60},
        {'e', 10, 10, 60, 10, 10}};
    for (auto [which, value, start, end, newStart, newEnd] : moves) {
        which == 's' ? MoveSelectionStart(value, 120, start, end) : MoveSelectionEnd(value, start, end);
        EXPECT_EQ(std::make_pair(start, end), std::make_pair(newStart, newEnd)) << which << value;
    }
    const std::tuple<float, float, float, float, float> clamps[] = {
        {120, -1, 130, 0, 120}, {120, 10.701f, 10.201f, 10.701f, 10.201f}, {0, 0, 0, 0, 0}};
    for (auto [duration, start, end, newStart, newEnd] : clamps) {
        ClampSelection(duration, start, end);
        EXPECT_EQ(std::make_pair(start, end), std::make_pair(newStart, newEnd));
    }
    char caption[64], out[128], small[8], smallOut[12];
    const std::tuple<float, float, float, double, const char*> captions[] = {
        {0, 83.45f, 300, 1302.54, "持续时间: 00:01:23.4 (27%, 1302.5 Kb)"},
        {10, 20, 75, 156.7, "持续时间: 00:00:10.0 (13%, 156.7 Kb)"}, {0, 0, 0, 0, "持续时间: 00:00:00.0 (0%, 0.0 Kb)"},
        {10.701f, 10.201f, 75, 0, "持续时间: 00:00:00.0 (0%, 0.0 Kb)"}};
    for (const auto& [start, end, duration, kb, text] : captions) {
        FormatSliderCaption(start, end, duration, kb, caption, sizeof caption, out, sizeof out);
        EXPECT_STREQ(out, text);
    }
    EXPECT_STREQ(caption, "持续时间: 00:00:00.0");
    FormatSliderCaption(0, 83.45f, 300, 1302.54, small, sizeof small, smallOut, sizeof smallOut);
    EXPECT_EQ(std::string(small).size() * 100 + std::string(smallOut).size(), 711u) << "cut and terminated";
}

TEST(TimeEditors, TheTenthsDigitAndTheRange)
{
    const std::pair<unsigned, int> keys[] = {
        {'0', 1}, {'5', 501}, {'9', 901}, {0x60, 1}, {0x67, 701}, {0x69, 901}, {0x2F, kNotATenth}, {0x3A, kNotATenth},
        {0x41, kNotATenth}, {0x5F, kNotATenth}, {0x6A, kNotATenth}, {0x20, kNotATenth}, {0x74, kNotATenth},
        {0, kNotATenth}, {0xFFFFFFFFu, kNotATenth}};
    for (const auto& [key, ms] : keys) EXPECT_EQ(TenthMilliseconds(key), ms) << key;
    char text[8];
    for (const auto& [ms, digit] :
         {std::pair<WORD, const char*>{0, "0"}, {99, "0"}, {449, "4"}, {701, "7"}, {999, "9"}}) {
        FormatTenth(ms, text, sizeof text);
        EXPECT_STREQ(text, digit) << ms;
    }
    SYSTEMTIME range[2];
    EditorRangeOf({2026, 12, 3, 31, 23, 59, 59, 999}, 83.45f, range);
    EXPECT_EQ(Fields(range[0], true) + " " + Fields(range[1], true), "2026-12-31 0:0:0.0 2026-12-31 0:1:23.449");
    EditorRangeOf({2026, 3, 3, 1, 8, 0, 0, 0}, 90000, range);
    EXPECT_EQ(Fields(range[1], true), "2026-3-1 23:59:59.999") << "a day or more ends with the day";
    const SYSTEMTIME localDate = {2026, 3, 3, 2, 7, 30, 0, 0}, rangeMin = {2026, 3, 3, 1, 0, 0, 0, 0};
    EXPECT_EQ(Fields(EditorTimeOf(localDate, &rangeMin, 20), true), "2026-3-1 0:0:20.0");
    EXPECT_EQ(Fields(EditorTimeOf(localDate, nullptr, 10.701f), true), "2026-3-2 0:0:10.701");
    EXPECT_EQ(Fields(EditorTimeOf(localDate, &rangeMin, -3), true), "2026-3-1 0:0:0.0");
}

TEST(ShellTexts, TheBrowsersProgramAndTheSourcesFolder)
{
    const std::pair<std::string, std::string> commands[] = {
        {"\"C:\\windows\\system32\\winebrowser.exe\" \"%1\"", "C:\\windows\\system32\\winebrowser.exe"},
        {"\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\"",
         "C:\\Program Files\\Mozilla Firefox\\firefox.exe"},
        {"C:\\PROGRA~1\\BROWSER\\BROWSER.EXE -nohome %1", "C:\\PROGRA~1\\BROWSER\\BROWSER.EXE"},
        {"\"D:\\浏览器\\程序.exe\" --url=%1", "D:\\浏览器\\程序.exe"},
        {"C:\\tools.exe\\browser.exe -a %1", "C:\\tools.exe\\browser.exe"}, {"browser.exe", "browser.exe"},
        {"\".exe", ".exe"}, {"\"C:\\Browser\\Browser.Exe\" \"%1\"", ""}, {"\"C:\\b\\b.eXE\" %1", ""},
        {"xdg-open %1", ""}, {"", ""}, {"\"", ""}, {"exe", ""}, {"\"exe", ""}, {"\".ex", ""}, {"\"\"\"", ""}};
    for (const auto& [command, program] : commands) {
        std::string text = command;
        const char* path = BrowserPathInCommand(text.data());
        EXPECT_EQ(path ? std::string(path) : "", program) << command;
        EXPECT_TRUE(path ? path - text.data() <= 1 : text == command) << command;
    }
    const std::pair<std::string, std::string> folders[] = {
        {"C:\\音乐\\歌曲 一.mp3", "C:\\音乐"}, {"C:\\song.mp3", "C:\\"}, {"\\\\server\\share\\song.mp3", "\\\\server\\share"},
        {"D:\\乗\\a.mp3", "D:\\乗"}, {"D:\\乗.mp3", "D:\\"}, {"song.mp3", "song.mp3 (unchanged)"}};
    for (const auto& [path, folder] : folders) {
        std::string text = path;
        EXPECT_EQ(CutToFolder(text.data()) ? std::string(text.c_str()) : text + " (unchanged)", folder);
    }
}

}  // namespace
