// Controls that show a path or a file name of the state in its real
// characters, also where code page 936 cannot hold them.
#pragma once

#include <windows.h>

#include <string>

// Sets the text of the dialog's control id: the UTF-16 original when there
// is one (not null, not empty), else text as it is.
void SetItemPath(HWND hDlg, int id, const char* text, const std::u16string& original);
// The same with a null original.
void SetItemPath(HWND hDlg, int id, const char* text, const char16_t* original);
