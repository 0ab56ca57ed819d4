#include "life_cycle.h"

#include "app_state.h"
#include "bass.h"
#include "diag_log.h"

namespace {

void DeleteBitmap(HBITMAP& bitmap)
{
    DeleteObject(bitmap);
    bitmap = nullptr;
}

INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

}  // namespace

void OnMainWindowClose(HWND hMainDlg)
{
    g_log.Print("Message: CLOSE");
    g_log.Indent();
    DeleteBitmap(g_state.hbmFill);
    DeleteBitmap(g_state.hbmFill2);
    EndDialog(hMainDlg, 0);
    g_log.Unindent();
}

void OnMainWindowDestroy(HWND)
{
    g_log.Print("Message: DESTROY");
    g_log.Indent();
    ReleaseMutex(g_state.hMutex);
    BASS_Free();
    g_log.Unindent();
}

void BringMainWindowToFront(HWND hMainDlg)
{
    SetForegroundWindow(hMainDlg);
    ShowWindow(hMainDlg, SW_SHOWNORMAL);
}

void RetireMainWindow()
{
    HWND hMainDlg = g_state.hMainDlg;
    if (!hMainDlg || !IsWindow(hMainDlg)) return;
    SetWindowLongPtrA(hMainDlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&InertDialogProc));
    DestroyWindow(hMainDlg);
}
