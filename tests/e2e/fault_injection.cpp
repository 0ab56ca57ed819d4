#include "fault_injection.h"

#include "app_state.h"
#include "main_dialog.h"
#include "resource.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

volatile int g_zero = 0;
int* volatile g_nowhere = nullptr;

void RaiseTestFault(int fault)
{
    if (fault == 1) *g_nowhere = 1;
    if (fault == 2) g_zero = 7 / g_zero;
    if (fault == 3) throw std::runtime_error("test fault");
    if (fault == 4) __builtin_trap();
}

// A notification record of editor id at its time, through the window's own
// procedure; returns what the window left for the control.
template <typename Record>
LRESULT Notify(HWND hwnd, int id, UINT code, Record& record)
{
    record.nmhdr = {GetDlgItem(hwnd, id), static_cast<UINT_PTR>(id), code};
    record.pszFormat = "X";
    MainDialogProc(hwnd, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&record.nmhdr));
    return GetWindowLongPtrA(hwnd, DWLP_MSGRESULT);
}

LRESULT Probe(HWND hwnd, UINT msg, int id, LPARAM lParam)
{
    NMDATETIMEWMKEYDOWNA key = {};
    NMDATETIMEFORMATA format = {};
    NMDATETIMEFORMATQUERYA query = {};
    LRESULT result = 0;
    switch (msg) {
    case kProbeTenthKey:
        key.nVirtKey = static_cast<int>(lParam);
        SendDlgItemMessageA(hwnd, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&key.st));
        return Notify(hwnd, id, DTN_WMKEYDOWNA, key);
    case kProbeTenthText:
        SendDlgItemMessageA(hwnd, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&format.st));
        format.pszDisplay = format.szDisplay;
        Notify(hwnd, id, DTN_FORMATA, format);
        memcpy(&result, format.pszDisplay, strnlen(format.pszDisplay, sizeof result));
        return result;
    case kProbeTenthSize:
        Notify(hwnd, id, DTN_FORMATQUERYA, query);
        return MAKELONG(query.szMax.cx, query.szMax.cy);
    default:
        RedrawWindow(g_state.hSlider, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        strncpy(reinterpret_cast<char*>(lParam), g_state.szScratch, kProbeCaptionBytes - 1);
        return 1;
    }
}

class SlowWorkUi : public MainWindowEngineUi {
public:
    SlowWorkUi() : MainWindowEngineUi(IDC_BUTTON_OPEN_FILE) {}
    void ShowProgress(const char* what, int percent) override
    {
        Sleep(40);
        MainWindowEngineUi::ShowProgress(what, percent);
    }
};

INT_PTR CALLBACK FaultInjectingDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kTestFaultMessage) RaiseTestFault(static_cast<int>(wParam));
    if (msg >= kProbeTenthKey && msg <= kProbeCaption) {
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, Probe(hwnd, msg, static_cast<int>(wParam), lParam));
        return TRUE;
    }
    const INT_PTR result = MainDialogProc(hwnd, msg, wParam, lParam);
    char fault[8] = {};
    if (msg == WM_INITDIALOG && GetEnvironmentVariableA(kTestFaultAtStartVariable, fault, sizeof fault))
        RaiseTestFault(atoi(fault));
    static SlowWorkUi s_slow;
    if (msg == WM_INITDIALOG && GetEnvironmentVariableA(kTestSlowWorkVariable, fault, sizeof fault))
        InstallEngineUi(&s_slow);
    return result;
}

}  // namespace

DLGPROC MainWindowDialogProc() { return FaultInjectingDialogProc; }
