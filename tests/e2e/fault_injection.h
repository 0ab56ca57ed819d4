// The fault-test build of the program (ZorDU3VodizaroFaultTest.exe): its
// main window answers one private message with a deliberate fault, so that
// the end-to-end tests can prove the exception guard from outside.
#pragma once

#include <windows.h>

// Posted to the main window; wParam is a TestFault.
constexpr UINT kTestFaultMessage = WM_APP + 0x3A0;

// When this environment variable holds a TestFault number, the window faults
// that way at the end of its WM_INITDIALOG, while it is being created.
constexpr char kTestFaultAtStartVariable[] = "ZDV_TEST_FAULT_AT_START";

enum class TestFault : WPARAM {
    AccessViolation = 1,     // a write through a null pointer
    IntegerDivideByZero = 2,
    CppException = 3,        // a C++ exception that nobody catches
    IllegalInstruction = 4,
};

// The main window's dialog procedure with the fault added in front.
INT_PTR CALLBACK FaultInjectingDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
