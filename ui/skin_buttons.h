// The window's look: the patterned background of the main window and the
// About box, the transparent drawing of their static texts over it, and the
// skinned buttons (every push button of the main window, its check box 2045
// and the two buttons of the About box are handed to the skinned-control
// library with their icons, tooltip and style word).
#pragma once

#include <windows.h>

// Skins the 17 buttons of the main window in their fixed order; hides the
// "Bulk Splitting" button and disables the Exit button right after skinning
// them. Called once, first thing in WM_INITDIALOG. Icons come from the
// program's resources (the system owns the handles); the library's results
// are not examined.
void SkinButtons(HWND hMainDlg);

// Skins the two buttons of the About box (home page, OK).
void SkinAboutButtons(HWND hAboutDlg);

// Fills the client area of hwnd on hdc with the background tile
// g_state.hbmFill, tiled from the top-left corner (WM_ERASEBKGND). Without a
// tile (gone after WM_CLOSE, or never made) it fills with the system's
// dialog colour instead.
void PaintFillBackground(HWND hwnd, HDC hdc);

// Lets a control's text stand on the background (WM_CTLCOLORSTATIC): sets
// hdc's background mode to TRANSPARENT and returns the stock NULL_BRUSH,
// which the caller returns from its dialog procedure.
HBRUSH TransparentStaticBrush(HDC hdc);
