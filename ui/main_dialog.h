// The main window, MainDialog (template IDD_MAIN): the dialog procedure,
// which forwards each message to its handler; the window's share of the
// program's life cycle; and what the engine shows and posts in it.
#pragma once

#include "engine_ui.h"

#include <windows.h>

// The dialog procedure of the main window, for DialogBoxParamA, whose
// initialisation parameter is the file the program was started with (a
// const std::u16string*, opened in place of the remembered source), or 0.
// Messages without a handler return FALSE (the dialog manager's default
// handling).
INT_PTR CALLBACK MainDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The dialog procedure the program runs its main window with: MainDialogProc
// in the program itself (main_dialog_proc.cpp beside the entry point); the
// test builds of the program link a definition of their own instead.
DLGPROC MainWindowDialogProc();

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

// The engine's message boxes and posted command in the main window. The
// window installs one instance once hMainDlg is set (WM_INITDIALOG).
class MainWindowEngineUi : public EngineUi {
public:
    // openFileCommand: the control id of the "打开文件" button, which the
    // engine's questions post on Yes.
    explicit MainWindowEngineUi(int openFileCommand) : openFileCommand_(openFileCommand) {}

    // MessageBoxA owned by hMainDlg.
    int ShowMessage(const char* text, const char* caption, UINT flags) override;
    // BASS_ErrorGetCode first, then "%s\n(错误码: %d)" in a MessageBoxA owned
    // by hMainDlg, default caption, MB_OK.
    void ShowAudioError(const char* text) override;
    // ShowWorkProgress (work_progress.h).
    void ShowProgress(const char* what, int percent) override;
    // PostMessageA(hMainDlg, WM_COMMAND, the button's id, 0).
    void PostOpenFileCommand() override;

private:
    int openFileCommand_;
};
