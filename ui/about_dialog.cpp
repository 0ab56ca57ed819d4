#include "about_dialog.h"

#include "app_state.h"
#include "dialog_dispatch.h"
#include "path_text.h"
#include "resource.h"
#include "skin_buttons.h"

#include <shellapi.h>

#include <vector>

namespace {

// Where the registry names the program that opens web addresses.
const char kBrowserCommandKey[] = "http\\shell\\open\\command";
// The most of the command that is read.
constexpr DWORD kBrowserCommandBytes = 4096;

// Reads the default value of the browser's command key into command, which
// holds kBrowserCommandBytes + 1 zero bytes, so the text always ends even
// when the value fills all it may take. False when the key or the value is
// missing or longer than that. The value's type is not looked at.
bool ReadBrowserCommand(std::vector<char>& command)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kBrowserCommandKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD bytes = kBrowserCommandBytes;
    const LONG result =
        RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(command.data()), &bytes);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

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

void OpenUrlWithBrowser(const char* url)
{
    std::vector<char> command(kBrowserCommandBytes + 1, '\0');
    const char* browser = ReadBrowserCommand(command) ? BrowserPathInCommand(command.data()) : nullptr;
    if (browser) {
        ShellExecuteA(nullptr, "open", browser, url, nullptr, SW_SHOWNORMAL);
    } else {
        // No browser's program to be found: the shell opens the address its way.
        ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
    }
}
