// The engine's message boxes and posted command in the main window. The
// window installs one instance once hMainDlg is set (WM_INITDIALOG):
//
//     static MainWindowEngineUi s_engineUi(<id of the open-file button, 2037>);
//     InstallEngineUi(&s_engineUi);
#pragma once

#include "engine_ui.h"

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
    // PostMessageA(hMainDlg, WM_COMMAND, the button's id, 0).
    void PostOpenFileCommand() override;

private:
    int openFileCommand_;
};
