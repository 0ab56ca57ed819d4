#include "open_source_file.h"

#include "app_state.h"
#include "diag_log.h"
#include "playback.h"
#include "resource.h"
#include "selection.h"
#include "source_loader.h"

#include <commdlg.h>

#include <cstring>

namespace {

// One filter: MP3 files (pairs of texts, the list ending in an empty one).
const char kFilter[] = "MP3 文件\0*.mp3\0";
// What the dialog may write into each of the two 64 KB buffers.
constexpr DWORD kDialogBufferChars = 0xffff;
// The file need not exist, its folder must; no other option.
constexpr DWORD kDialogFlags = OFN_EXPLORER | OFN_PATHMUSTEXIST;

}  // namespace

void OpenSourceFile(HWND hMainDlg)
{
    g_log.Print("Button: OPEN FILE");
    strcpy(g_state.szScratch, g_state.szSourcePath);
    OPENFILENAMEA dialog;
    memset(&dialog, 0, sizeof dialog);
    // The record without the fields added in Windows 2000, at its size for
    // this processor (76 bytes in a 32-bit program).
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = hMainDlg;
    dialog.hInstance = g_state.hInstance;
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = g_state.szSourcePath;
    dialog.nMaxFile = kDialogBufferChars;
    dialog.lpstrFileTitle = g_state.szFileTitle;
    dialog.nMaxFileTitle = kDialogBufferChars;
    dialog.lpstrInitialDir = g_state.szScratch;
    dialog.Flags = kDialogFlags;
    if (!GetOpenFileNameA(&dialog) || g_state.szFileTitle[0] == '\0') return;

    StopPlayback(hMainDlg);
    LoadSource(hMainDlg);
    SetDlgItemTextA(hMainDlg, IDC_STATIC_FILE_TITLE, g_state.szFileTitle);
    SetDlgItemTextA(hMainDlg, IDC_EDIT_SOURCE_PATH, g_state.szSourcePath);
    SetPosition(0);
    SyncSelectionUI();
    InvalidateRect(hMainDlg, nullptr, TRUE);
}
