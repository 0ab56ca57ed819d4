// The About box (template IDD_ABOUT): name, rights and home page of the
// program, a button that opens the home page, and OK.
#pragma once

#include <windows.h>

// Shows the About box modally over owner; returns when it has closed.
void ShowAboutBox(HWND owner);

// Opens url in the web browser named in the registry; nothing is reported.
void OpenUrlWithBrowser(const char* url);
