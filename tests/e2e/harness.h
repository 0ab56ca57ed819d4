// The one harness of the Windows tests: the real program copied into a fresh
// temporary folder (its name holds Chinese characters), started, driven
// through its windows as a user drives it, read back (log.txt, settings.ini)
// and closed; one screen grabber; texts in code page 936; a watchdog (the
// harness's main) that ends a run and its programs before CTest's time-out.
//
//     e2e::ProgramCopy copy;                  // program and libraries in a new folder
//     e2e::Program run = copy.Start();        // from another current folder
//     HWND main = run.WaitForMainWindow();
//     e2e::Click(GetDlgItem(main, IDC_CHECK_SAME_FOLDER));
//     EXPECT_TRUE(run.CloseNormally(main));   // the close box, exit code 0
//     e2e::ExpectLog(copy.Read(L"log.txt"), {...});
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

constexpr DWORD kWaitMs = 15000;  // for a window, a box or an exit

// Texts of the program are CP936 bytes; Windows paths are UTF-16.
std::string Cp936(const std::wstring& text);
std::wstring Wide(const std::string& cp936);
std::wstring BinFolder();       // the programs, their libraries, these tests
std::wstring ArtifactFolder();  // build/win/artifacts
std::string MusicFolder();      // the user's music folder (CP936)
std::string ReadBytes(const std::wstring& path);  // "" when unreadable
void WriteBytes(const std::wstring& path, const std::string& bytes);
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs);

// One started program; ended at the end if it still runs.
class Program {
public:
    Program(HANDLE process, DWORD id) : process_(process), id_(id) {}
    Program(Program&& other) noexcept : process_(other.process_), id_(other.id_) { other.process_ = nullptr; }
    ~Program();
    DWORD Id() const { return id_; }
    bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    HWND WaitForMainWindow() const;  // visible "#32770" "Zor DU3 Vodizaro"
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = kWaitMs) const;
    bool CloseNormally(HWND main) const;  // the close box, then exit code 0

private:
    HANDLE process_;
    DWORD id_;
};
// Starts path with currentFolder as its current folder and the variables
// set for it only.
Program Start(const std::wstring& path, const std::wstring& currentFolder,
              const std::vector<std::pair<std::wstring, std::wstring>>& environment = {});

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
    bool Has(const std::wstring& name) const;
    // From the folder's parent: the program must find its own folder.
    Program Start(const std::vector<std::pair<std::wstring, std::wstring>>& environment = {}) const;

private:
    std::wstring folder_;
    std::wstring exe_;
};

// What the program leaves behind. Start lines: the start line and the five
// start-up values ("{hex}" in an expected line stands for lower-case hex
// digits), then the output folder read from the settings.
std::vector<std::string> StartLog(const ProgramCopy& copy, const std::string& output);
std::vector<std::string> LoadLog(const std::string& path, size_t bytes, int frames);
std::vector<std::string> EndLog();  // close, destroy, the end line
void ExpectLog(const std::string& log, const std::vector<std::string>& expected);
std::string Settings(int bFolder, const std::string& title, const std::string& source, const std::string& output);

// Windows and input.
std::string Text(HWND window);  // WM_GETTEXT, CP936
std::wstring ClassOf(HWND window);
LRESULT Send(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
void Click(HWND button);  // BM_CLICK, posted: the handler may open a modal box
bool Checked(HWND box);
// A visible top-level window of the process passing test (class "#32770").
HWND FindDialog(DWORD processId, const std::function<bool(HWND)>& test);
HWND WaitForDialog(DWORD processId, const std::function<bool(HWND)>& test);
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
// Presses button (IDOK, IDYES, IDNO) and waits until the box has gone.
bool Answer(const MessageBoxSeen& box, int button);

// Memory inside another process, for messages whose lParam is a pointer.
class Remote {
public:
    Remote(HWND window, size_t bytes);
    ~Remote();
    Remote(const Remote&) = delete;
    LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
    bool Write(const void* data, size_t size, size_t offset = 0) const;
    bool Read(void* data, size_t size, size_t offset = 0) const;

private:
    HANDLE process_;
    void* address_ = nullptr;
};

// The time pickers: the time shown in seconds (DTM_GETSYSTEMTIME), the
// displayed text ("HH:MM:SS.mmm") and the range (flags, limits).
double EditorSeconds(HWND editor);
std::string EditorText(HWND editor);
DWORD EditorRange(HWND editor, SYSTEMTIME (&range)[2]);
// A user's typing: a click on the hours field, the right arrow to field
// (0 hours, 1 minutes, 2 seconds), then two digits.
void TypeField(HWND editor, int field, const char* digits);
void TypeTime(HWND editor, int minutes, int seconds);

// The trackbar: its channel (TBM_GETCHANNELRECT) and mouse messages at x
// in the channel's middle row.
RECT ChannelRect(HWND slider);
void SliderMouse(HWND slider, UINT msg, WPARAM keys, int x);

// The open-file dialog (the dialog holding the file-name box, id 1148).
HWND FindOpenFileDialog(DWORD processId);
void ChooseFile(HWND dialog, const std::string& path);  // types it, presses Open
void Cancel(HWND dialog);

// The template compiled into exe, made into an invisible dialog of this
// process, to compare the live window with it control by control.
HWND DialogFromTemplate(const std::wstring& exe, int id);
// Every child of live in tab order against the template's: id, class,
// style (with the runtime differences adjust gives), rectangle and (but
// for the ids in liveTexts) text; the client areas alike. Destroys made.
void ExpectLayout(HWND live, HWND made, DWORD (*adjust)(int id, DWORD style), const std::vector<int>& liveTexts);

// The tooltips of dialog's buttons: control id -> text.
std::map<int, std::string> Tooltips(HWND dialog);

// The screen: what window shows now (pixels 0x00RRGGBB, bottom row first),
// saved to ArtifactFolder()\name.bmp; whether some pixel is near colour now.
std::vector<DWORD> Grab(HWND window, int* width = nullptr, int* height = nullptr);
void Screenshot(HWND window, const std::string& name);
bool ShowsColour(HWND window, COLORREF colour, int tolerance);

// What the shell starts, through LaunchRecorder.exe registered (for the
// life of the object) as the open command of classKey ("http", "Folder").
class ShellRecorder {
public:
    ShellRecorder(const ProgramCopy& copy, const std::wstring& classKey, const std::wstring& arguments,
                  const std::wstring& exeName = L"LaunchRecorder.exe");
    ~ShellRecorder();
    // The arguments of each start so far, once there are count of them.
    std::vector<std::string> Launches(size_t count) const;

private:
    std::wstring key_;
    std::wstring record_;
    std::wstring old_;  // the command before; empty when there was none
};

}  // namespace e2e
