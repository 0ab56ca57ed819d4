#include "handed_files.h"

#include "app_state.h"
#include "diag_log.h"
#include "engine_ui.h"
#include "path_text.h"
#include "source_loader.h"
#include "wide_paths.h"

#include <algorithm>
#include <vector>

namespace {

// Files handed over but not yet opened, in the order they came.
std::vector<std::u16string>& KeptFiles()
{
    static std::vector<std::u16string> files;
    return files;
}

void KeepFile(HWND hMainDlg, const std::u16string& path)
{
    KeptFiles().push_back(path);
    PostMessageA(hMainDlg, kOpenKeptFilesMessage, 0, 0);
}

// By its extension, as the cutter names its output.
bool NamesMp3File(const std::u16string& path)
{
    return HasMp3Extension(OsUtf16ToAnsi(path.c_str(), path.size()));
}

void OpenHandedFile(HWND hMainDlg, const std::u16string& path)
{
    if (NamesMp3File(path)) {
        ShowSourceFile(hMainDlg, path, FileTitleOf(path));
    } else {
        // The cutter's box for a name it cannot write.
        CurrentEngineUi().ShowMessage(kNotMp3Text, kMessageCaption, MB_ICONWARNING);
    }
}

std::u16string DroppedFile(HDROP drop, UINT index)
{
    std::vector<wchar_t> name(DragQueryFileW(drop, index, nullptr, 0) + 1, L'\0');
    DragQueryFileW(drop, index, name.data(), static_cast<UINT>(name.size()));
    return reinterpret_cast<const char16_t*>(name.data());
}

}  // namespace

void TakeStartFile(HWND hMainDlg, const std::u16string& path)
{
    if (NamesMp3File(path)) {
        SetSourceFile(path, FileTitleOf(path));
    } else {
        KeepFile(hMainDlg, path);
    }
}

void OnDropFiles(HWND hMainDlg, HDROP drop)
{
    g_log.Print("Message: DROP FILES");
    std::vector<std::u16string> files(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0));
    for (UINT i = 0; i < files.size(); ++i) files[i] = DroppedFile(drop, i);
    DragFinish(drop);
    if (files.empty()) return;
    const auto mp3 = std::find_if(files.begin(), files.end(), NamesMp3File);
    OpenHandedFile(hMainDlg, mp3 != files.end() ? *mp3 : files.front());
}

BOOL OnCopyData(HWND hMainDlg, const COPYDATASTRUCT* data)
{
    if (data->dwData != g_state.msgMutex || g_state.msgMutex == 0) return FALSE;
    g_log.Print("Message: COPYDATA");
    const char16_t* units = static_cast<const char16_t*>(data->lpData);
    KeepFile(hMainDlg, std::u16string(units, units + data->cbData / sizeof(char16_t)));
    return TRUE;
}

void OpenKeptFiles(HWND hMainDlg)
{
    std::vector<std::u16string> files;
    files.swap(KeptFiles());
    for (const std::u16string& path : files) OpenHandedFile(hMainDlg, path);
}
