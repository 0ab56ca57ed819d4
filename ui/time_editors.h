// The three time editors (date-time pickers 2042 position, 2040 start,
// 2041 end): their display format and their notifications.
#pragma once

#include <windows.h>

// Gives the three editors their "HH:mm:ss.X" format.
void SetTimeEditorFormats(HWND hMainDlg);

// True when hwnd is one of the three editors.
bool IsTimeEditor(HWND hMainDlg, HWND hwnd);

// A notification from one of the editors; returns the dialog's message
// result for it (0 for every editor notification).
LRESULT OnTimeEditorNotify(HWND hMainDlg, NMHDR* header);
