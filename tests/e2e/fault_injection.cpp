#include "fault_injection.h"

#include "app_state.h"
#include "main_dialog.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

volatile int g_zero = 0;
volatile int g_seven = 7;
int* volatile g_nowhere = nullptr;

void RaiseTestFault(TestFault fault)
{
    switch (fault) {
    case TestFault::AccessViolation:
        *g_nowhere = 1;
        break;
    case TestFault::IntegerDivideByZero:
        g_zero = g_seven / g_zero;
        break;
    case TestFault::CppException:
        throw std::runtime_error("test fault");
    case TestFault::IllegalInstruction:
        __builtin_trap();
    }
}

// A notification record of editor id at its time, handed to the window;
// returns the result the window left for the control.
template <typename Record>
LRESULT Notify(HWND hwnd, int id, UINT code, Record& record)
{
    record.nmhdr = {GetDlgItem(hwnd, id), static_cast<UINT_PTR>(id), code};
    record.pszFormat = "X";
    MainDialogProc(hwnd, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&record.nmhdr));
    return GetWindowLongPtrA(hwnd, DWLP_MSGRESULT);
}

LRESULT Probe(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const int id = static_cast<int>(wParam);
    if (msg == kProbeTenthKey) {
        NMDATETIMEWMKEYDOWNA key = {};
        key.nVirtKey = static_cast<int>(lParam);
        SendDlgItemMessageA(hwnd, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&key.st));
        return Notify(hwnd, id, DTN_WMKEYDOWNA, key);
    }
    if (msg == kProbeTenthText) {
        NMDATETIMEFORMATA format = {};
        SendDlgItemMessageA(hwnd, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&format.st));
        format.pszDisplay = format.szDisplay;
        Notify(hwnd, id, DTN_FORMATA, format);
        LRESULT text = 0;
        memcpy(&text, format.pszDisplay, strnlen(format.pszDisplay, sizeof text));
        return text;
    }
    if (msg == kProbeTenthSize) {
        NMDATETIMEFORMATQUERYA query = {};
        Notify(hwnd, id, DTN_FORMATQUERYA, query);
        return MAKELONG(query.szMax.cx, query.szMax.cy);
    }
    RedrawWindow(g_state.hSlider, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    strncpy(reinterpret_cast<char*>(lParam), g_state.szScratch, kProbeCaptionBytes - 1);
    return 1;
}

}  // namespace

INT_PTR CALLBACK FaultInjectingDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kTestFaultMessage) {
        RaiseTestFault(static_cast<TestFault>(wParam));
        return TRUE;
    }
    if (msg >= kProbeTenthKey && msg <= kProbeCaption) {
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, Probe(hwnd, msg, wParam, lParam));
        return TRUE;
    }
    const INT_PTR result = MainDialogProc(hwnd, msg, wParam, lParam);
    char kind[8] = {};
    if (msg == WM_INITDIALOG && GetEnvironmentVariableA(kTestFaultAtStartVariable, kind, sizeof kind))
        RaiseTestFault(static_cast<TestFault>(atoi(kind)));
    return result;
}

DLGPROC MainWindowDialogProc()
{
    return FaultInjectingDialogProc;
}
