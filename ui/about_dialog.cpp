#include "about_dialog.h"

#include "app_state.h"
#include "background.h"
#include "dialog_dispatch.h"
#include "resource.h"
#include "skin_buttons.h"

namespace {

BOOL OnInitDialog(HWND hwnd, HWND, LPARAM)
{
    SkinAboutButtons(hwnd);
    return FALSE;
}

BOOL OnEraseBkgnd(HWND hwnd, HDC hdc)
{
    PaintFillBackground(hwnd, hdc);
    return TRUE;
}

HBRUSH OnCtlColorStatic(HWND, HDC hdc, HWND, int)
{
    return TransparentStaticBrush(hdc);
}

void OnClose(HWND hwnd)
{
    EndDialog(hwnd, 0);
}

// OK and Escape close the box; the home-page button opens the page first.
// Other commands are left to the dialog manager.
INT_PTR OnCommand(HWND hwnd, int id)
{
    switch (id) {
    case IDC_BUTTON_HOME_PAGE:
        OpenUrlWithBrowser(ZDV_HOME_PAGE_URL);
        EndDialog(hwnd, 0);
        return TRUE;
    case IDC_BUTTON_ABOUT_OK:
    case IDC_ESCAPE:
        EndDialog(hwnd, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        DLG_HANDLE(WM_INITDIALOG, OnInitDialog);
        DLG_HANDLE(WM_ERASEBKGND, OnEraseBkgnd);
        DLG_HANDLE(WM_CTLCOLORSTATIC, OnCtlColorStatic);
        DLG_HANDLE(WM_CLOSE, OnClose);
    case WM_COMMAND:
        return OnCommand(hwnd, LOWORD(wParam));
    }
    return FALSE;
}

}  // namespace

void ShowAboutBox(HWND owner)
{
    DialogBoxParamA(g_state.hInstance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutDialogProc, 0);
}

// TODO: read the browser command from HKEY_CLASSES_ROOT\http\shell\open\command,
// keep the executable's path and launch it with the URL as its command line.
void OpenUrlWithBrowser(const char*) {}
