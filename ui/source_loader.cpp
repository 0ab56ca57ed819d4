#include "source_loader.h"

#include "app_state.h"
#include "bass.h"
#include "diag_log.h"
#include "engine_ui.h"
#include "frame_index.h"
#include "level_overview.h"
#include "path_controls.h"
#include "playback.h"
#include "resource.h"
#include "slider.h"
#include "tag_carry.h"
#include "time_editors.h"
#include "work_progress.h"
#include "wide_paths.h"

#include <commdlg.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <cstring>
#include <vector>

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
    DropOriginal(&g_state.wszSourcePath);
    g_state.szFileTitle[0] = '\0';
    ReleaseStream();
    g_state.fDuration = 0;
    g_state.fStart = 0;
    g_state.fEnd = 0;
    ClearTagTexts();
    ReplaceFrameIndex(0);
}

// The stream of the source. Opening it measures the whole file, which takes
// a while for a long one: it is opened on a thread of its own, with copies
// of the paths, while the window shows that it opens it and keeps painting.
DWORD CreateSourceStream()
{
    const std::string path = g_state.szSourcePath;
    const std::u16string original = g_state.wszSourcePath ? g_state.wszSourcePath : u"";
    std::atomic<bool> opened{false};
    DWORD stream = 0;
    std::thread opener([&] {
        stream = original.empty() ? BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0)
                                  : BASS_StreamCreateFile(FALSE, original.c_str(), 0, 0, BASS_UNICODE);
        opened = true;
    });
    while (!opened) {
        ShowWorkProgress("打开", -1);
        Sleep(15);
    }
    opener.join();
    return stream;
}

// The load proper, once the file is known to open: frame index, tag texts,
// stream, duration, the selection and the editors' ranges.
void LoadOpenedSource(HWND hMainDlg, SourceTag& tag)
{
    MP3GetFrames();
    ReadSourceTag(tag);
    ReleaseStream();
    g_state.hChannel = CreateSourceStream();
    g_state.qwLength = BASS_ChannelGetLength(g_state.hChannel);
    g_state.fDuration = BASS_ChannelBytes2Seconds(g_state.hChannel, g_state.qwLength);
    g_state.fStart = 0;
    g_state.fEnd = g_state.fDuration;
    FillMissingTagTexts();
    SetTimeEditorRanges(hMainDlg, g_state.fDuration);
    // The load has ended: the overview's levels are decoded behind it.
    StartLevelOverview();
}

}  // namespace

void LoadSource(HWND hMainDlg)
{
    StopLevelOverview();
    WindowWork work(hMainDlg);
    SourceTag tag;
    // The open only proves that the file can be read.
    const char16_t* original = g_state.wszSourcePath;
    HANDLE probe = original ? CreateFileW(reinterpret_cast<LPCWSTR>(original), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                            : CreateFileA(g_state.szSourcePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        ForgetSource();
        return;
    }
    LARGE_INTEGER size = {};
    const bool tooLarge = GetFileSizeEx(probe, &size) && size.QuadPart >= kSourceLimitBytes;
    CloseHandle(probe);
    // A file larger than the program takes is not loaded, and the user is told.
    if (tooLarge) {
        ForgetSource();
        CurrentEngineUi().ShowMessage("文件太大.\n本程序能打开的 MP3 文件最大为 64 GB.", kMessageCaption, MB_ICONWARNING);
        return;
    }
    LoadOpenedSource(hMainDlg, tag);
}

namespace {

// One filter: MP3 files (pairs of texts, the list ending in an empty one).
const wchar_t kFilter[] = L"MP3 文件\0*.mp3\0";
// What the dialog may write into each of the two 64 KB buffers.
constexpr DWORD kDialogBufferChars = 0xffff;
// The file need not exist, its folder must; no other option.
constexpr DWORD kDialogFlags = OFN_EXPLORER | OFN_PATHMUSTEXIST;

}  // namespace

void OpenSourceFile(HWND hMainDlg)
{
    g_log.Print("Button: OPEN FILE");
    strcpy(g_state.szScratch, g_state.szSourcePath);
    // The wide dialog: it hands back names of any characters whole.
    const std::u16string current = WideOf(g_state.szSourcePath, g_state.wszSourcePath);
    std::vector<wchar_t> path(kDialogBufferChars + 1, L'\0');
    std::vector<wchar_t> title(kDialogBufferChars + 1, L'\0');
    std::copy_n(current.begin(), std::min<size_t>(current.size(), kDialogBufferChars), path.begin());
    OPENFILENAMEW dialog;
    memset(&dialog, 0, sizeof dialog);
    // The record without the fields added in Windows 2000.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    dialog.hwndOwner = hMainDlg;
    dialog.hInstance = g_state.hInstance;
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kDialogBufferChars;
    dialog.lpstrFileTitle = title.data();
    dialog.nMaxFileTitle = kDialogBufferChars;
    dialog.lpstrInitialDir = reinterpret_cast<LPCWSTR>(current.c_str());
    dialog.Flags = kDialogFlags;
    if (!GetOpenFileNameW(&dialog)) return;
    ShowSourceFile(hMainDlg, reinterpret_cast<const char16_t*>(path.data()),
                   reinterpret_cast<const char16_t*>(title.data()));
}

void SetSourceFile(const std::u16string& path, const std::u16string& name)
{
    SetStatePath(g_state.szSourcePath, &g_state.wszSourcePath, path);
    const std::string nameText = OsUtf16ToAnsi(name.c_str(), name.size());
    const size_t length = std::min(nameText.size(), kTextBufferBytes - 1);
    memcpy(g_state.szFileTitle, nameText.c_str(), length);
    g_state.szFileTitle[length] = '\0';
}

void ShowSourceFile(HWND hMainDlg, const std::u16string& path, const std::u16string& name)
{
    SetSourceFile(path, name);
    if (g_state.szFileTitle[0] == '\0') return;

    StopPlayback(hMainDlg);
    LoadSource(hMainDlg);
    const char16_t* original = g_state.wszSourcePath;
    SetItemPath(hMainDlg, IDC_STATIC_FILE_TITLE, g_state.szFileTitle, original ? FileTitleOf(original) : u"");
    SetItemPath(hMainDlg, IDC_EDIT_SOURCE_PATH, g_state.szSourcePath, original);
    SetPosition(0);
    SyncSelectionUI();
    InvalidateRect(hMainDlg, nullptr, TRUE);
}
