// The subclass procedure of a skinned button. The button's own procedure
// still does everything a button does (click, keyboard, check state,
// BN_CLICKED); this one only paints, after it, with PaintSkinButton.
#include "skin_button.h"

#include "skin_paint.h"

#include <commctrl.h>

#include <string>

namespace {

const char kPropSkin[] = "KivControls.Skin";

struct SkinData {
    WNDPROC oldProc = nullptr;
    HICON hIcon = nullptr;
    HICON hIcon2 = nullptr;
    DWORD dwStyle = 0;
    bool bHot = false;  // the mouse is over the button
};

SkinData* DataOf(HWND hwnd)
{
    return static_cast<SkinData*>(GetPropA(hwnd, kPropSkin));
}

bool IsCheckBox(HWND hwnd)
{
    switch (GetWindowLongPtrA(hwnd, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}

void Paint(HWND hwnd, const SkinData& data, HDC hdcTarget)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (rc.right <= 0 || rc.bottom <= 0) return;

    LRESULT state = CallWindowProcA(data.oldProc, hwnd, BM_GETSTATE, 0, 0);
    SkinButtonLook look = {};
    look.dwStyle = data.dwStyle;
    look.bCheckBox = IsCheckBox(hwnd);
    look.nCheck = static_cast<int>(state & 3);
    look.bPressed = (state & BST_PUSHED) != 0;
    look.bHot = data.bHot && (data.dwStyle & KIV_STYLE_HOT) != 0;
    look.bDisabled = !IsWindowEnabled(hwnd);
    LRESULT ui = SendMessageA(hwnd, WM_QUERYUISTATE, 0, 0);
    look.bFocus = GetFocus() == hwnd && !(ui & UISF_HIDEFOCUS);
    bool alternative = look.bPressed || look.bHot || (look.bCheckBox && look.nCheck == BST_CHECKED);
    look.hIcon = alternative && data.hIcon2 ? data.hIcon2 : data.hIcon;

    std::string text;
    int length = GetWindowTextLengthA(hwnd);
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        text.resize(static_cast<size_t>(GetWindowTextA(hwnd, &text[0], length + 1)));
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    // Drawn off screen, then copied in one go: no flicker.
    HDC hdcMem = CreateCompatibleDC(hdcTarget);
    HBITMAP hbm = CreateCompatibleBitmap(hdcTarget, rc.right, rc.bottom);
    if (!hdcMem || !hbm) {
        if (hbm) DeleteObject(hbm);
        if (hdcMem) DeleteDC(hdcMem);
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(hdcMem, hbm);
    PaintSkinButton(hwnd, hdcMem, rc, look, text.c_str(), font);
    BitBlt(hdcTarget, 0, 0, rc.right, rc.bottom, hdcMem, 0, 0, SRCCOPY);
    SelectObject(hdcMem, oldBitmap);
    DeleteObject(hbm);
    DeleteDC(hdcMem);
}

// Repaints at once: the button's own procedure may just have drawn the
// standard look straight to the screen.
void RepaintNow(HWND hwnd)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE);
}

// Messages after which the button's own procedure may have painted itself.
bool ChangesLook(UINT msg)
{
    switch (msg) {
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE:
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_SETSTYLE:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK SkinProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    SkinData* data = DataOf(hwnd);
    if (!data) return DefWindowProcA(hwnd, msg, wParam, lParam);
    WNDPROC oldProc = data->oldProc;

    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        if (hdc) Paint(hwnd, *data, hdc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(hwnd, *data, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers everything
    case WM_MOUSEMOVE:
        if (!data->bHot && (data->dwStyle & KIV_STYLE_HOT)) {
            data->bHot = true;
            TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, hwnd, 0};
            TrackMouseEvent(&tme);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        if (data->bHot) {
            data->bHot = false;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc));
        RemovePropA(hwnd, kPropSkin);
        delete data;
        return CallWindowProcA(oldProc, hwnd, msg, wParam, lParam);
    default:
        break;
    }

    LRESULT result = CallWindowProcA(oldProc, hwnd, msg, wParam, lParam);
    if (ChangesLook(msg) && IsWindow(hwnd)) RepaintNow(hwnd);
    return result;
}

}  // namespace

bool SkinButton(HWND hButton, const SkinButtonDesc& desc)
{
    if (!IsWindow(hButton)) return false;
    SkinData* data = DataOf(hButton);
    if (!data) {
        data = new SkinData;
        if (!SetPropA(hButton, kPropSkin, data)) {
            delete data;
            return false;
        }
        data->oldProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hButton, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SkinProc)));
    }
    data->hIcon = desc.hIcon;
    data->hIcon2 = desc.hIcon2;
    data->dwStyle = desc.dwStyle;
    InvalidateRect(hButton, nullptr, FALSE);
    return true;
}
