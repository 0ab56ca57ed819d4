#include "time_editors.h"

#include "app_state.h"
#include "resource.h"
#include "slider.h"
#include "slider_mapping.h"
#include "time_fields.h"

#include <commctrl.h>

namespace {

const int kEditors[] = {IDC_TIME_POSITION, IDC_TIME_START, IDC_TIME_END};
const char kFormatWithTenths[] = "HH:mm:ss.X";
const char kFormatWithoutTenths[] = "HH:mm:ss";

// Set once an editor has asked for the tenths field's size or text: the
// control draws the fields the window fills in.
bool g_tenthsAsked = false;

// The time of the editor that notified: fPosition, fStart or fEnd.
float* TimeOfEditor(HWND hMainDlg, HWND editor)
{
    if (editor == GetDlgItem(hMainDlg, IDC_TIME_POSITION)) return &g_state.fPosition;
    if (editor == GetDlgItem(hMainDlg, IDC_TIME_START)) return &g_state.fStart;
    return &g_state.fEnd;
}

// The width and height of the tenths field: one digit in the slider's font
// (the device context's own font before the slider has made it).
void MeasureTenthsField(HWND hMainDlg, NMDATETIMEFORMATQUERYA* query)
{
    HDC hdc = GetDC(hMainDlg);
    HGDIOBJ previous = g_state.hSliderFont ? SelectObject(hdc, g_state.hSliderFont) : nullptr;
    GetTextExtentPoint32A(hdc, "8", 1, &query->szMax);
    if (previous) SelectObject(hdc, previous);
    ReleaseDC(hMainDlg, hdc);
}

void ShowTenthsField(NMDATETIMEFORMATA* format)
{
    FormatTenth(format->st.wMilliseconds, format->szDisplay, sizeof format->szDisplay);
    format->pszDisplay = format->szDisplay;
}

// A key in the tenths field: a digit sets the tenths of the editor's time
// and stores that time as it is.
void TypeTenth(HWND hMainDlg, NMDATETIMEWMKEYDOWNA* key)
{
    float value = -1.0f;
    const int milliseconds = TenthMilliseconds(static_cast<unsigned>(key->nVirtKey));
    if (milliseconds != kNotATenth) {
        key->st.wMilliseconds = static_cast<WORD>(milliseconds);
        value = SystemTimeToSeconds(key->st);
    }
    if (!(value > 0)) return;
    SendMessageA(key->nmhdr.hwndFrom, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&key->st));
    *TimeOfEditor(hMainDlg, key->nmhdr.hwndFrom) = value;
    SyncSelectionUI();
}

// An hour, minute or second changed by the user (the date and the
// valid/none flag are not looked at).
void TakeChangedTime(HWND hMainDlg, const NMDATETIMECHANGE* change)
{
    const float value = SystemTimeToSeconds(change->st);
    HWND editor = change->nmhdr.hwndFrom;
    if (editor == GetDlgItem(hMainDlg, IDC_TIME_POSITION)) {
        SetPosition(value);
        SeekToPosition();
    } else if (editor == GetDlgItem(hMainDlg, IDC_TIME_START)) {
        MoveSelectionStart(value, g_state.fDuration, g_state.fStart, g_state.fEnd);
        SyncSelectionUI();
    } else {
        MoveSelectionEnd(value, g_state.fStart, g_state.fEnd);
        SyncSelectionUI();
    }
}

// Draws editor into a bitmap of its size: a control that fills its fields
// through the window asks for the tenths as it draws.
void DrawEditorAside(HWND editor)
{
    RECT client;
    GetClientRect(editor, &client);
    HDC screen = GetDC(editor);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    SendMessageA(editor, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(editor, screen);
}

}  // namespace

void SetTimeEditorFormats(HWND hMainDlg)
{
    for (int id : kEditors)
        SendDlgItemMessageA(hMainDlg, id, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(kFormatWithTenths));
    if (!g_tenthsAsked) DrawEditorAside(GetDlgItem(hMainDlg, kEditors[0]));
    if (g_tenthsAsked) return;
    // Such a control would show an "x" that can be neither read nor typed.
    for (int id : kEditors)
        SendDlgItemMessageA(hMainDlg, id, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(kFormatWithoutTenths));
}

void SetTimeEditorRanges(HWND hMainDlg, float fDuration)
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    SYSTEMTIME range[2];
    EditorRangeOf(now, fDuration, range);
    // Both limits in one message: a message naming one limit removes the other.
    for (int id : kEditors)
        SendDlgItemMessageA(hMainDlg, id, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
}

void ShowTimeInEditor(HWND hMainDlg, int id, float t)
{
    HWND editor = GetDlgItem(hMainDlg, id);
    if (!editor) return;
    SendMessageA(editor, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&g_state.stScratch));
    SYSTEMTIME range[2] = {};
    const bool hasMin = (SendMessageA(editor, DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(range)) & GDTR_MIN) != 0;
    g_state.stScratch = EditorTimeOf(g_state.stScratch, hasMin ? &range[0] : nullptr, t);
    SendMessageA(editor, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&g_state.stScratch));
}

bool IsTimeEditor(HWND hMainDlg, HWND hwnd)
{
    if (!hwnd) return false;
    for (int id : kEditors) {
        if (hwnd == GetDlgItem(hMainDlg, id)) return true;
    }
    return false;
}

LRESULT OnTimeEditorNotify(HWND hMainDlg, NMHDR* header)
{
    switch (header->code) {
    case DTN_FORMATQUERYA:
        g_tenthsAsked = true;
        MeasureTenthsField(hMainDlg, reinterpret_cast<NMDATETIMEFORMATQUERYA*>(header));
        break;
    case DTN_FORMATA:
        g_tenthsAsked = true;
        ShowTenthsField(reinterpret_cast<NMDATETIMEFORMATA*>(header));
        break;
    case DTN_WMKEYDOWNA:
        TypeTenth(hMainDlg, reinterpret_cast<NMDATETIMEWMKEYDOWNA*>(header));
        break;
    case DTN_DATETIMECHANGE:
        TakeChangedTime(hMainDlg, reinterpret_cast<NMDATETIMECHANGE*>(header));
        break;
    default:
        break;
    }
    return 0;
}
