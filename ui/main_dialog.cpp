#include "main_dialog.h"

#include "about_dialog.h"
#include "app_state.h"
#include "bass.h"
#include "cutter.h"
#include "diag_log.h"
#include "dialog_dispatch.h"
#include "engine_ui.h"
#include "handed_files.h"
#include "level_overview.h"
#include "os.h"
#include "output_folder.h"
#include "path_controls.h"
#include "playback.h"
#include "resource.h"
#include "shortcuts.h"
#include "skin_buttons.h"
#include "slider.h"
#include "source_loader.h"
#include "time_editors.h"
#include "work_progress.h"
#include "wide_paths.h"

#include <commctrl.h>

namespace {

constexpr int kTitleFontHeight = 26;  // cell height in pixels

// Deletes a background bitmap and forgets its handle.
void ForgetBitmap(HBITMAP& bitmap)
{
    DeleteObject(bitmap);
    bitmap = nullptr;
}

// The procedure of a retired window: it handles nothing.
INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// File name in the large static 2038 ("无文件" without a source) and full
// path in edit 2039.
void ShowSourceNames(HWND hwnd)
{
    const char16_t* original = g_state.wszSourcePath;
    SetItemPath(hwnd, IDC_STATIC_FILE_TITLE, g_state.szFileTitle[0] ? g_state.szFileTitle : "无文件",
                original ? FileTitleOf(original) : u"");
    SetItemPath(hwnd, IDC_EDIT_SOURCE_PATH, g_state.szSourcePath, original);
}

// The large font of 2038, kept until the process ends.
void SetTitleFont(HWND hwnd)
{
    g_state.hTitleFont = CreateFontA(kTitleFontHeight, 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                     "MS Shell Dlg");
    SendDlgItemMessageA(hwnd, IDC_STATIC_FILE_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(g_state.hTitleFont), FALSE);
}

// The commands of the main window, by control identifier.

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

void CutSelection(HWND hMainDlg)
{
    g_log.Print("Button: SPLIT");
    WindowWork work(hMainDlg);
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

// WM_COMMAND: runs the command of control id (the low word of wParam; the
// notification code and the sending control are not looked at). Identifiers
// without a command (Escape, notifications of the read-only edits) do
// nothing.
void OnMainCommand(HWND hMainDlg, int id, HWND, UINT)
{
    for (const Command& command : kCommands) {
        if (command.id == id) {
            command.run(hMainDlg);
            return;
        }
    }
}

// lParam: the file the program was started with (a std::u16string), or 0.
BOOL OnInitDialog(HWND hwnd, HWND, LPARAM lParam)
{
    g_state.hMainDlg = hwnd;
    // The engine's boxes (and the audio error box) are owned by this window.
    static MainWindowEngineUi s_engineUi(IDC_BUTTON_OPEN_FILE);
    InstallEngineUi(&s_engineUi);
    SkinButtons(hwnd);
    SendMessageA(hwnd, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconA(g_state.hInstance, MAKEINTRESOURCEA(IDI_PROGRAM))));
    if (!StartAudioOutput(hwnd)) return FALSE;
    DragAcceptFiles(hwnd, TRUE);
    if (lParam) TakeStartFile(hwnd, *reinterpret_cast<const std::u16string*>(lParam));
    LoadSource(hwnd);
    ShowOutputFolderSettings(hwnd);
    StartPositionTimer(hwnd);
    SetTimeEditorFormats(hwnd);
    ShowSourceNames(hwnd);
    SetTitleFont(hwnd);
    SetUpSlider(hwnd);
    StartLevelOverview();  // of the file loaded above, now that the slider is there to show it
    InstallShortcuts(hwnd);
    return TRUE;  // the focus goes to the first tab stop, 2037
}

BOOL OnEraseBkgnd(HWND hwnd, HDC hdc)
{
    PaintFillBackground(hwnd, hdc);
    return TRUE;
}

// The output-folder edit, the source-path edit, the same-folder check box
// and the slider keep their normal opaque colours; every other static, group
// box and check box shows the background through its text.
HBRUSH OnCtlColorStatic(HWND hwnd, HDC hdc, HWND hwndChild, int)
{
    static const int kOpaque[] = {IDC_EDIT_OUTPUT_FOLDER, IDC_EDIT_SOURCE_PATH, IDC_CHECK_SAME_FOLDER, IDC_SLIDER};
    for (int id : kOpaque) {
        if (hwndChild == GetDlgItem(hwnd, id)) return nullptr;
    }
    return TransparentStaticBrush(hdc);
}

void OnTimer(HWND hwnd, UINT)
{
    OnPositionTimer(hwnd);
}

// The slider's custom draw and the time editors' notifications are handled;
// any other notification is left to the dialog manager.
INT_PTR OnNotify(HWND hwnd, NMHDR* header)
{
    LRESULT result;
    if (g_state.hSlider && header->hwndFrom == g_state.hSlider && header->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
        result = OnSliderCustomDraw(hwnd, reinterpret_cast<NMCUSTOMDRAW*>(header));
    } else if (IsTimeEditor(hwnd, header->hwndFrom)) {
        result = OnTimeEditorNotify(hwnd, header);
    } else {
        return FALSE;
    }
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        DLG_HANDLE(WM_INITDIALOG, OnInitDialog);
        DLG_HANDLE(WM_ERASEBKGND, OnEraseBkgnd);
        DLG_HANDLE(WM_CTLCOLORSTATIC, OnCtlColorStatic);
        DLG_HANDLE(WM_COMMAND, OnMainCommand);
        DLG_HANDLE(WM_TIMER, OnTimer);
        DLG_HANDLE(WM_CLOSE, OnMainWindowClose);
        DLG_HANDLE(WM_DESTROY, OnMainWindowDestroy);
        DLG_HANDLE(WM_DROPFILES, OnDropFiles);
    case WM_NOTIFY:
        return OnNotify(hwnd, reinterpret_cast<NMHDR*>(lParam));
    case WM_COPYDATA:  // windowsx.h's cracker drops the result
        return DialogResult(hwnd, msg, OnCopyData(hwnd, reinterpret_cast<COPYDATASTRUCT*>(lParam)));
    case kOpenKeptFilesMessage:
        OpenKeptFiles(hwnd);
        return TRUE;
    }
    // Registered at start-up, so it cannot be a case label.
    if (msg == g_state.msgMutex && msg != 0) {
        BringMainWindowToFront(hwnd);
        return TRUE;
    }
    return FALSE;
}

void OnMainWindowClose(HWND hMainDlg)
{
    g_log.Print("Message: CLOSE");
    g_log.Indent();
    ForgetBitmap(g_state.hbmFill);
    ForgetBitmap(g_state.hbmFill2);
    EndDialog(hMainDlg, 0);
    g_log.Unindent();
}

void OnMainWindowDestroy(HWND)
{
    g_log.Print("Message: DESTROY");
    g_log.Indent();
    RemoveShortcuts();
    ReleaseMutex(g_state.hMutex);
    BASS_Free();
    g_log.Unindent();
}

void BringMainWindowToFront(HWND hMainDlg)
{
    SetForegroundWindow(hMainDlg);
    ShowWindow(hMainDlg, SW_SHOWNORMAL);
}

void RetireMainWindow()
{
    HWND hMainDlg = g_state.hMainDlg;
    if (!hMainDlg || !IsWindow(hMainDlg)) return;
    SetWindowLongPtrA(hMainDlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&InertDialogProc));
    DestroyWindow(hMainDlg);
}

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

void MainWindowEngineUi::ShowProgress(const char* what, int percent)
{
    ShowWorkProgress(what, percent);
}

void MainWindowEngineUi::PostOpenFileCommand()
{
    PostMessageA(g_state.hMainDlg, WM_COMMAND, MAKEWPARAM(openFileCommand_, 0), 0);
}
