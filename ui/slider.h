// The slider (trackbar 2014): its set-up, its owner-drawn channel with the
// selection and its caption, and the click-and-drag seek.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Sets the slider up once, at the end of the main window's initialisation.
void SetUpSlider(HWND hMainDlg);

// NM_CUSTOMDRAW from the slider: returns the answer for the draw stage
// (the dialog's message result).
LRESULT OnSliderCustomDraw(HWND hMainDlg, NMCUSTOMDRAW* draw);
