// Where cut files go: the output folder (edit 2032, browse button 2033) or,
// with check box 2034 "与输入文件夹相同", the source file's own folder.
#pragma once

#include <windows.h>

// Shows szOutputFolder in 2032, sets 2034 from bFolder and sends the window
// command 2034, so that 2032 and 2033 are enabled exactly when bFolder is 0
// from the first paint on.
void ShowOutputFolderSettings(HWND hMainDlg);

// Command 2034: bFolder becomes 1 when the box is checked, 0 otherwise;
// 2032 and 2033 are enabled only while it is 0.
void OnSameFolderToggled(HWND hMainDlg);
