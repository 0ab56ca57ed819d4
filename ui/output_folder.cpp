#include "output_folder.h"

#include "app_state.h"
#include "diag_log.h"
#include "path_text.h"
#include "resource.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

namespace {

// The folder browser: file-system folders only, nothing below the domain.
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;

}  // namespace

void ShowOutputFolderSettings(HWND hMainDlg)
{
    SetDlgItemTextA(hMainDlg, IDC_EDIT_OUTPUT_FOLDER, g_state.szOutputFolder);
    CheckDlgButton(hMainDlg, IDC_CHECK_SAME_FOLDER, g_state.bFolder ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(hMainDlg, WM_COMMAND, IDC_CHECK_SAME_FOLDER, g_state.bFolder);
}

void OnSameFolderToggled(HWND hMainDlg)
{
    g_state.bFolder = IsDlgButtonChecked(hMainDlg, IDC_CHECK_SAME_FOLDER) == BST_CHECKED ? 1 : 0;
    const BOOL enable = g_state.bFolder == 0;
    EnableWindow(GetDlgItem(hMainDlg, IDC_EDIT_OUTPUT_FOLDER), enable);
    EnableWindow(GetDlgItem(hMainDlg, IDC_BUTTON_BROWSE_OUTPUT), enable);
}

int CALLBACK BrowseFolderCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data)
{
    if (msg == BFFM_INITIALIZED && data) SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

void ChooseOutputFolder(HWND hMainDlg)
{
    LogScope scope("Message: SET FOLDER");
    BROWSEINFOA browse;
    browse.hwndOwner = hMainDlg;
    browse.pidlRoot = nullptr;  // the desktop
    browse.pszDisplayName = nullptr;
    browse.lpszTitle = "选择文件夹";
    browse.ulFlags = kBrowseFlags;
    browse.lpfn = BrowseFolderCallback;
    browse.lParam = reinterpret_cast<LPARAM>(g_state.szOutputFolder);
    browse.iImage = 0;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (!chosen) return;
    // The shell writes at most MAX_PATH bytes, and an empty text when the
    // item has no path: the folder is taken only when there is one.
    char path[MAX_PATH + 1] = {};
    const bool hasPath = SHGetPathFromIDListA(chosen, path) && path[0] != '\0';
    CoTaskMemFree(chosen);
    if (!hasPath) return;
    strcpy(g_state.szOutputFolder, path);
    AppendSeparator(g_state.szOutputFolder, kTextBufferBytes);
    SetDlgItemTextA(hMainDlg, IDC_EDIT_OUTPUT_FOLDER, g_state.szOutputFolder);
    g_log.Print("输出路径: %s", g_state.szOutputFolder);
}

void OpenOutputFolder(HWND hMainDlg)
{
    const char* folder = g_state.szOutputFolder;
    if (g_state.bFolder && g_state.szSourcePath[0]) {
        strcpy(g_state.szScratch, g_state.szSourcePath);
        CutToFolder(g_state.szScratch);
        folder = g_state.szScratch;
    }
    ShellExecuteA(hMainDlg, nullptr, folder, nullptr, nullptr, SW_SHOWNORMAL);
}
