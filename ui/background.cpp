#include "background.h"

#include "app_state.h"

void PaintFillBackground(HWND hwnd, HDC hdc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH pattern = g_state.hbmFill ? CreatePatternBrush(g_state.hbmFill) : nullptr;
    if (!pattern) {
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_3DFACE));
        return;
    }
    HGDIOBJ previous = SelectObject(hdc, pattern);
    // The client rectangle starts at 0, 0: right and bottom are its size.
    PatBlt(hdc, rc.left, rc.top, rc.right, rc.bottom, PATCOPY);
    SelectObject(hdc, previous);
    DeleteObject(pattern);
}

HBRUSH TransparentStaticBrush(HDC hdc)
{
    SetBkMode(hdc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}
