// The selection model: the cursor position and the selected range, and the
// commands that mark and clear the range.
#pragma once

#include <windows.h>

// Commands: start := position (2025, 2029), end := position (2026, 2030),
// clear the selection to the whole file (2027).
void SetStartAtPosition(HWND hMainDlg);
void SetEndAtPosition(HWND hMainDlg);
void ClearSelection(HWND hMainDlg);
