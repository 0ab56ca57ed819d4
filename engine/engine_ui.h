// What the engine shows the user and what it posts to the main window. The
// program installs its Windows implementation once the main window exists
// (message boxes owned by hMainDlg, the audio library's error code, posted
// commands); tests install a recorder. Until one is installed nothing is
// shown and every question is answered No.
#pragma once

#include "win_types.h"

#include <cstddef>

// Caption of the engine's questions and warning (the program's name).
constexpr const char kMessageCaption[] = "Zor DU3 Vodizaro";
// The warning for a file that is no MP3 file by its name.
constexpr const char kNotMp3Text[] = "错误: 8001\n不支持的文件格式.";

class EngineUi {
public:
    virtual ~EngineUi() = default;
    // Shows a message box owned by hMainDlg with the text, the caption and
    // the MB_ flags (buttons and icon) and returns the button pressed
    // (IDYES, IDNO, IDOK).
    virtual int ShowMessage(const char* text, const char* caption, UINT flags) = 0;
    // The error box of a failed audio-library or file operation: reads the
    // audio library's last error code before anything else, formats the text
    // and the code with FormatAudioError and shows it with MB_OK and the
    // system's default caption, owned by hMainDlg.
    virtual void ShowAudioError(const char* text) = 0;
    // Long work (a load, a cut) is this far: what it does and the per cent
    // done. The window shows it once the work takes a while, and keeps
    // painting meanwhile.
    virtual void ShowProgress(const char* /*what*/, int /*percent*/) {}
    // Posts (never sends) the open-file command ("打开文件", WM_COMMAND with
    // the button's id in the low word, lParam 0) to hMainDlg, so that it runs
    // after the engine has returned.
    virtual void PostOpenFileCommand() = 0;
};

// Installs the implementation the engine uses from now on; not owned. Null
// puts back the silent one.
void InstallEngineUi(EngineUi* ui);
// The implementation in use.
EngineUi& CurrentEngineUi();

// Size of the text of the audio error box, terminator included.
constexpr size_t kAudioErrorTextBytes = 200;
// Formats the text of the audio error box, "%s\n(错误码: %d)", into out; a
// longer result is cut at kAudioErrorTextBytes - 1 bytes.
void FormatAudioError(char (&out)[kAudioErrorTextBytes], const char* text, int code);
