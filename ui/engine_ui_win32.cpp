#include "engine_ui_win32.h"

#include "app_state.h"
#include "bass.h"

#include <windows.h>

int MainWindowEngineUi::ShowMessage(const char* text, const char* caption, UINT flags)
{
    return MessageBoxA(g_state.hMainDlg, text, caption, flags);
}

void MainWindowEngineUi::ShowAudioError(const char* text)
{
    // The library's code first: anything called afterwards may change it.
    const int code = BASS_ErrorGetCode();
    char box[kAudioErrorTextBytes];
    FormatAudioError(box, text, code);
    MessageBoxA(g_state.hMainDlg, box, nullptr, MB_OK);
}

void MainWindowEngineUi::PostOpenFileCommand()
{
    PostMessageA(g_state.hMainDlg, WM_COMMAND, MAKEWPARAM(openFileCommand_, 0), 0);
}
