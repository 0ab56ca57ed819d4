// The test build of the program (ZorDU3VodizaroTest.exe): its main window
// answers a few private messages of the end-to-end tests. One faults on
// purpose, so that the exception guard can be proved from outside; the
// others hand the time editors the notifications that Wine's date-time
// control never sends (those of the tenths field), built inside the program
// as the control would build them, and read the slider's caption, which is
// only drawn.
#pragma once

#include <windows.h>

// wParam is a TestFault.
constexpr UINT kTestFaultMessage = WM_APP + 0x3A0;
// When this environment variable holds a TestFault number, the window faults
// that way at the end of its WM_INITDIALOG.
constexpr char kTestFaultAtStartVariable[] = "ZDV_TEST_FAULT_AT_START";

enum class TestFault : WPARAM {
    AccessViolation = 1,  // a write through a null pointer
    IntegerDivideByZero = 2,
    CppException = 3,  // a C++ exception that nobody catches
    IllegalInstruction = 4,
};

// DTN_WMKEYDOWN from editor wParam for the virtual key lParam, at the
// editor's time; returns the window's result.
constexpr UINT kProbeTenthKey = WM_APP + 0x3B1;
// DTN_FORMAT for the field "X" of editor wParam; returns the first 8 bytes
// of the text shown (zero-padded).
constexpr UINT kProbeTenthText = WM_APP + 0x3B2;
// DTN_FORMATQUERY for the field "X" of editor wParam; returns MAKELONG(cx, cy).
constexpr UINT kProbeTenthSize = WM_APP + 0x3B3;
// Repaints the slider and copies its caption to lParam, a buffer of
// kProbeCaptionBytes in the program's memory.
constexpr UINT kProbeCaption = WM_APP + 0x3B4;
constexpr size_t kProbeCaptionBytes = 256;

// The main window's dialog procedure with those messages in front.
INT_PTR CALLBACK FaultInjectingDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
