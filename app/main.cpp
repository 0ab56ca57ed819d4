// The entry point and life cycle of Zor DU3 Vodizaro: one copy per desktop
// (a second start hands its file, if any, to the first),
// start-up (buffers, program folder, log, background, audio library check,
// settings), the modal main window inside the exception guard, saving the
// settings, and the end.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app_state.h"
#include "bass.h"
#include "diag_log.h"
#include "exception_guard.h"
#include "kiv_controls.h"
#include "main_dialog.h"
#include "os.h"
#include "path_text.h"
#include "resource.h"
#include "settings.h"

#include <string>

namespace {

const char kActivationMessage[] = "open zordu3vodizaro";
const char kMutexName[] = "zordu3vodizaro - mutex";
constexpr WORD kAudioInterfaceVersion = 0x0203;  // high word of BASS_GetVersion
constexpr DWORD kModuleNameChars = 1024;
constexpr DWORD kFullPathChars = 4096;
// How long a second start looks for the first one's window, which may still
// be being made: tries, 100 ms apart.
constexpr int kHandOverTries = 50;
constexpr DWORD kHandOverWaitMs = 100;
constexpr UINT kHandOverTimeoutMs = 5000;
// How long the word to every window waits for each: one of another program
// that does not answer holds a second start that long only.
constexpr UINT kBroadcastWaitMs = 1000;
const wchar_t kMainWindowTitle[] = L"Zor DU3 Vodizaro";  // the caption of IDD_MAIN
// CreateFillBmp's arguments: kind 1 over a 128 x 128 tile, 30, 15, 0, 0.
constexpr RECT kFillTile = {0, 0, 128, 128};

// The file named first on the command line, whole (quoted or not, of any
// characters), made absolute against the current folder; empty when none.
std::u16string StartFile()
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring path;
    if (arguments && count > 1 && arguments[1][0]) {
        path.resize(GetFullPathNameW(arguments[1], 0, nullptr, nullptr));
        path.resize(GetFullPathNameW(arguments[1], static_cast<DWORD>(path.size()), &path[0], nullptr));
    }
    LocalFree(arguments);
    return std::u16string(path.begin(), path.end());
}

// Offers a second start's file to every main window (WM_COPYDATA, see
// handed_files.h) until one takes it, which then comes to the front; false
// when none took it.
bool OfferStartFile(COPYDATASTRUCT& data)
{
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", kMainWindowTitle)) != nullptr;) {
        DWORD_PTR taken = FALSE;
        SendMessageTimeoutW(w, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kHandOverTimeoutMs,
                            &taken);
        if (taken) {
            SendMessageTimeoutW(w, g_state.msgMutex, 0, 0, SMTO_ABORTIFHUNG, kHandOverTimeoutMs, nullptr);
            return true;
        }
    }
    return false;
}

// A second start's file goes to the running copy's main window, which may
// still be being made.
void HandOverStartFile(const std::u16string& path)
{
    COPYDATASTRUCT data = {g_state.msgMutex, static_cast<DWORD>(path.size() * sizeof(char16_t)),
                           const_cast<char16_t*>(path.data())};
    for (int tries = 1; !OfferStartFile(data) && tries < kHandOverTries; ++tries) Sleep(kHandOverWaitMs);
}

// szAppFolder = the executable's folder, without a trailing backslash; it
// becomes the current directory.
void FindProgramFolder()
{
    GetModuleFileNameA(nullptr, g_state.szScratch, kModuleNameChars);
    GetFullPathNameA(g_state.szScratch, kFullPathChars, g_state.szAppFolder, nullptr);
    CutAtLastBackslash(g_state.szAppFolder);
    SetCurrentDirectoryA(g_state.szAppFolder);
}

void LogStartValues()
{
    // Handles as "%x" shows them, but whole on x86-64.
    char hex[kHandleTextBytes];
    g_log.Print("Start ZorDU3Vodizaro");
    g_log.Indent();
    g_log.Print("msgMutex = 0x%x", g_state.msgMutex);
    FormatHandle(reinterpret_cast<uintptr_t>(g_state.hMutex), hex);
    g_log.Print("hMutex = 0x%s", hex);
    FormatHandle(reinterpret_cast<uintptr_t>(g_state.hHeap), hex);
    g_log.Print("Heap = 0x%s", hex);
    g_log.Print("完整路径名 = %s", g_state.szAppFolder);
    g_log.Print("当前文件夹 = %s", g_state.szAppFolder);
}

// The file the program was started with; empty when none.
std::u16string g_startFile;

// The guarded part of the run: the modal main window, then the settings.
void RunMainWindowAndSaveSettings()
{
    const LPARAM startFile = g_startFile.empty() ? 0 : reinterpret_cast<LPARAM>(&g_startFile);
    DialogBoxParamA(g_state.hInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainWindowDialogProc(), startFile);
    SaveSettings();
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    g_state.hInstance = hInstance;
    g_startFile = StartFile();
    g_state.msgMutex = RegisterWindowMessageA(kActivationMessage);
    g_state.hMutex = CreateMutexA(nullptr, TRUE, kMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Let the running copy take the foreground, which this new process owns.
        AllowSetForegroundWindow(ASFW_ANY);
        if (g_startFile.empty()) {
            SendMessageTimeoutA(HWND_BROADCAST, g_state.msgMutex, 0, 0, SMTO_ABORTIFHUNG, kBroadcastWaitMs, nullptr);
        } else {
            HandOverStartFile(g_startFile);
        }
        return 0;
    }

    InitCommonControls();
    AllocTextBuffers();
    CoInitialize(nullptr);
    FindProgramFolder();
    OsFormat(g_state.szIniPath, kTextBufferBytes, "%s\\settings.ini", g_state.szAppFolder);
    OsFormat(g_state.szScratch, kTextBufferBytes, "%s\\log.txt", g_state.szAppFolder);
    g_log.Open(g_state.szScratch);
    LogStartValues();

    CreateFillBmp(1, &kFillTile, 30, 15, 0, 0, &g_state.hbmFill, &g_state.hbmFill2);
    if (HIWORD(BASS_GetVersion()) != kAudioInterfaceVersion) {
        MessageBoxA(nullptr, "加载了一个错误的 BASS.DLL 版本", nullptr, MB_ICONERROR);
        return 0;
    }
    LoadSettings();

    if (!RunGuarded(RunMainWindowAndSaveSettings)) {
        RetireMainWindow();
        MessageBoxA(nullptr, "失败", "错误", MB_OK);
    }

    g_log.Unindent();
    g_log.Print("End ZorDU3Vodizaro\n");
    ExitProcess(0);
}
