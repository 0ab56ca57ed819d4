#include "fault_injection.h"

#include "main_dialog.h"

#include <cstdlib>
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
        g_zero = g_seven / g_zero;  // (1 / x is computed without dividing)
        break;
    case TestFault::CppException:
        throw std::runtime_error("test fault");
    case TestFault::IllegalInstruction:
        __builtin_trap();
    }
}

}  // namespace

INT_PTR CALLBACK FaultInjectingDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kTestFaultMessage) {
        RaiseTestFault(static_cast<TestFault>(wParam));
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
