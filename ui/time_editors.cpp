#include "time_editors.h"

#include "resource.h"

// TODO: DTM_SETFORMATA "HH:mm:ss.X" to 2042, 2040 and 2041.
void SetTimeEditorFormats(HWND) {}

bool IsTimeEditor(HWND hMainDlg, HWND hwnd)
{
    return hwnd && (hwnd == GetDlgItem(hMainDlg, IDC_TIME_POSITION) || hwnd == GetDlgItem(hMainDlg, IDC_TIME_START) ||
                    hwnd == GetDlgItem(hMainDlg, IDC_TIME_END));
}

// TODO: DTN_FORMATQUERY, DTN_FORMAT, DTN_WMKEYDOWN (the tenths field) and
// DTN_DATETIMECHANGE.
LRESULT OnTimeEditorNotify(HWND, NMHDR*)
{
    return 0;
}
