// The position and the selection, and the slider that shows them. The
// selection model: the cursor position and the selected range, the commands
// that mark and clear the range, and their display on the slider and the
// time editors; everything works on g_state and its window handles. The
// slider (trackbar 2014): its set-up, its owner-drawn channel with the
// selection and its caption, and the click-and-drag seek.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Sets the slider up once, at the end of the main window's initialisation:
// hSlider, the range 0..1000, page size 5, the ticks at 250, 500 and 750,
// nThumbMargin, hSliderFont, rcChannel, the position 0 and the selection;
// then SliderProc takes the slider's messages first.
void SetUpSlider(HWND hMainDlg);

// NM_CUSTOMDRAW from the slider: returns the answer for the draw stage (the
// dialog's message result). After the channel's own painting it paints the
// channel, the selection and the caption of FormatSliderCaption (which is
// also left in szCaption and szScratch).
LRESULT OnSliderCustomDraw(HWND hMainDlg, NMCUSTOMDRAW* draw);

// The level overview of the channel is made again from OverviewLevels() at
// the next paint (level_overview.h): called when they change.
void RefreshLevelOverview();

// fPosition = t (not clamped); the slider's thumb (with redraw) and the
// position editor 2042 show it. Does not move the audio stream.
void SetPosition(float t);

// Keeps 0 <= fStart and fEnd <= fDuration, then shows the position and the
// selection on the slider and fStart and fEnd in the editors 2040 and 2041.
void SyncSelectionUI();

// Moves the audio stream to fPosition: byte trunc(L x fPosition / fDuration)
// of its length L, read fresh. Playing or stopped state stays, a preview's
// range is forgotten; the library's result is ignored (with no source it asks
// for byte 0 of handle 0).
void SeekToPosition();

// Commands: start := position (2025, 2029), end := position (2026, 2030),
// clear the selection to the whole file (2027). Each repaints the slider.
void SetStartAtPosition(HWND hMainDlg);
void SetEndAtPosition(HWND hMainDlg);
void ClearSelection(HWND hMainDlg);
