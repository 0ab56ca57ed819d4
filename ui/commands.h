// The main window's commands: WM_COMMAND by control identifier.
#pragma once

#include <windows.h>

// Runs the command of control id (the low word of wParam; the notification
// code and the sending control are not looked at). Identifiers without a
// command (Escape, notifications of the read-only edits) do nothing.
void OnMainCommand(HWND hMainDlg, int id, HWND hwndCtl, UINT codeNotify);
