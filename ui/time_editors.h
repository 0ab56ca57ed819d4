// The three time editors (date-time pickers 2042 position, 2040 start,
// 2041 end): their display format "HH:mm:ss.X", whose X is a tenths field
// the window draws itself ("HH:mm:ss" where the control does not let the
// window draw it), their range, the times shown in them and their
// notifications.
#pragma once

#include <windows.h>

// Gives the three editors their "HH:mm:ss.X" format (2042, 2040, 2041);
// where the control, setting that format and drawing it, has not asked for
// the tenths field (DTN_FORMATQUERY, DTN_FORMAT), they get "HH:mm:ss".
void SetTimeEditorFormats(HWND hMainDlg);

// Gives the three editors the range of a source of fDuration seconds: from
// 00:00:00.000 to the time of day of fDuration, both on today's date of the
// system clock (UTC), read once.
void SetTimeEditorRanges(HWND hMainDlg, float fDuration);

// Shows t seconds in editor id: its time of day replaces the editor's, and
// the date is that of the editor's range (its own date when it has none), so
// that the editor accepts the time. The editor refuses a time outside its
// range (beyond the source's end) and keeps what it showed.
void ShowTimeInEditor(HWND hMainDlg, int id, float t);

// True when hwnd is one of the three editors.
bool IsTimeEditor(HWND hMainDlg, HWND hwnd);

// A notification from one of the editors; returns the dialog's message
// result for it (0 for every editor notification). DTN_FORMATQUERY sizes
// the tenths field for the digit "8" in the slider's font, DTN_FORMAT writes
// the tenths digit, DTN_WMKEYDOWN takes a digit typed into the field (it
// stores the time directly, without the start and end rules and without
// moving the audio stream), DTN_DATETIMECHANGE takes a changed hour, minute
// or second: the position moves and the stream follows; the start and the
// end follow the rules of the selection.
LRESULT OnTimeEditorNotify(HWND hMainDlg, NMHDR* header);
