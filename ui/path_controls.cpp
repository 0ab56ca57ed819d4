#include "path_controls.h"

void SetItemPath(HWND hDlg, int id, const char* text, const std::u16string& original)
{
    if (original.empty()) {
        SetDlgItemTextA(hDlg, id, text);
        return;
    }
    SetDlgItemTextW(hDlg, id, reinterpret_cast<LPCWSTR>(original.c_str()));
}

void SetItemPath(HWND hDlg, int id, const char* text, const char16_t* original)
{
    SetItemPath(hDlg, id, text, original ? std::u16string(original) : std::u16string());
}
