#include "commands.h"

#include "about_dialog.h"
#include "app_state.h"
#include "cutter.h"
#include "diag_log.h"
#include "engine_ui.h"
#include "open_source_file.h"
#include "os.h"
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

void CutSelection(HWND)
{
    g_log.Print("Button: SPLIT");
    MP3Split();
}

// A tag text, or "-" where there is none (a source always has all three).
const char* ShownTagText(const char* text)
{
    return text ? text : "-";
}

// The source's artist, album and title in a box; without a source, the
// question whether to open one, whose Yes posts the open-file command.
void ShowSourceTag(HWND hMainDlg)
{
    if (g_state.szSourcePath[0]) {
        OsFormat(g_state.szScratch, kTextBufferBytes, "艺术家:\t%s\n专辑:\t%s\n标题:\t%s", ShownTagText(g_state.szArtist),
                 ShownTagText(g_state.szAlbum), ShownTagText(g_state.szTitle));
        MessageBoxA(hMainDlg, g_state.szScratch, "MP3 标签", MB_OK);
        return;
    }
    EngineUi& ui = CurrentEngineUi();
    if (ui.ShowMessage("无文件.\n\n打开要分割的文件吗?", kMessageCaption, MB_YESNO | MB_ICONINFORMATION) == IDYES)
        ui.PostOpenFileCommand();
}

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
