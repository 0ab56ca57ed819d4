#include "source_loader.h"

#include "app_state.h"
#include "bass.h"
#include "diag_log.h"
#include "frame_index.h"
#include "playback.h"
#include "resource.h"
#include "slider.h"
#include "tag_carry.h"
#include "time_editors.h"

#include <commdlg.h>

#include <cstring>

namespace {

// The stream of the previous source goes at every load.
void ReleaseStream()
{
    if (g_state.hChannel) BASS_StreamFree(g_state.hChannel);
    g_state.hChannel = 0;
}

// No source: the names, the times and the tag texts go, and the frame index
// no longer describes another file. fPosition, qwLength and the editors'
// ranges stay.
void ForgetSource()
{
    g_state.szSourcePath[0] = '\0';
    g_state.szFileTitle[0] = '\0';
    ReleaseStream();
    g_state.fDuration = 0;
    g_state.fStart = 0;
    g_state.fEnd = 0;
    ClearTagTexts();
    ReplaceFrameIndex(0);
}

// The load proper, once the file is known to open: frame index, tag texts,
// stream, duration, the selection and the editors' ranges.
void LoadOpenedSource(HWND hMainDlg, SourceTag& tag)
{
    MP3GetFrames();
    ReadSourceTag(tag);
    ReleaseStream();
    g_state.hChannel = BASS_StreamCreateFile(FALSE, g_state.szSourcePath, 0, 0, 0);
    g_state.qwLength = BASS_ChannelGetLength(g_state.hChannel);
    g_state.fDuration = BASS_ChannelBytes2Seconds(g_state.hChannel, g_state.qwLength);
    g_state.fStart = 0;
    g_state.fEnd = g_state.fDuration;
    FillMissingTagTexts();
    SetTimeEditorRanges(hMainDlg, g_state.fDuration);
}

}  // namespace

void LoadSource(HWND hMainDlg)
{
    SourceTag tag;
    // The open only proves that the file can be read.
    HANDLE probe = CreateFileA(g_state.szSourcePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        ForgetSource();
        return;
    }
    CloseHandle(probe);
    LoadOpenedSource(hMainDlg, tag);
}

namespace {

// One filter: MP3 files (pairs of texts, the list ending in an empty one).
const char kFilter[] = "MP3 文件\0*.mp3\0";
// What the dialog may write into each of the two 64 KB buffers.
constexpr DWORD kDialogBufferChars = 0xffff;
// The file need not exist, its folder must; no other option.
constexpr DWORD kDialogFlags = OFN_EXPLORER | OFN_PATHMUSTEXIST;

}  // namespace

void OpenSourceFile(HWND hMainDlg)
{
    g_log.Print("Button: OPEN FILE");
    strcpy(g_state.szScratch, g_state.szSourcePath);
    OPENFILENAMEA dialog;
    memset(&dialog, 0, sizeof dialog);
    // The record without the fields added in Windows 2000, at its size for
    // this processor (76 bytes in a 32-bit program).
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = hMainDlg;
    dialog.hInstance = g_state.hInstance;
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = g_state.szSourcePath;
    dialog.nMaxFile = kDialogBufferChars;
    dialog.lpstrFileTitle = g_state.szFileTitle;
    dialog.nMaxFileTitle = kDialogBufferChars;
    dialog.lpstrInitialDir = g_state.szScratch;
    dialog.Flags = kDialogFlags;
    if (!GetOpenFileNameA(&dialog) || g_state.szFileTitle[0] == '\0') return;

    StopPlayback(hMainDlg);
    LoadSource(hMainDlg);
    SetDlgItemTextA(hMainDlg, IDC_STATIC_FILE_TITLE, g_state.szFileTitle);
    SetDlgItemTextA(hMainDlg, IDC_EDIT_SOURCE_PATH, g_state.szSourcePath);
    SetPosition(0);
    SyncSelectionUI();
    InvalidateRect(hMainDlg, nullptr, TRUE);
}
