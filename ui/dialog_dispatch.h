// Dispatch-table support for dialog procedures: one DLG_HANDLE line per
// message forwards to a typed handler (the windowsx.h crackers) and returns
// the handler's result the way a dialog procedure must.
#pragma once

#include <windows.h>
// Before windowsx.h, which cracks WM_DROPFILES only after it.
#include <shellapi.h>
#include <windowsx.h>

// The messages whose result is the dialog procedure's return value itself
// (the WM_CTLCOLOR family returns a brush, WM_INITDIALOG the focus flag) get
// it whole, pointer-sized (windowsx.h's SetDlgMsgResult cuts it to 32 bits);
// every other message stores it as DWLP_MSGRESULT and returns TRUE, "handled".
inline INT_PTR DialogResult(HWND hwnd, UINT msg, LRESULT result)
{
    switch (msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

// One line of a dialog procedure's switch (hwnd, wParam, lParam in scope).
#define DLG_HANDLE(message, fn) \
    case (message):             \
        return DialogResult(hwnd, (message), HANDLE_##message(hwnd, wParam, lParam, fn))
