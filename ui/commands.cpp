#include "commands.h"

#include "about_dialog.h"
#include "diag_log.h"
#include "output_folder.h"
#include "playback.h"
#include "resource.h"
#include "selection.h"

namespace {

void ExitProgram(HWND hMainDlg)
{
    g_log.Print("Button: EXIT");
    PostMessageA(hMainDlg, WM_CLOSE, 0, 0);
}

void ShowAbout(HWND hMainDlg)
{
    g_log.Print("Button: ABOUT");
    ShowAboutBox(hMainDlg);
}

void BulkSplitting(HWND)
{
    g_log.Print("Button: BULK");
}

// TODO: the open-file dialog into szSourcePath/szFileTitle, stop, LoadSource,
// the texts of 2038 and 2039, position 0 and a repaint.
void OpenSourceFile(HWND) {}

// TODO: the folder browser into szOutputFolder (with a trailing backslash).
void ChooseOutputFolder(HWND) {}

// TODO: open the output folder (or the source's folder) in the shell.
void OpenOutputFolder(HWND) {}

// TODO: log "Button: SPLIT" and run MP3Split.
void CutSelection(HWND) {}

// TODO: the tag box, or the question whether to open a file.
void ShowSourceTag(HWND) {}

struct Command {
    int id;
    void (*run)(HWND hMainDlg);
};

const Command kCommands[] = {
    {IDC_BUTTON_EXIT, ExitProgram},
    {IDC_BUTTON_ABOUT, ShowAbout},
    {IDC_BUTTON_PLAY, PlaySource},
    {IDC_BUTTON_STOP, StopPlayback},
    {IDC_BUTTON_SET_START, SetStartAtPosition},
    {IDC_BUTTON_SET_END, SetEndAtPosition},
    {IDC_BUTTON_CLEAR, ClearSelection},
    {IDC_BUTTON_PLAY_SELECTION, PlaySelection},
    {IDC_BUTTON_SET_START_ICON, SetStartAtPosition},
    {IDC_BUTTON_SET_END_ICON, SetEndAtPosition},
    {IDC_BUTTON_OPEN_OUTPUT, OpenOutputFolder},
    {IDC_BUTTON_BROWSE_OUTPUT, ChooseOutputFolder},
    {IDC_CHECK_SAME_FOLDER, OnSameFolderToggled},
    {IDC_BUTTON_CUT, CutSelection},
    {IDC_BUTTON_OPEN_FILE, OpenSourceFile},
    {IDC_BUTTON_BULK, BulkSplitting},
    {IDC_BUTTON_SHOW_TAG, ShowSourceTag},
    {IDC_CHECK_PLAY_SELECTION, TogglePlaySelection},
};

}  // namespace

void OnMainCommand(HWND hMainDlg, int id, HWND, UINT)
{
    for (const Command& command : kCommands) {
        if (command.id == id) {
            command.run(hMainDlg);
            return;
        }
    }
}
