// The test build's main window (ZorDU3VodizaroTest.exe) faults on request, hands
// the time editors the tenths field's notifications, which Wine's date-time
// control never sends, and reads the slider's caption, which is only drawn.
#pragma once

#include <windows.h>

constexpr UINT kTestFaultMessage = WM_APP + 0x3A0;  // wParam: 1 access violation, 2 division by zero,
                                                    // 3 a C++ exception, 4 an illegal instruction
constexpr char kTestFaultAtStartVariable[] = "ZDV_TEST_FAULT_AT_START";  // that fault at the end of WM_INITDIALOG
constexpr UINT kProbeTenthKey = WM_APP + 0x3B1;   // DTN_WMKEYDOWN of editor wParam, key lParam: its result
constexpr UINT kProbeTenthText = WM_APP + 0x3B2;  // DTN_FORMAT of editor wParam: 8 bytes of the text shown
constexpr UINT kProbeTenthSize = WM_APP + 0x3B3;  // DTN_FORMATQUERY of editor wParam: MAKELONG(cx, cy)
// Set (to anything): every step of long work waits 40 ms, so that a load takes a while.
constexpr char kTestSlowWorkVariable[] = "ZDV_TEST_SLOW_WORK";
constexpr UINT kProbeCaption = WM_APP + 0x3B4;    // the caption, repainted, into lParam (program memory)
constexpr size_t kProbeCaptionBytes = 256;
