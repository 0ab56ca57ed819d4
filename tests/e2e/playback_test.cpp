// Playback on the real program (its window-test build) under Wine with real
// audio output (the PulseAudio null sink): the play, stop and
// play-selection commands and the check box 2045 through the states of
// selection playback, the cursor following the stream, seeking, and the
// commands without a source. The cursor's advance tells whether the stream
// plays.
#include "harness.h"
#include "program_files.h"
#include "resource.h"
#include "window_driver.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

bool BoxChecked(HWND main)
{
    return SendMessageW(Item(main, IDC_CHECK_PLAY_SELECTION), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

float Position(HWND main)
{
    return ReadState(main).fPosition;
}

// The cursor moves on by itself: the stream plays.
bool Advances(HWND main)
{
    const float before = Position(main);
    return WaitUntil([&] { return Position(main) > before + 0.2f; }, 3000);
}

// The cursor stays where it is for a while: nothing plays.
bool Rests(HWND main)
{
    const float before = Position(main);
    Sleep(400);
    return Position(main) == before;
}

class Playback : public LoadedWindowTest {
protected:
    // The selection from..to, typed into the start and end editors.
    void Select(int fromSeconds, int toSeconds)
    {
        TypeTime(main_, IDC_TIME_END, 0, toSeconds / 60, toSeconds % 60);
        TypeTime(main_, IDC_TIME_START, 0, fromSeconds / 60, fromSeconds % 60);
        ASSERT_EQ(ReadState(main_).fStart, static_cast<float>(fromSeconds));
        ASSERT_EQ(ReadState(main_).fEnd, static_cast<float>(toSeconds));
    }
};

TEST_F(Playback, StopDuringSelectionPlaybackLeavesTheFlagSoTheBoxFirstOnlyClearsIt)
{
    Select(10, 20);
    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_PLAY_SELECTION, [&] { return Position(main_) > 10.1f; }));
    EXPECT_TRUE(BoxChecked(main_));
    EXPECT_EQ(ReadState(main_).bPlaySelection, 1);

    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_STOP, [&] { return !BoxChecked(main_); }));
    EXPECT_TRUE(Rests(main_));
    EXPECT_EQ(ReadState(main_).bPlaySelection, 1) << "Stop leaves the flag";

    // The first click on the box only clears the flag (and the box).
    Click(Item(main_, IDC_CHECK_PLAY_SELECTION));
    ASSERT_TRUE(WaitUntil([&] { return ReadState(main_).bPlaySelection == 0; }));
    EXPECT_FALSE(BoxChecked(main_));
    EXPECT_TRUE(Rests(main_));
    // The second plays the selection from its start again.
    TypeTime(main_, IDC_TIME_POSITION, 0, 0, 30);
    ASSERT_TRUE(ClickAndWait(main_, IDC_CHECK_PLAY_SELECTION, [&] { return ReadState(main_).bPlaySelection == 1; }));
    EXPECT_TRUE(BoxChecked(main_));
    EXPECT_TRUE(Advances(main_));
    EXPECT_GE(Position(main_), 10.0f);
    EXPECT_LT(Position(main_), 12.0f);
}

TEST_F(Playback, PlayDuringSelectionPlaybackGoesOnPastTheEndUntilTheBoxRestartsIt)
{
    Select(10, 11);
    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_PLAY_SELECTION, [&] { return Position(main_) > 10.0f; }));
    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_PLAY, [&] { return ReadState(main_).bPlaySelection == 0; }));
    EXPECT_TRUE(BoxChecked(main_)) << "Play leaves the box";
    EXPECT_TRUE(WaitUntil([&] { return Position(main_) > 11.5f; }, 4000)) << "nothing stops at the end";
    EXPECT_TRUE(BoxChecked(main_));

    // The box, checked but without the flag, plays the selection again and
    // stays checked; this time playback stops at the end, exactly.
    Click(Item(main_, IDC_CHECK_PLAY_SELECTION));
    ASSERT_TRUE(WaitUntil([&] { return ReadState(main_).bPlaySelection == 1; }));
    EXPECT_TRUE(BoxChecked(main_));
    EXPECT_LT(Position(main_), 11.0f);
    ASSERT_TRUE(WaitUntil([&] { return ReadState(main_).bPlaySelection == 0; }, 4000));
    EXPECT_FALSE(BoxChecked(main_));
    EXPECT_EQ(Position(main_), 11.0f);
    EXPECT_TRUE(Rests(main_));
}

TEST_F(Playback, PlayGoesOnFromTheStreamAndASlideClickMovesTheStream)
{
    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_PLAY, [&] { return Position(main_) > 0.5f; }));
    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_STOP, [&] { return Rests(main_); }));
    const float stoppedAt = Position(main_);

    // A time typed into the position editor seeks (its milliseconds stay
    // those the editor showed); play goes on from there.
    TypeIntoField(main_, IDC_TIME_POSITION, 2, "40");
    const float typed = Position(main_);
    ASSERT_GE(typed, 40.0f);
    ASSERT_LT(typed, 41.0f);
    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_PLAY, [&] { return Position(main_) > typed + 0.2f; }));
    EXPECT_LT(Position(main_), typed + 1.5f);

    // A click on the slider while playing moves the stream there.
    const RECT channel = ChannelRect(main_);
    const AppState state = ReadState(main_);
    const int x = (channel.left + channel.right) / 2;
    ClickSlider(main_, static_cast<WORD>(x));
    const float clicked = Position(main_);
    EXPECT_GT(clicked, 30.0f);
    EXPECT_LT(clicked, 45.0f);
    EXPECT_TRUE(WaitUntil([&] { return Position(main_) > clicked + 0.3f; }, 3000));
    EXPECT_LT(Position(main_), clicked + 1.5f);
    EXPECT_GT(stoppedAt, 0.4f);
    EXPECT_EQ(state.bPlaySelection, 0);
}

TEST(PlaybackWithoutSource, TheCommandsChangeOnlyTheFlagTheBoxAndTheCursor)
{
    ProgramCopy copy(WindowTestBuild());
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(ClickAndWait(main, IDC_BUTTON_PLAY_SELECTION, [&] { return ReadState(main).bPlaySelection == 1; }));
    EXPECT_TRUE(BoxChecked(main));
    EXPECT_EQ(Position(main), 0.0f);
    EXPECT_TRUE(Rests(main));
    ASSERT_TRUE(ClickAndWait(main, IDC_BUTTON_PLAY, [&] { return ReadState(main).bPlaySelection == 0; }));
    EXPECT_TRUE(BoxChecked(main));
    ASSERT_TRUE(ClickAndWait(main, IDC_BUTTON_STOP, [&] { return !BoxChecked(main); }));
    EXPECT_EQ(Position(main), 0.0f);
    EXPECT_TRUE(program.CloseNormally(main));
}

}  // namespace
}  // namespace e2e
