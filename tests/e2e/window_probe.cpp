#include "window_probe.h"

#include "app_state.h"
#include "main_dialog.h"
#include "source_loader.h"

#include <commctrl.h>

#include <cstring>

namespace {

// The editor's current time, as the control puts it into its records.
SYSTEMTIME EditorTime(HWND editor)
{
    SYSTEMTIME st = {};
    SendMessageA(editor, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    return st;
}

NMHDR Header(HWND hwnd, int editorId, UINT code)
{
    NMHDR header;
    header.hwndFrom = GetDlgItem(hwnd, editorId);
    header.idFrom = static_cast<UINT_PTR>(editorId);
    header.code = code;
    return header;
}

// Hands the record to the window as WM_NOTIFY and returns the result the
// window left for the control.
LRESULT Notify(HWND hwnd, NMHDR& header)
{
    MainDialogProc(hwnd, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return GetWindowLongPtrA(hwnd, DWLP_MSGRESULT);
}

LRESULT TenthKey(HWND hwnd, int editorId, LPARAM key)
{
    NMDATETIMEWMKEYDOWNA record = {};
    record.nmhdr = Header(hwnd, editorId, DTN_WMKEYDOWNA);
    record.nVirtKey = static_cast<int>(key);
    record.pszFormat = "X";
    record.st = EditorTime(record.nmhdr.hwndFrom);
    return Notify(hwnd, record.nmhdr);
}

LRESULT TenthText(HWND hwnd, int editorId)
{
    NMDATETIMEFORMATA record = {};
    record.nmhdr = Header(hwnd, editorId, DTN_FORMATA);
    record.pszFormat = "X";
    record.st = EditorTime(record.nmhdr.hwndFrom);
    record.pszDisplay = record.szDisplay;
    Notify(hwnd, record.nmhdr);
    LRESULT text = 0;
    memcpy(&text, record.pszDisplay, strnlen(record.pszDisplay, sizeof text));
    return text;
}

LRESULT TenthSize(HWND hwnd, int editorId)
{
    NMDATETIMEFORMATQUERYA record = {};
    record.nmhdr = Header(hwnd, editorId, DTN_FORMATQUERYA);
    record.pszFormat = "X";
    Notify(hwnd, record.nmhdr);
    return MAKELONG(record.szMax.cx, record.szMax.cy);
}

LRESULT Load(HWND hwnd, const char* path)
{
    strncpy(g_state.szSourcePath, path, kTextBufferBytes - 1);
    const char* title = strrchr(path, '\\');
    strncpy(g_state.szFileTitle, title ? title + 1 : path, kTextBufferBytes - 1);
    LoadSource(hwnd);
    return 1;
}

}  // namespace

INT_PTR CALLBACK ProbingDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result;
    switch (msg) {
    case kProbeStateAddress:
        result = reinterpret_cast<LRESULT>(&g_state);
        break;
    case kProbeTenthKey:
        result = TenthKey(hwnd, static_cast<int>(wParam), lParam);
        break;
    case kProbeTenthText:
        result = TenthText(hwnd, static_cast<int>(wParam));
        break;
    case kProbeTenthSize:
        result = TenthSize(hwnd, static_cast<int>(wParam));
        break;
    case kProbeLoadSource:
        result = Load(hwnd, reinterpret_cast<const char*>(lParam));
        break;
    default:
        return MainDialogProc(hwnd, msg, wParam, lParam);
    }
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

DLGPROC MainWindowDialogProc()
{
    return ProbingDialogProc;
}
