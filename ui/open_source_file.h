// Command 2037 "打开文件": the open-file dialog for a source MP3 file.
#pragma once

#include <windows.h>

// Shows the open-file dialog over hMainDlg, pre-filled with the open
// source's path (and starting in its folder). The chosen file's path and
// name go straight into szSourcePath and szFileTitle; then playback stops
// (as the Stop command does, which unchecks 2045), the file is loaded,
// 2038 and 2039 show its name and path as the load left them (both empty
// when it could not be opened), the cursor goes to 0 s with the selection
// shown, and the whole window repaints. Cancelling changes nothing and
// playback goes on. Logs "Button: OPEN FILE"; uses szScratch.
void OpenSourceFile(HWND hMainDlg);
