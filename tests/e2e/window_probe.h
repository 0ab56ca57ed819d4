// The window-test build of the program (ZorDU3VodizaroWindowTest.exe): its
// main window answers a few private messages, sent by the end-to-end tests
// from their own process, that let them read the state record and hand the
// time editors notifications which Wine's date-time control never sends
// (those of the tenths field). The notification records are built inside
// the program, as the control would build them, and go through the window's
// own dialog procedure.
#pragma once

#include <windows.h>

// Returns the address of g_state in the program (read it with
// ReadProcessMemory).
constexpr UINT kProbeStateAddress = WM_APP + 0x3B0;
// DTN_WMKEYDOWN from editor wParam (2042, 2040 or 2041) for the virtual key
// lParam, with the editor's current time; returns the message result.
constexpr UINT kProbeTenthKey = WM_APP + 0x3B1;
// DTN_FORMAT for the field "X" of editor wParam at its current time;
// returns the first 8 bytes of the display text (zero-padded).
constexpr UINT kProbeTenthText = WM_APP + 0x3B2;
// DTN_FORMATQUERY for the field "X" of editor wParam; returns the size as
// MAKELONG(cx, cy).
constexpr UINT kProbeTenthSize = WM_APP + 0x3B3;
// Loads the file whose CP936 path the program holds at address lParam (as
// the open-file command does: path and title, then LoadSource); returns 1.
constexpr UINT kProbeLoadSource = WM_APP + 0x3B4;

// The main window's dialog procedure with the probe messages in front.
INT_PTR CALLBACK ProbingDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
