#include "main_dialog.h"

#include "app_state.h"
#include "background.h"
#include "commands.h"
#include "dialog_dispatch.h"
#include "engine_ui_win32.h"
#include "life_cycle.h"
#include "output_folder.h"
#include "playback.h"
#include "resource.h"
#include "skin_buttons.h"
#include "slider.h"
#include "source_loader.h"
#include "time_editors.h"

#include <commctrl.h>

namespace {

constexpr int kTitleFontHeight = 26;  // cell height in pixels

// File name in the large static 2038 ("无文件" without a source) and full
// path in edit 2039.
void ShowSourceNames(HWND hwnd)
{
    SetDlgItemTextA(hwnd, IDC_STATIC_FILE_TITLE, g_state.szFileTitle[0] ? g_state.szFileTitle : "无文件");
    SetDlgItemTextA(hwnd, IDC_EDIT_SOURCE_PATH, g_state.szSourcePath);
}

// The large font of 2038, kept until the process ends.
void SetTitleFont(HWND hwnd)
{
    g_state.hTitleFont = CreateFontA(kTitleFontHeight, 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                     "MS Shell Dlg");
    SendDlgItemMessageA(hwnd, IDC_STATIC_FILE_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(g_state.hTitleFont), FALSE);
}

BOOL OnInitDialog(HWND hwnd, HWND, LPARAM)
{
    g_state.hMainDlg = hwnd;
    // The engine's boxes (and the audio error box) are owned by this window.
    static MainWindowEngineUi s_engineUi(IDC_BUTTON_OPEN_FILE);
    InstallEngineUi(&s_engineUi);
    SkinButtons(hwnd);
    SendMessageA(hwnd, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconA(g_state.hInstance, MAKEINTRESOURCEA(IDI_PROGRAM))));
    if (!StartAudioOutput(hwnd)) return FALSE;
    LoadSource(hwnd);
    ShowOutputFolderSettings(hwnd);
    StartPositionTimer(hwnd);
    SetTimeEditorFormats(hwnd);
    ShowSourceNames(hwnd);
    SetTitleFont(hwnd);
    SetUpSlider(hwnd);
    return TRUE;  // the focus goes to the first tab stop, 2037
}

BOOL OnEraseBkgnd(HWND hwnd, HDC hdc)
{
    PaintFillBackground(hwnd, hdc);
    return TRUE;
}

// The output-folder edit, the source-path edit, the same-folder check box
// and the slider keep their normal opaque colours; every other static, group
// box and check box shows the background through its text.
HBRUSH OnCtlColorStatic(HWND hwnd, HDC hdc, HWND hwndChild, int)
{
    static const int kOpaque[] = {IDC_EDIT_OUTPUT_FOLDER, IDC_EDIT_SOURCE_PATH, IDC_CHECK_SAME_FOLDER, IDC_SLIDER};
    for (int id : kOpaque) {
        if (hwndChild == GetDlgItem(hwnd, id)) return nullptr;
    }
    return TransparentStaticBrush(hdc);
}

void OnTimer(HWND hwnd, UINT)
{
    OnPositionTimer(hwnd);
}

// The slider's custom draw and the time editors' notifications are handled;
// any other notification is left to the dialog manager.
INT_PTR OnNotify(HWND hwnd, NMHDR* header)
{
    LRESULT result;
    if (g_state.hSlider && header->hwndFrom == g_state.hSlider && header->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
        result = OnSliderCustomDraw(hwnd, reinterpret_cast<NMCUSTOMDRAW*>(header));
    } else if (IsTimeEditor(hwnd, header->hwndFrom)) {
        result = OnTimeEditorNotify(hwnd, header);
    } else {
        return FALSE;
    }
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        DLG_HANDLE(WM_INITDIALOG, OnInitDialog);
        DLG_HANDLE(WM_ERASEBKGND, OnEraseBkgnd);
        DLG_HANDLE(WM_CTLCOLORSTATIC, OnCtlColorStatic);
        DLG_HANDLE(WM_COMMAND, OnMainCommand);
        DLG_HANDLE(WM_TIMER, OnTimer);
        DLG_HANDLE(WM_CLOSE, OnMainWindowClose);
        DLG_HANDLE(WM_DESTROY, OnMainWindowDestroy);
    case WM_NOTIFY:
        return OnNotify(hwnd, reinterpret_cast<NMHDR*>(lParam));
    }
    // Registered at start-up, so it cannot be a case label.
    if (msg == g_state.msgMutex && msg != 0) {
        BringMainWindowToFront(hwnd);
        return TRUE;
    }
    return FALSE;
}
