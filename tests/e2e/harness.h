// End-to-end harness: the real program, copied into a fresh temporary
// folder, started, found, read, clicked and closed through its windows as a
// user would, with its message boxes answered and screenshots saved.
//
// Usage in a test:
//     e2e::ProgramCopy copy;                       // program + libraries in a new folder
//     copy.Write(L"settings.ini", "[设置]\r\n...");  // files beside it, CP936 bytes
//     e2e::Program program = copy.Start();         // from another current directory
//     HWND main = program.WaitForMainWindow();
//     EXPECT_EQ(e2e::Text(e2e::Item(main, IDC_STATIC_FILE_TITLE)), "无文件");
//     e2e::Click(e2e::Item(main, IDC_CHECK_SAME_FOLDER));
//     e2e::Screenshot(main, "main_window");        // build/win/artifacts/main_window.bmp
//     EXPECT_TRUE(program.CloseNormally(main));    // the close box, exit code 0
//     EXPECT_EQ(copy.Read(L"settings.ini"), ...);
// Every program still running when its Program object goes (or when the
// watchdog of e2e_main.cpp fires) is ended.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace e2e {

constexpr DWORD kWaitMs = 15000;  // for a window, a box or an exit to appear

// Texts: the program's texts are CP936 bytes; Windows paths are UTF-16.
std::string Cp936(const std::wstring& text);
std::wstring FromCp936(const std::string& text);

// Folder of the built program, its libraries and this test program.
std::wstring BinFolder();
// Folder for screenshots: build/win/artifacts.
std::wstring ArtifactFolder();
// The user's music folder as the shell names it, in CP936.
std::string MusicFolderCp936();

// One started copy of the program.
class Program {
public:
    Program(HANDLE process, DWORD id, DWORD threadId);
    Program(Program&& other) noexcept;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();  // ends the program if it still runs

    DWORD Id() const { return id_; }
    DWORD ThreadId() const { return threadId_; }
    bool Running() const;
    // The visible main window ("#32770", "Zor DU3 Vodizaro") of this
    // process; nullptr when none appears in time.
    HWND WaitForMainWindow(DWORD timeoutMs = kWaitMs) const;
    // The exit code; nullopt while the program still runs after the timeout.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = kWaitMs) const;
    // Closes the main window with its close box; true when the program then
    // ends with exit code 0.
    bool CloseNormally(HWND main) const;

private:
    HANDLE process_;
    DWORD id_;
    DWORD threadId_;
};

// The program with its two libraries in a new temporary folder (its name
// holds Chinese characters), removed with everything in it at the end.
class ProgramCopy {
public:
    struct Options {
        std::wstring exe = L"ZorDU3Vodizaro.exe";  // a program of BinFolder()
        std::wstring audioLibraryFolder;           // where bass.dll comes from; default BinFolder()
        std::vector<std::pair<std::wstring, std::wstring>> environment;  // variables set for the program
    };
    ProgramCopy();
    explicit ProgramCopy(const Options& options);
    ~ProgramCopy();
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    const std::wstring& Folder() const { return folder_; }
    std::wstring PathOf(const std::wstring& name) const { return folder_ + L"\\" + name; }
    // Files beside the program, as bytes.
    bool Has(const std::wstring& name) const;
    std::string Read(const std::wstring& name) const;  // "" when missing
    void Write(const std::wstring& name, const std::string& bytes) const;
    void Remove(const std::wstring& name) const;

    // Starts the program with a current directory other than its folder.
    // The test fails (and the Program holds no process) when it cannot start.
    Program Start() const;

private:
    std::wstring folder_;
    std::wstring exe_;
    std::vector<std::pair<std::wstring, std::wstring>> environment_;
};

// Windows.
HWND Item(HWND dialog, int id);
std::string Text(HWND window);  // CP936 bytes (WM_GETTEXT, ANSI)
std::wstring ClassOf(HWND window);
DWORD StyleOf(HWND window);
// The dialog's child windows in tab (creation) order.
std::vector<HWND> Children(HWND dialog);
// The window that has the keyboard focus in the thread of window.
HWND FocusIn(HWND window);
// Polls probe every 50 ms until it returns a window or the time is up.
HWND WaitFor(const std::function<HWND()>& probe, DWORD timeoutMs = kWaitMs);
// Polls until condition holds; false when the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs);
// A visible top-level window of the process with that class and title
// (either may be null), other than except.
HWND FindTopWindow(DWORD processId, const wchar_t* klass, const wchar_t* title, HWND except = nullptr);

// The dialog's base units (pixels per 4 horizontal and 8 vertical dialog
// units), found from its client size and its template size.
struct BaseUnits {
    int x = 0;
    int y = 0;
};
BaseUnits FindBaseUnits(HWND dialog, int templateCx, int templateCy);
// A rectangle of the template (dialog units) in client pixels, as the
// dialog manager maps it.
RECT DialogUnitsToPixels(const BaseUnits& units, int x, int y, int cx, int cy);
// A child's window rectangle in its dialog's client coordinates.
RECT ClientRectOf(HWND dialog, HWND child);

// Input as a user gives it.
void Click(HWND button);       // BM_CLICK, posted (the handler may open a dialog)
void ClickCloseBox(HWND window); // the close box: WM_SYSCOMMAND SC_CLOSE, posted
void PressKey(HWND window, UINT virtualKey);  // key down and up, posted to window
// The minimise box, pressed again until the window is minimised (a window
// shown a moment ago may miss the first press under Wine); false when it
// never is.
bool Minimise(HWND window);

// A message box of the process.
struct MessageBoxSeen {
    HWND box = nullptr;
    HWND owner = nullptr;
    std::string caption;  // CP936
    std::string text;     // CP936
    bool hasIcon = false;
};
// Waits for a message box (a "#32770" with the text static 0xFFFF) of the
// process other than except.
std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, HWND except = nullptr, DWORD timeoutMs = kWaitMs);
// Presses one of its buttons (IDOK, IDYES, IDNO).
void Answer(const MessageBoxSeen& box, int buttonId);

// Saves the window as it is on the screen to ArtifactFolder()\name.bmp,
// prints the path and returns it (empty on failure).
std::wstring Screenshot(HWND window, const std::string& name);

// The tools of the tooltip windows owned by dialog: each tool's window (the
// button) and its text in CP936, read through the program's memory.
struct Tooltip {
    HWND tool = nullptr;
    std::string text;
};
std::vector<Tooltip> TooltipsOf(HWND dialog);

// A block of memory inside another process (for messages whose lParam is
// a pointer), released at the end. Address() is null when it could not be
// had; Write and Read are false outside the block or on failure.
class RemoteBlock {
public:
    RemoteBlock(DWORD processId, size_t bytes);
    ~RemoteBlock();
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    char* Address() const { return static_cast<char*>(address_); }
    bool Write(size_t offset, const void* data, size_t size) const;
    bool Read(size_t offset, void* data, size_t size) const;

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t bytes_;
};

// Reads bytes at address of another process; false unless all were read.
bool ReadRemote(DWORD processId, const void* address, void* out, size_t bytes);

// True when some pixel of the window on the screen is within tolerance (per
// channel) of colour.
bool ShowsColour(HWND window, COLORREF colour, int tolerance);

// Ends every program started by this test program (used by the watchdog).
void EndAllPrograms();

}  // namespace e2e
