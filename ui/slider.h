// The slider (trackbar 2014): its set-up, its owner-drawn channel with the
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
