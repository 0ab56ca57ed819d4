// Driving the main window's selection, slider, time editors and playback
// from the end-to-end tests, on the window-test build of the program
// (window_probe.h): its state record read from its memory, the editors'
// times and ranges, the slider's geometry, typing into the editors' fields
// and clicking or dragging on the slider, with the controls' own messages.
#pragma once

#include "app_state.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace e2e {

// The window-test build, copied and started like the program.
ProgramCopy::Options WindowTestBuild();

// The tone file of the window's tests (make_window_fixtures.py): 75 s, a
// different tone every second, an artist but no album or title.
std::string ToneStepsPath();
constexpr float kToneStepsSeconds = 75.0f;
// Its artist, as the program shows it (CP936).
std::string ToneStepsArtist();

// A copy of the window-test build with the tone file beside it, remembered
// as the source (settings.ini).
struct LoadedCopy {
    ProgramCopy copy;
    std::string source;  // the tone file's path in the copy (CP936)
    LoadedCopy();
};

// A test on the window-test build with the tone file loaded: SetUp starts
// the program and finds its window (main_); TearDown stops any playback and
// closes the window with its close box, expecting exit code 0, unless the
// test has closed it already (Close).
class LoadedWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Closes the window now; true when the program then ends with exit code 0.
    bool Close();

    LoadedCopy loaded_;
    std::optional<Program> program_;
    HWND main_ = nullptr;
};

// The program's state record, read from its memory (every pointer in it
// points into the program).
AppState ReadState(HWND main);
// A text of the program's memory: a NUL-terminated string at address, or
// "<none>" for a null address.
std::string ReadProgramText(HWND main, const char* address);
// The whole slider caption (szScratch right after a repaint of the slider).
std::string SliderCaption(HWND main);

// An editor's time (DTM_GETSYSTEMTIME) and range (DTM_GETRANGE: its result
// flags, the limits into range).
SYSTEMTIME EditorTime(HWND main, int id);
DWORD EditorRange(HWND main, int id, SYSTEMTIME (&range)[2]);
// The time of day of an editor as "HH:MM:SS.mmm".
std::string EditorText(HWND main, int id);

// The slider's channel rectangle (TBM_GETCHANNELRECT).
RECT ChannelRect(HWND main);

// Types digits into field fieldIndex (0 hours, 1 minutes, 2 seconds) of an
// editor as a user does: a click on the hours field, the right arrow key
// to the field, then the characters; the editor applies a field once two
// digits are in.
void TypeIntoField(HWND main, int id, int fieldIndex, const char* digits);
// Types a whole time into an editor, field by field, as a user who first
// sets the hours and minutes to 0 and then types the seconds, minutes and
// hours. Each field typed is a change the window takes.
void TypeTime(HWND main, int id, int hours, int minutes, int seconds);

// Mouse messages to the slider at x (client pixels, the low word of lParam
// as given), in the channel's middle row; keys is wParam (MK_ flags).
void SliderMouse(HWND main, UINT msg, WPARAM keys, WORD x);
// A click (press and release) on the slider at x.
void ClickSlider(HWND main, WORD x);

// Clicks a button or check box (BM_CLICK, posted) and waits until check
// holds; false when it never does.
bool ClickAndWait(HWND main, int id, const std::function<bool()>& check);

}  // namespace e2e
