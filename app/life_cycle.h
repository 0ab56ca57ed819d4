// The main window's share of the program's life cycle: closing, the end of
// the window, coming to the front when a second copy is started, and
// retiring a window that an exception has left behind.
#pragma once

#include <windows.h>

// WM_CLOSE: logs "Message: CLOSE", deletes both background bitmaps (their
// handles become null) and ends the dialog with result 0.
void OnMainWindowClose(HWND hMainDlg);

// WM_DESTROY: logs "Message: DESTROY", releases the single-instance mutex
// (the handle stays open until the process ends) and frees the audio library.
void OnMainWindowDestroy(HWND hMainDlg);

// The registered "open zordu3vodizaro" message: the window comes to the
// front in its normal state (restored when minimised).
void BringMainWindowToFront(HWND hMainDlg);

// After an exception has ended the modal main window: the window, if it
// still exists, no longer runs any of the program's handlers and is
// destroyed, so that nothing of it can fault again or stay on screen.
void RetireMainWindow();
