// The patterned background of the main window and the About box, and the
// transparent drawing of their static texts over it.
#pragma once

#include <windows.h>

// Fills the client area of hwnd on hdc with the background tile
// g_state.hbmFill, tiled from the top-left corner (WM_ERASEBKGND). Without a
// tile (gone after WM_CLOSE, or never made) it fills with the system's
// dialog colour instead.
void PaintFillBackground(HWND hwnd, HDC hdc);

// Lets a control's text stand on the background (WM_CTLCOLORSTATIC): sets
// hdc's background mode to TRANSPARENT and returns the stock NULL_BRUSH,
// which the caller returns from its dialog procedure.
HBRUSH TransparentStaticBrush(HDC hdc);
