// The one harness of the Windows tests: the real program copied into a fresh
// temporary folder (its name holds Chinese characters), started, driven
// through its windows as a user drives it, read back (log.txt, settings.ini)
// and closed; one screen grabber; texts in code page 936; a watchdog (the
// harness's main) that ends a run and its programs before CTest's time-out.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

constexpr DWORD kWaitMs = 15000;  // for a window, a box or an exit
using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

std::string Cp936(const std::wstring& text);
std::wstring Wide(const std::string& cp936);
std::wstring BinFolder();       // the programs, their libraries, these tests
std::wstring ArtifactFolder();  // build/win/artifacts
std::string MusicFolder();      // the user's music folder (CP936)
std::string ReadBytes(const std::wstring& path);  // "" when unreadable
void WriteBytes(const std::wstring& path, const std::string& bytes);
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs);

// One started program, ended at the end if it still runs.
class Program {
public:
    Program(HANDLE process, DWORD id) : process_(process), id_(id) {}
    Program(Program&& other) noexcept : process_(other.process_), id_(other.id_) { other.process_ = nullptr; }
    ~Program();
    DWORD Id() const { return id_; }
    bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    HWND WaitForMainWindow() const;  // visible "#32770" "Zor DU3 Vodizaro"
    std::optional<DWORD> WaitForExit() const;
    bool CloseNormally(HWND main) const;  // the close box, then exit code 0

private:
    HANDLE process_;
    DWORD id_;
};
// Starts path in currentFolder with the variables set for it.
Program Start(const std::wstring& path, const std::wstring& currentFolder, const Environment& environment = {});

// A program of BinFolder() with bass.dll (from bassFolder, default
// BinFolder()), KivControls.dll, id3lib.dll and libmpg123.dll beside it.
class ProgramCopy {
public:
    explicit ProgramCopy(const std::wstring& exe = L"ZorDU3Vodizaro.exe", const std::wstring& bassFolder = L"");
    ~ProgramCopy();
    const std::wstring& Folder() const { return folder_; }
    std::wstring PathOf(const std::wstring& name) const { return folder_ + L"\\" + name; }
    std::string Read(const std::wstring& name) const { return ReadBytes(PathOf(name)); }
    void Write(const std::wstring& name, const std::string& bytes) const { WriteBytes(PathOf(name), bytes); }
    // From the folder's parent: the program must find its own folder.
    Program Start(const Environment& environment = {}) const;

private:
    std::wstring folder_;
    std::wstring exe_;
};

// What the program leaves behind: the log's start lines (the start line, the
// five start-up values, the output folder the settings gave), a load's
// lines, the end's lines; "{hex}" in an expected line stands for lower-case
// hexadecimal digits. Lines are compared one by one.
std::vector<std::string> StartLog(const ProgramCopy& copy, const std::string& output);
std::vector<std::string> LoadLog(const std::string& path, size_t bytes, int frames);
std::vector<std::string> EndLog();
void ExpectLog(const std::string& log, const std::vector<std::string>& expected);
std::string Settings(int bFolder, const std::string& title, const std::string& source, const std::string& output);

// Windows and input. Texts are read as CP936 (WM_GETTEXT, ANSI).
std::string Text(HWND window);
std::wstring ClassOf(HWND window);
LRESULT Send(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
inline void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }  // posted: it may open a modal box
inline bool Checked(HWND box) { return Send(box, BM_GETCHECK) == BST_CHECKED; }
// A visible "#32770" of the process passing test.
HWND WaitForDialog(DWORD processId, const std::function<bool(HWND)>& test, DWORD timeoutMs = kWaitMs);
HWND WaitForTitled(DWORD processId, const std::wstring& title);

struct MessageBoxSeen {
    HWND box = nullptr;
    HWND owner = nullptr;
    std::string caption;
    std::string text;
    bool hasIcon = false;
};
// A message box of the process (the text static 0xFFFF) other than except.
std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, HWND except = nullptr);
bool Answer(const MessageBoxSeen& box, int button);  // presses it; true when the box goes

// Memory inside another process, for messages whose lParam is a pointer.
class Remote {
public:
    Remote(HWND window, size_t bytes);
    ~Remote();
    LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
    bool Write(const void* data, size_t size, size_t at = 0) const;
    bool Read(void* data, size_t size, size_t at = 0) const;

private:
    HANDLE process_;
    void* address_ = nullptr;
};

// Time pickers: the time shown (DTM_GETSYSTEMTIME) in seconds and as
// "HH:MM:SS.mmm", the range; typing as a user does: a click on the hours
// field, the right arrow to field (0 hours, 1 minutes, 2 seconds), two digits.
SYSTEMTIME EditorTime(HWND editor);
double EditorSeconds(HWND editor);
std::string EditorText(HWND editor);
DWORD EditorRange(HWND editor, SYSTEMTIME (&range)[2]);
void TypeField(HWND editor, int field, const char* digits);
void TypeTime(HWND editor, int minutes, int seconds);
// The trackbar: its channel, and mouse messages at x in the channel's middle.
RECT ChannelRect(HWND slider);
void SliderMouse(HWND slider, UINT msg, WPARAM keys, int x);
// The open-file dialog: the file-name box (in the ComboBoxEx32 1148) typed
// into and Open pressed, or Cancel; both wait until it has gone.
void ChooseFile(HWND dialog, const std::string& path);
void Cancel(HWND dialog);

// Compares the live window with template id of exe, made into an invisible
// dialog of this process: the frame's style and the client area, then every
// child in tab order, its id, class, style (as adjust has it at run time),
// rectangle and, but for the ids in liveTexts, its text.
void ExpectLayout(HWND live, const std::wstring& exe, int id, DWORD (*adjust)(int id, DWORD style),
                  const std::vector<int>& liveTexts);
std::map<int, std::string> Tooltips(HWND dialog);  // control id -> text

// The screen: what window shows now (0x00RRGGBB, bottom row first), saved
// to ArtifactFolder()\name.bmp, or whether some pixel is near colour.
std::vector<DWORD> Grab(HWND window, int* width = nullptr, int* height = nullptr);
void Screenshot(HWND window, const std::string& name);
bool ShowsColour(HWND window, COLORREF colour, int tolerance);

// What the shell starts: LaunchRecorder.exe, copied into the copy's folder
// as exeName, is the open command of classKey ("http", "Folder") for the
// life of the object; it records the arguments of each start.
class ShellRecorder {
public:
    ShellRecorder(const ProgramCopy& copy, const std::wstring& classKey, const std::wstring& arguments,
                  const std::wstring& exeName = L"LaunchRecorder.exe");
    ~ShellRecorder();
    std::vector<std::string> Launches(size_t count) const;  // once there are count

private:
    std::wstring key_, record_, old_;  // old_: the command before, if any
};

}  // namespace e2e
