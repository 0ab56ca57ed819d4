// Where cut files go: the output folder (edit 2032, browse button 2033) or,
// with check box 2034 "与输入文件夹相同", the source file's own folder; and
// that folder shown in the shell (button 2031 "打开").
#pragma once

#include <windows.h>

// Shows szOutputFolder in 2032, sets 2034 from bFolder and sends the window
// command 2034, so that 2032 and 2033 are enabled exactly when bFolder is 0
// from the first paint on.
void ShowOutputFolderSettings(HWND hMainDlg);

// Command 2034: bFolder becomes 1 when the box is checked, 0 otherwise;
// 2032 and 2033 are enabled only while it is 0.
void OnSameFolderToggled(HWND hMainDlg);

// Command 2033: the shell's folder browser, opened on szOutputFolder. A
// chosen folder becomes szOutputFolder with one trailing backslash (a drive
// root keeps its own), is shown in 2032 and logged as "输出路径: ..." under
// "Message: SET FOLDER". Cancelling, or choosing something that is no folder
// of the file system, changes nothing.
void ChooseOutputFolder(HWND hMainDlg);

// The folder browser's callback: once the browser is ready
// (BFFM_INITIALIZED) it selects the folder whose UTF-16 path data points to,
// when data is not null. Returns 0 for every message.
int CALLBACK BrowseFolderCallback(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data);

// Command 2031: opens, with the shell's default action, the source's folder
// (szSourcePath cut by CutToFolder) when bFolder is set and a source is
// open, otherwise szOutputFolder as it stands. Uses szScratch; the launch's
// result is not examined.
void OpenOutputFolder(HWND hMainDlg);
