// The About box (template IDD_ABOUT): name, rights and home page of the
// program, a button that opens the home page, and OK.
#pragma once

#include <windows.h>

// Shows the About box modally over owner; returns when it has closed.
void ShowAboutBox(HWND owner);

// Opens url in the web browser: starts the program that the registry's
// command for web addresses names (HKEY_CLASSES_ROOT\http\shell\open\command,
// cut after its ".exe") with url as its whole command line. Where no such
// program can be found there, the shell opens url with its own default
// handler. Nothing is reported, whether or not anything starts.
void OpenUrlWithBrowser(const char* url);
