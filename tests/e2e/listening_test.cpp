// Selection playback heard for real: the program (its window-test build)
// plays the selection 10 s to 20 s of the tone file while
// record_playback.sh records the null sink; analyse_tone_steps.py then
// judges by the tones which seconds of the file were heard. This program
// checks what the window shows when playback has stopped by itself.
#include "harness.h"
#include "resource.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace e2e {
namespace {

class Listening : public LoadedWindowTest {};

TEST_F(Listening, PlayingTheSelectionFrom10To20StopsAtExactly20)
{
    TypeTime(main_, IDC_TIME_END, 0, 0, 20);
    TypeTime(main_, IDC_TIME_START, 0, 0, 10);
    ASSERT_EQ(ReadState(main_).fStart, 10.0f);
    ASSERT_EQ(ReadState(main_).fEnd, 20.0f);

    Click(Item(main_, IDC_BUTTON_PLAY_SELECTION));
    ASSERT_TRUE(WaitUntil([&] { return ReadState(main_).bPlaySelection == 1; }, 5000));
    EXPECT_EQ(SendMessageW(Item(main_, IDC_CHECK_PLAY_SELECTION), BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_TRUE(WaitUntil([&] { return ReadState(main_).bPlaySelection == 0; }, 14000)) << "it stops by itself";

    const AppState state = ReadState(main_);
    EXPECT_EQ(state.fPosition, 20.0f) << "the cursor at exactly the end";
    EXPECT_EQ(EditorText(main_, IDC_TIME_POSITION), "00:00:20.000");
    EXPECT_EQ(SendMessageW(Item(main_, IDC_SLIDER), TBM_GETPOS, 0, 0), 266);  // trunc(1000 x 20 / 75)
    EXPECT_EQ(SendMessageW(Item(main_, IDC_CHECK_PLAY_SELECTION), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Sleep(300);
    EXPECT_EQ(ReadState(main_).fPosition, 20.0f) << "nothing plays on";
    Screenshot(main_, "main_window_after_selection_playback");
}

}  // namespace
}  // namespace e2e
