// Files handed to the main window from outside: dropped on it from the
// shell, named on the command line, or passed on by a second start (as
// WM_COPYDATA). An MP3 file opens as "打开文件" opens the file chosen in its
// dialog; any other file is refused with the unsupported-format box.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

// Posted by the window to itself, no parameters: the kept files open
// (OpenKeptFiles), once the message that brought them has returned.
constexpr UINT kOpenKeptFilesMessage = WM_APP + 1;

// A second start's WM_COPYDATA: dwData is the registered activation message
// (msgMutex, the same number in both processes), the data the path in
// UTF-16 without a terminator.

// The path given at start (not empty), before the window loads the source:
// an MP3 file becomes the source in place of the remembered one; any other
// is kept and refused once the window shows.
void TakeStartFile(HWND hMainDlg, const std::u16string& path);

// WM_DROPFILES: logs "Message: DROP FILES" and opens the first MP3 file of
// the drop, or, when there is none, refuses its first file; releases the
// drop.
void OnDropFiles(HWND hMainDlg, HDROP drop);

// WM_COPYDATA: the path of a second start is logged ("Message: COPYDATA")
// and kept, kOpenKeptFilesMessage posted, and TRUE returned; other data is
// not taken (FALSE).
BOOL OnCopyData(HWND hMainDlg, const COPYDATASTRUCT* data);

// kOpenKeptFilesMessage: opens (or refuses) the kept files in the order
// they came, and forgets them.
void OpenKeptFiles(HWND hMainDlg);
