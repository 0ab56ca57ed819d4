// The main window's source, selection, slider and time editors on the real
// program (its window-test build) under Wine: loading a lame-made file of
// known length, a file that cannot be opened, the start and end rules
// through the buttons, seeking with the slider, typing into the editors,
// and the tenths field.
#include "harness.h"
#include "program_files.h"
#include "resource.h"
#include "slider_mapping.h"
#include "test_support.h"
#include "time_fields.h"
#include "window_driver.h"
#include "window_probe.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <regex>

namespace e2e {
namespace {

class Loading : public LoadedWindowTest {};
class Selection : public LoadedWindowTest {};
class Slider : public LoadedWindowTest {};
class Editors : public LoadedWindowTest {};
class TenthsField : public LoadedWindowTest {};

LRESULT Probe(HWND main, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

std::string TenthText(HWND main, int id)
{
    const LRESULT packed = Probe(main, kProbeTenthText, id, 0);
    char text[sizeof packed + 1] = {};
    memcpy(text, &packed, sizeof packed);
    return text;
}

float Seconds(int hours, int minutes, int seconds, int milliseconds)
{
    SYSTEMTIME st = {};
    st.wHour = static_cast<WORD>(hours);
    st.wMinute = static_cast<WORD>(minutes);
    st.wSecond = static_cast<WORD>(seconds);
    st.wMilliseconds = static_cast<WORD>(milliseconds);
    return SystemTimeToSeconds(st);
}

LRESULT SliderMessage(HWND main, UINT msg)
{
    return Probe(Item(main, IDC_SLIDER), msg, 0, 0);
}

// The selection on the state record, the slider and the two editors.
void ExpectSelection(HWND main, float start, float end)
{
    const AppState state = ReadState(main);
    EXPECT_FLOAT_EQ(state.fStart, start);
    EXPECT_FLOAT_EQ(state.fEnd, end);
    EXPECT_EQ(SliderMessage(main, TBM_GETSELSTART), SliderUnitOf(start, state.fDuration));
    EXPECT_EQ(SliderMessage(main, TBM_GETSELEND), SliderUnitOf(end, state.fDuration));
    SYSTEMTIME shown = EditorTime(main, IDC_TIME_START);
    EXPECT_FLOAT_EQ(SystemTimeToSeconds(shown), start) << EditorText(main, IDC_TIME_START);
    shown = EditorTime(main, IDC_TIME_END);
    EXPECT_FLOAT_EQ(SystemTimeToSeconds(shown), end) << EditorText(main, IDC_TIME_END);
}

bool SameDate(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

TEST_F(Loading, AToneFileShowsItsLengthTagAndWholeSelection)
{

    const AppState state = ReadState(main_);
    EXPECT_FLOAT_EQ(state.fDuration, kToneStepsSeconds) << "lame's LAME tag gives the exact length";
    EXPECT_EQ(state.fPosition, 0.0f);
    EXPECT_GT(state.nFrames, 2800);
    EXPECT_EQ(ReadProgramText(main_, state.szArtist), ToneStepsArtist());
    EXPECT_EQ(ReadProgramText(main_, state.szAlbum), "-");
    EXPECT_EQ(ReadProgramText(main_, state.szTitle), "-");
    ExpectSelection(main_, 0, kToneStepsSeconds);
    EXPECT_EQ(EditorText(main_, IDC_TIME_END), "00:01:15.000");
    EXPECT_EQ(EditorText(main_, IDC_TIME_POSITION), "00:00:00.000");
    EXPECT_EQ(SliderMessage(main_, TBM_GETPOS), 0);

    // The caption: the selection's duration, 100 % and the size of its
    // frames (the whole file but its padded tag and its last frame).
    const std::string caption = SliderCaption(main_);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(caption, match, std::regex("持续时间: 00:01:15\\.0 \\(100%, ([0-9]+)\\.[0-9] Kb\\)")))
        << caption;
    const int64_t fileKb = static_cast<int64_t>(ReadFileBytes(loaded_.source).size()) / 1024;
    EXPECT_GE(std::stoi(match[1]), fileKb - 4);
    EXPECT_LE(std::stoi(match[1]), fileKb);

    // All three editors take the source's range, on one date, and show
    // their times on it.
    for (int id : {IDC_TIME_POSITION, IDC_TIME_START, IDC_TIME_END}) {
        SCOPED_TRACE(id);
        SYSTEMTIME range[2];
        EXPECT_EQ(EditorRange(main_, id, range), static_cast<DWORD>(GDTR_MIN | GDTR_MAX));
        EXPECT_TRUE(SameDate(range[0], range[1]));
        EXPECT_EQ(SystemTimeToSeconds(range[0]), 0.0f);
        EXPECT_FLOAT_EQ(SystemTimeToSeconds(range[1]), kToneStepsSeconds);
        EXPECT_TRUE(SameDate(EditorTime(main_, id), range[0]));
    }
    // The channel and the selection are drawn by the window.
    EXPECT_TRUE(ShowsColour(Item(main_, IDC_SLIDER), RGB(0, 0, 255), 8));
    EXPECT_TRUE(ShowsColour(Item(main_, IDC_SLIDER), RGB(200, 200, 255), 8));
    ASSERT_TRUE(Close());

    std::vector<std::string> lines = StartupLogLines(loaded_.copy, Cp936(loaded_.copy.Folder()) + "\\");
    for (const std::string& line :
         IndexingLogLines(loaded_.source, ReadFileBytes(loaded_.source).size(), state.nFrames))
        lines.push_back(line);
    for (const std::string& line : NormalEndLogLines()) lines.push_back(line);
    ExpectLog(loaded_.copy.Read(L"log.txt"), lines);
}

TEST_F(Loading, AFileThatCannotBeOpenedEmptiesTheSourceAndKeepsThePosition)
{
    TypeTime(main_, IDC_TIME_POSITION, 0, 0, 42);
    ASSERT_FLOAT_EQ(ReadState(main_).fPosition, 42.0f);
    SYSTEMTIME before[2];
    const DWORD flagsBefore = EditorRange(main_, IDC_TIME_END, before);

    // Another program holds the file without sharing it.
    const std::string locked = Cp936(loaded_.copy.PathOf(L"锁定.mp3"));
    loaded_.copy.Write(L"锁定.mp3", loaded_.copy.Read(FromCp936(loaded_.source.substr(loaded_.source.rfind('\\') + 1))));
    for (const std::string& path : {locked, std::string("Z:\\no\\such\\file.mp3")}) {
        SCOPED_TRACE(path);
        ExclusiveLock lock(locked);
        ASSERT_TRUE(lock.Held());
        RemoteBlock text(program_->Id(), path.size() + 1);
        ASSERT_TRUE(text.Write(0, path.c_str(), path.size() + 1));
        EXPECT_EQ(Probe(main_, kProbeLoadSource, 0, reinterpret_cast<LPARAM>(text.Address())), 1);

        const AppState state = ReadState(main_);
        EXPECT_EQ(ReadProgramText(main_, state.szSourcePath), "");
        EXPECT_EQ(ReadProgramText(main_, state.szFileTitle), "");
        EXPECT_EQ(state.hChannel, 0u);
        EXPECT_EQ(state.fDuration, 0.0f);
        EXPECT_EQ(state.fStart, 0.0f);
        EXPECT_EQ(state.fEnd, 0.0f);
        EXPECT_EQ(state.szArtist, nullptr);
        EXPECT_EQ(state.szAlbum, nullptr);
        EXPECT_EQ(state.szTitle, nullptr);
        EXPECT_EQ(state.nFrames, 0) << "the index describes no other file";
        EXPECT_FLOAT_EQ(state.fPosition, 42.0f);
        SYSTEMTIME after[2];
        EXPECT_EQ(EditorRange(main_, IDC_TIME_END, after), flagsBefore);
        EXPECT_EQ(memcmp(before, after, sizeof before), 0) << "the editors keep their range";
        // With no source every mapping is 0.
        EXPECT_EQ(SliderCaption(main_), "持续时间: 00:00:00.0 (0%, 0.0 Kb)");
    }

    // The same file loads again once it is free.
    RemoteBlock text(program_->Id(), locked.size() + 1);
    ASSERT_TRUE(text.Write(0, locked.c_str(), locked.size() + 1));
    Probe(main_, kProbeLoadSource, 0, reinterpret_cast<LPARAM>(text.Address()));
    const AppState state = ReadState(main_);
    EXPECT_NE(state.hChannel, 0u);
    EXPECT_FLOAT_EQ(state.fDuration, kToneStepsSeconds);
    EXPECT_EQ(ReadProgramText(main_, state.szFileTitle), "锁定.mp3");
}

TEST_F(Selection, TheStartAndEndButtonsWidenTheOtherEndAndClearRestoresTheWholeFile)
{
    const float duration = kToneStepsSeconds;

    TypeTime(main_, IDC_TIME_POSITION, 0, 0, 50);
    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_SET_END, [&] { return ReadState(main_).fEnd == 50.0f; }));
    ExpectSelection(main_, 0, 50);
    // A start beyond the end widens the end to the file's end.
    TypeTime(main_, IDC_TIME_POSITION, 0, 1, 0);
    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_SET_START, [&] { return ReadState(main_).fStart == 60.0f; }));
    ExpectSelection(main_, 60, duration);
    // An end before the start widens the start to 0 (the icon button).
    TypeTime(main_, IDC_TIME_POSITION, 0, 0, 5);
    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_SET_END_ICON, [&] { return ReadState(main_).fEnd == 5.0f; }));
    ExpectSelection(main_, 0, 5);
    TypeTime(main_, IDC_TIME_POSITION, 0, 0, 3);
    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_SET_START_ICON, [&] { return ReadState(main_).fStart == 3.0f; }));
    ExpectSelection(main_, 3, 5);

    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_CLEAR, [&] { return ReadState(main_).fStart == 0.0f; }));
    ExpectSelection(main_, 0, duration);
    EXPECT_EQ(SliderMessage(main_, TBM_GETSELSTART), 0);
    EXPECT_EQ(SliderMessage(main_, TBM_GETSELEND), kSliderUnits);
    EXPECT_FLOAT_EQ(ReadState(main_).fPosition, 3.0f) << "the buttons never move the cursor";

    // A selection from 10 s to 40 s with the cursor inside it, for the eye.
    TypeTime(main_, IDC_TIME_END, 0, 0, 40);
    TypeTime(main_, IDC_TIME_START, 0, 0, 10);
    TypeTime(main_, IDC_TIME_POSITION, 0, 0, 25);
    ExpectSelection(main_, 10, 40);
    const std::string caption = SliderCaption(main_);
    EXPECT_EQ(caption.rfind("持续时间: 00:00:30.0 (40%, ", 0), 0u) << caption;
    Screenshot(main_, "main_window_selection");
}

TEST_F(Slider, AClickSeeksToThePixelsTimeAndADragFollowsThePointer)
{
    const AppState state = ReadState(main_);
    const RECT channel = ChannelRect(main_);
    EXPECT_TRUE(EqualRect(&channel, &state.rcChannel));
    HWND slider = Item(main_, IDC_SLIDER);
    EXPECT_EQ(state.nThumbMargin, ThumbMarginOf(static_cast<int>(Probe(slider, TBM_GETTICPOS, 0, 0)),
                                                static_cast<int>(Probe(slider, TBM_GETTICPOS, 1, 0))));
    ASSERT_GT(channel.right - channel.left, 2 * state.nThumbMargin + 100);
    const int margin = state.nThumbMargin;
    const int travel = (channel.right - channel.left) - 2 * margin;
    // Where f = (x - (left + margin - 2)) / travel.
    const auto expected = [&](int x) {
        return static_cast<float>(kToneStepsSeconds *
                                  static_cast<float>(double(x - (channel.left + margin - 2)) / travel));
    };

    const int third = channel.left + margin - 2 + travel / 3;
    ClickSlider(main_, static_cast<WORD>(third));
    EXPECT_FLOAT_EQ(ReadState(main_).fPosition, expected(third));
    EXPECT_EQ(SystemTimeToSeconds(EditorTime(main_, IDC_TIME_POSITION)),
              [&] {
                  SYSTEMTIME st = {};
                  SecondsToSystemTime(expected(third), st);
                  return SystemTimeToSeconds(st);
              }())
        << "the position editor follows";

    ClickSlider(main_, static_cast<WORD>(channel.left + margin - 3));  // left of the channel's start
    EXPECT_EQ(ReadState(main_).fPosition, 0.0f);
    ClickSlider(main_, static_cast<WORD>(channel.right + 5));  // beyond its end
    EXPECT_FLOAT_EQ(ReadState(main_).fPosition, kToneStepsSeconds);

    // A drag: the position follows the pointer while the left button alone is
    // held; a drag left of the captured slider gives 0.
    const int start = channel.left + margin - 2 + travel / 4;
    const int next = channel.left + margin - 2 + travel / 2;
    SliderMouse(main_, WM_LBUTTONDOWN, MK_LBUTTON, static_cast<WORD>(start));
    EXPECT_FLOAT_EQ(ReadState(main_).fPosition, expected(start));
    SliderMouse(main_, WM_MOUSEMOVE, MK_LBUTTON, static_cast<WORD>(next));
    EXPECT_FLOAT_EQ(ReadState(main_).fPosition, expected(next));
    SliderMouse(main_, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, static_cast<WORD>(start));
    EXPECT_FLOAT_EQ(ReadState(main_).fPosition, expected(next)) << "Shift held: no seek";
    SliderMouse(main_, WM_MOUSEMOVE, MK_LBUTTON, static_cast<WORD>(-20));
    EXPECT_EQ(ReadState(main_).fPosition, 0.0f);
    SliderMouse(main_, WM_LBUTTONUP, 0, static_cast<WORD>(-20));
    SliderMouse(main_, WM_MOUSEMOVE, 0, static_cast<WORD>(next));
    EXPECT_EQ(ReadState(main_).fPosition, 0.0f) << "no button: no seek";
}

TEST_F(Editors, TypedTimesFollowTheStartAndEndRulesAndMoveTheCursor)
{

    TypeTime(main_, IDC_TIME_START, 0, 1, 5);
    ExpectSelection(main_, 65, kToneStepsSeconds);
    // The end editor's minutes changed to before the start: the start goes to 0.
    TypeIntoField(main_, IDC_TIME_END, 1, "00");
    ExpectSelection(main_, 0, 15);
    EXPECT_EQ(EditorText(main_, IDC_TIME_END), "00:00:15.000");
    // The start editor's seconds changed to beyond the end: the end goes to
    // the file's end.
    TypeIntoField(main_, IDC_TIME_START, 2, "20");
    ExpectSelection(main_, 20, kToneStepsSeconds);
    // A time beyond the file is refused by the editor.
    TypeIntoField(main_, IDC_TIME_START, 1, "59");
    ExpectSelection(main_, 20, kToneStepsSeconds);

    // The position editor moves the cursor and the slider.
    TypeIntoField(main_, IDC_TIME_POSITION, 2, "30");
    EXPECT_FLOAT_EQ(ReadState(main_).fPosition, 30.0f);
    EXPECT_EQ(SliderMessage(main_, TBM_GETPOS), 400);
}

TEST_F(TenthsField, ADigitSetsTheTenthOfItsEditorAndTheFieldShowsIt)
{
    TypeTime(main_, IDC_TIME_START, 0, 0, 10);
    ASSERT_EQ(ReadState(main_).fStart, 10.0f);
    EXPECT_EQ(TenthText(main_, IDC_TIME_START), "0");

    // 7 at 00:00:10: 10.701 s; keypad 5, then keypad 7, the same way.
    EXPECT_EQ(Probe(main_, kProbeTenthKey, IDC_TIME_START, '7'), 0);
    EXPECT_EQ(ReadState(main_).fStart, Seconds(0, 0, 10, 701));
    EXPECT_EQ(EditorText(main_, IDC_TIME_START), "00:00:10.701");
    EXPECT_EQ(TenthText(main_, IDC_TIME_START), "7");
    Probe(main_, kProbeTenthKey, IDC_TIME_START, VK_NUMPAD5);
    EXPECT_EQ(ReadState(main_).fStart, Seconds(0, 0, 10, 501));
    EXPECT_EQ(TenthText(main_, IDC_TIME_START), "5");
    Probe(main_, kProbeTenthKey, IDC_TIME_START, VK_NUMPAD7);
    EXPECT_EQ(ReadState(main_).fStart, Seconds(0, 0, 10, 701));
    EXPECT_EQ(TenthText(main_, IDC_TIME_START), "7");
    EXPECT_EQ(SliderMessage(main_, TBM_GETSELSTART), SliderUnitOf(Seconds(0, 0, 10, 701), kToneStepsSeconds));

    // 0 at 00:00:00 in the position editor: 0.001 s, no rule, no seek.
    EXPECT_EQ(Probe(main_, kProbeTenthKey, IDC_TIME_POSITION, '0'), 0);
    EXPECT_EQ(ReadState(main_).fPosition, Seconds(0, 0, 0, 1));
    EXPECT_EQ(EditorText(main_, IDC_TIME_POSITION), "00:00:00.001");
    EXPECT_EQ(TenthText(main_, IDC_TIME_POSITION), "0");

    // A tenth is stored even when it takes the start past the end. (Clear
    // first: an editor keeps its milliseconds while its fields are typed.)
    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_CLEAR, [&] { return ReadState(main_).fStart == 0.0f; }));
    TypeTime(main_, IDC_TIME_END, 0, 0, 11);
    TypeTime(main_, IDC_TIME_START, 0, 0, 11);
    ASSERT_EQ(ReadState(main_).fEnd, 11.0f);
    Probe(main_, kProbeTenthKey, IDC_TIME_START, '5');
    EXPECT_EQ(ReadState(main_).fStart, Seconds(0, 0, 11, 501));
    EXPECT_EQ(ReadState(main_).fEnd, 11.0f);

    // A letter, a function key: nothing changes.
    const AppState before = ReadState(main_);
    for (LPARAM key : {LPARAM('A'), LPARAM(VK_F5), LPARAM(VK_SPACE)}) {
        for (int id : {IDC_TIME_POSITION, IDC_TIME_START, IDC_TIME_END}) Probe(main_, kProbeTenthKey, id, key);
    }
    const AppState after = ReadState(main_);
    EXPECT_EQ(after.fPosition, before.fPosition);
    EXPECT_EQ(after.fStart, before.fStart);
    EXPECT_EQ(after.fEnd, before.fEnd);
    EXPECT_EQ(EditorText(main_, IDC_TIME_START), "00:00:11.501");

    // The field is one digit "8" of the slider's 16-pixel font wide.
    HDC hdc = GetDC(nullptr);
    HFONT font = CreateFontW(16, 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Shell Dlg");
    HGDIOBJ previous = SelectObject(hdc, font);
    SIZE eight = {};
    GetTextExtentPoint32W(hdc, L"8", 1, &eight);
    SelectObject(hdc, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, hdc);
    const LRESULT size = Probe(main_, kProbeTenthSize, IDC_TIME_END, 0);
    EXPECT_GT(eight.cx, 0);
    EXPECT_EQ(LOWORD(size), eight.cx);
    EXPECT_EQ(HIWORD(size), eight.cy);
}

}  // namespace
}  // namespace e2e
