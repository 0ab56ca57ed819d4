#include "output_folder.h"

#include "app_state.h"
#include "diag_log.h"
#include "path_controls.h"
#include "path_text.h"
#include "resource.h"
#include "wide_paths.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>

namespace {

// The folder browser: file-system folders only, nothing below the domain.
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;

}  // namespace

void ShowOutputFolderSettings(HWND hMainDlg)
{
    SetItemPath(hMainDlg, IDC_EDIT_OUTPUT_FOLDER, g_state.szOutputFolder, g_state.wszOutputFolder);
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
    if (msg == BFFM_INITIALIZED && data) SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

void ChooseOutputFolder(HWND hMainDlg)
{
    LogScope scope("Message: SET FOLDER");
    // The wide browser: it hands back folders of any name whole.
    const std::u16string current = WideOf(g_state.szOutputFolder, g_state.wszOutputFolder);
    BROWSEINFOW browse;
    browse.hwndOwner = hMainDlg;
    browse.pidlRoot = nullptr;  // the desktop
    browse.pszDisplayName = nullptr;
    browse.lpszTitle = L"选择文件夹";
    browse.ulFlags = kBrowseFlags;
    browse.lpfn = BrowseFolderCallback;
    browse.lParam = reinterpret_cast<LPARAM>(current.c_str());
    browse.iImage = 0;
    LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
    if (!chosen) return;
    // The shell writes at most MAX_PATH characters, and an empty text when
    // the item has no path: the folder is taken only when there is one.
    wchar_t path[MAX_PATH + 1] = {};
    const bool hasPath = SHGetPathFromIDListW(chosen, path) && path[0] != L'\0';
    CoTaskMemFree(chosen);
    if (!hasPath) return;
    SetStatePath(g_state.szOutputFolder, &g_state.wszOutputFolder,
                 WithSeparator(reinterpret_cast<const char16_t*>(path)));
    SetItemPath(hMainDlg, IDC_EDIT_OUTPUT_FOLDER, g_state.szOutputFolder, g_state.wszOutputFolder);
    g_log.Print("输出路径: %s", g_state.szOutputFolder);
}

void OpenOutputFolder(HWND hMainDlg)
{
    const char* folder = g_state.szOutputFolder;
    std::u16string original = g_state.wszOutputFolder ? g_state.wszOutputFolder : u"";
    if (g_state.bFolder && g_state.szSourcePath[0]) {
        strcpy(g_state.szScratch, g_state.szSourcePath);
        CutToFolder(g_state.szScratch);
        folder = g_state.szScratch;
        // The same cut of the original: a drive's root keeps its backslash.
        original = g_state.wszSourcePath ? g_state.wszSourcePath : u"";
        const size_t cut = original.rfind(u'\\');
        if (cut != std::u16string::npos) original.resize(cut == 2 && original[1] == u':' ? 3 : cut);
    }
    if (!original.empty()) {
        ShellExecuteW(hMainDlg, nullptr, reinterpret_cast<LPCWSTR>(original.c_str()), nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    ShellExecuteA(hMainDlg, nullptr, folder, nullptr, nullptr, SW_SHOWNORMAL);
}
