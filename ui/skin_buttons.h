// The skinned look of the buttons: every push button of the main window,
// its check box 2045 and the two buttons of the About box are handed to the
// skinned-control library with their icons, tooltip and style word.
#pragma once

#include <windows.h>

// Skins the 17 buttons of the main window in their fixed order; hides the
// "Bulk Splitting" button and disables the Exit button right after skinning
// them. Called once, first thing in WM_INITDIALOG. Icons come from the
// program's resources (the system owns the handles); the library's results
// are not examined.
void SkinButtons(HWND hMainDlg);

// Skins the two buttons of the About box (home page, OK).
void SkinAboutButtons(HWND hAboutDlg);
