#include "output_folder.h"

#include "app_state.h"
#include "resource.h"

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
