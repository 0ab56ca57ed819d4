// The main window, MainDialog (template IDD_MAIN): the dialog procedure,
// which forwards each message to its handler.
#pragma once

#include <windows.h>

// The dialog procedure of the main window, for DialogBoxParamA. Messages
// without a handler return FALSE (the dialog manager's default handling).
INT_PTR CALLBACK MainDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
