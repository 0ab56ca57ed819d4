// The one harness of the Windows tests: the real program copied into a fresh
// folder whose name holds Chinese characters, started, driven through its
// windows as a user drives them, read back and closed; texts in code page 936.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace e2e {

constexpr DWORD kWaitMs = 15000;  // for a window, a box or an exit
inline std::mutex g_lock;
inline std::vector<HANDLE> g_running;  // every program started, for the watchdog

inline std::string Cp936(const std::wstring& text)
{
    std::string out(text.size() * 2 + 1, '\0');
    const int size = static_cast<int>(out.size());
    out.resize(WideCharToMultiByte(936, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr) - 1);
    return out;
}
inline std::wstring Wide(const std::string& cp936)
{
    std::wstring out(cp936.size() + 1, L'\0');
    out.resize(MultiByteToWideChar(936, 0, cp936.c_str(), -1, out.data(), static_cast<int>(out.size())) - 1);
    return out;
}
inline std::wstring Parent(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }
inline std::wstring BinFolder()  // the programs, their libraries, the tests
{
    wchar_t path[MAX_PATH];
    return Parent(std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH)));
}
inline std::string ReadBytes(const std::wstring& path)  // "" when unreadable
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
inline void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    EXPECT_TRUE((std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes).flush()) << Cp936(path);
}
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs)
{
    for (const ULONGLONG end = GetTickCount64() + timeoutMs;; Sleep(50)) {
        if (condition()) return true;
        if (GetTickCount64() > end) return false;
    }
}

inline std::wstring WideText(HWND window)  // WM_GETTEXT
{
    wchar_t text[4096] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}
inline std::string Text(HWND window)  // in code page 936
{
    return Cp936(WideText(window));
}
inline std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    return std::wstring(name, GetClassNameW(window, name, 256));
}
inline LRESULT Send(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}
inline void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }  // posted: it may open a modal box
inline bool Checked(HWND box) { return Send(box, BM_GETCHECK) == BST_CHECKED; }
inline bool Gone(HWND window) { return WaitUntil([&] { return !IsWindow(window); }); }
// A visible "#32770" of the process passing test.
inline HWND WaitForDialog(DWORD processId, const std::function<bool(HWND)>& test, DWORD timeoutMs = kWaitMs)
{
    HWND w = nullptr;
    WaitUntil([&] {
        DWORD id = 0;
        for (w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w; w = FindWindowExW(nullptr, w, L"#32770", 0))
            if (GetWindowThreadProcessId(w, &id) && id == processId && IsWindowVisible(w) && test(w)) return true;
        return false;
    }, timeoutMs);
    return w;
}
inline HWND WaitForTitled(DWORD processId, const std::wstring& title)
{
    return WaitForDialog(processId, [&](HWND w) { return Wide(Text(w)) == title; });
}
struct MessageBoxSeen {
    HWND box = nullptr, owner = nullptr;
    std::string caption, text;
    bool hasIcon = false;
};
// A message box of the process (the text static 0xFFFF) other than except.
inline std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, HWND except = nullptr)
{
    HWND box = WaitForDialog(processId, [&](HWND w) { return w != except && GetDlgItem(w, 0xFFFF); });
    if (!box) return std::nullopt;
    MessageBoxSeen seen{box, GetWindow(box, GW_OWNER), Text(box), Text(GetDlgItem(box, 0xFFFF))};
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        seen.hasIcon |= (GetWindowLongPtrW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && ClassOf(c) == L"Static";
    return seen;
}
inline bool Answer(const MessageBoxSeen& box, int button)  // true when the box goes
{
    EXPECT_NE(GetDlgItem(box.box, button), nullptr) << "no button " << button;
    Click(GetDlgItem(box.box, button));
    return Gone(box.box);
}

// Memory inside another process, for messages whose lParam is a pointer.
class Remote {
public:
    Remote(HWND window, size_t bytes)
    {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
        address_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE));
    }
    ~Remote()
    {
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    LPARAM Address(size_t at = 0) const { return reinterpret_cast<LPARAM>(address_ + at); }
    void Write(const void* data, size_t size, size_t at = 0) const
    {
        WriteProcessMemory(process_, address_ + at, data, size, nullptr);
    }
    void Read(void* data, size_t size, size_t at = 0) const
    {
        ReadProcessMemory(process_, address_ + at, data, size, nullptr);
    }
    // Sends msg with this block as lParam and reads back what it holds.
    template <typename T> T Get(HWND window, UINT msg) const
    {
        T value = {};
        Send(window, msg, 0, Address());
        Read(&value, sizeof value);
        return value;
    }

private:
    HANDLE process_;
    char* address_;
};

// Time pickers: the time shown as "HH:MM:SS.mmm" and in seconds; a user's
// typing: a click on the hours field, the right arrow to field (0 hours,
// 1 minutes, 2 seconds), two digits. The trackbar's channel.
inline std::string EditorText(HWND editor)
{
    const SYSTEMTIME st = Remote(editor, sizeof(SYSTEMTIME)).Get<SYSTEMTIME>(editor, DTM_GETSYSTEMTIME);
    char text[32];
    snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
    return text;
}
inline double EditorSeconds(HWND editor)
{
    const std::string t = EditorText(editor);
    return std::stoi(t.substr(0, 2)) * 3600.0 + std::stoi(t.substr(3, 2)) * 60.0 + std::stod(t.substr(6));
}
inline void TypeField(HWND editor, int field, const char* digits)
{
    UpdateWindow(editor);  // the control places its fields when it paints
    RECT client;
    GetClientRect(editor, &client);
    Send(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, client.bottom / 2));
    Send(editor, WM_LBUTTONUP, 0, MAKELPARAM(5, client.bottom / 2));
    for (int i = 0; i < field; ++i) {
        Send(editor, WM_KEYDOWN, VK_RIGHT, 1);
        Send(editor, WM_KEYUP, VK_RIGHT, 1 | (3u << 30));
    }
    for (const char* c = digits; *c; ++c) Send(editor, WM_CHAR, static_cast<WPARAM>(*c), 1);
}
// Through times below a minute, which every range holds: an editor refuses a time beyond its range.
inline void TypeTime(HWND editor, int minutes, int seconds)
{
    const std::pair<int, int> fields[] = {{0, 0}, {1, 0}, {2, seconds}, {1, minutes}};
    for (const auto& [field, value] : fields) TypeField(editor, field, std::to_string(100 + value).substr(1).c_str());
}
inline RECT ChannelRect(HWND slider) { return Remote(slider, sizeof(RECT)).Get<RECT>(slider, TBM_GETCHANNELRECT); }
inline void SliderMouse(HWND slider, UINT msg, WPARAM keys, int x)  // at x in the channel's middle
{
    const RECT channel = ChannelRect(slider);
    Send(slider, msg, keys, MAKELPARAM(static_cast<WORD>(x), (channel.top + channel.bottom) / 2));
}
// Real input, to whatever has the focus: key pressed and released times over while held are held down; the
// wheel turned notches over window.
inline void Keys(std::initializer_list<WORD> held, WORD key, int times = 1)
{
    std::vector<INPUT> keys;
    const auto add = [&](WORD vk, DWORD up) {
        const bool extended = (vk >= VK_PRIOR && vk <= VK_DOWN);
        INPUT one = {INPUT_KEYBOARD};
        one.ki.wVk = vk;
        one.ki.dwFlags = up | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
        keys.push_back(one);
    };
    for (WORD vk : held) add(vk, 0);
    for (int i = 0; i < times; ++i) add(key, 0), add(key, KEYEVENTF_KEYUP);
    for (auto vk = std::rbegin(held); vk != std::rend(held); ++vk) add(*vk, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}
inline void Wheel(HWND window, int notches)  // the pointer moved there first
{
    RECT rc;
    GetWindowRect(window, &rc);
    const POINT there = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    SetCursorPos(there.x, there.y);
    WaitUntil([&] { POINT at; return GetCursorPos(&at) && at.x == there.x && at.y == there.y; }, 2000);
    Sleep(100);
    INPUT wheel = {INPUT_MOUSE};  // the turn carries where it happens: a move of the pointer not yet seen misleads
    wheel.mi.dx = MulDiv(there.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    wheel.mi.dy = MulDiv(there.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    wheel.mi.mouseData = static_cast<DWORD>(notches * WHEEL_DELTA);
    wheel.mi.dwFlags = MOUSEEVENTF_WHEEL | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &wheel, sizeof wheel);
}
// The open-file dialog: Cancel, or the file-name box (in ComboBoxEx32 1148)
// typed into and Open pressed; both wait until it has gone.
inline void CloseDialog(HWND dialog, int button)
{
    Click(GetDlgItem(dialog, button));
    EXPECT_TRUE(Gone(dialog));
}
inline void ChooseFile(HWND dialog, const std::wstring& path)
{
    HWND combo = FindWindowExW(GetDlgItem(dialog, cmb13), nullptr, L"ComboBox", nullptr);
    HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr) << "no file-name box";
    SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    CloseDialog(dialog, IDOK);
}

// The live window against template id of exe, made an invisible dialog here: frame, client area, every child
// in tab order with its id, class, style (as adjust has it at run time), rectangle and (but liveTexts) text.
inline void ExpectLayout(HWND live, const std::wstring& exe, int id, DWORD (*adjust)(int, DWORD),
                         const std::vector<int>& liveTexts)
{
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    ASSERT_NE(found, nullptr) << "no template " << id;
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    std::vector<BYTE> copy(bytes, bytes + SizeofResource(module, found));
    FreeLibrary(module);
    // Invisible: the style is the first field, or the fourth of an extended template.
    reinterpret_cast<DWORD*>(copy.data())[copy[2] == 0xFF && copy[3] == 0xFF ? 3 : 0] &= ~WS_VISIBLE;
    const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_DATE_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    // Destroyed at the end: a window of a thread that reads no messages holds up every broadcast.
    const std::unique_ptr<HWND__, BOOL (*)(HWND)> made(
        CreateDialogIndirectParamW(nullptr, reinterpret_cast<DLGTEMPLATE*>(copy.data()), nullptr,
                                   [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0), DestroyWindow);
    RECT a, b;
    GetClientRect(live, &a);
    GetClientRect(made.get(), &b);
    EXPECT_TRUE(EqualRect(&a, &b)) << "client " << a.right << "x" << a.bottom;
    const LONG_PTR frame = ~static_cast<LONG_PTR>(WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS);
    EXPECT_EQ(GetWindowLongPtrW(live, GWL_STYLE) & frame, GetWindowLongPtrW(made.get(), GWL_STYLE) & frame);
    EXPECT_EQ(Text(live), Text(made.get()));
    HWND x = GetWindow(live, GW_CHILD), y = GetWindow(made.get(), GW_CHILD);
    for (int i = 1; x || y; ++i, x = GetWindow(x, GW_HWNDNEXT), y = GetWindow(y, GW_HWNDNEXT)) {
        ASSERT_TRUE(x && y) << "control #" << i << " is missing on one side";
        const int child = GetDlgCtrlID(y) & 0xFFFF;
        SCOPED_TRACE("control #" + std::to_string(i) + " (" + std::to_string(child) + ")");
        EXPECT_EQ(GetDlgCtrlID(x) & 0xFFFF, child);
        EXPECT_EQ(_wcsicmp(ClassOf(x).c_str(), ClassOf(y).c_str()), 0) << Cp936(ClassOf(x));
        EXPECT_EQ(GetWindowLongPtrW(x, GWL_STYLE), adjust(child, static_cast<DWORD>(GetWindowLongPtrW(y, GWL_STYLE))));
        GetWindowRect(x, &a);
        GetWindowRect(y, &b);
        MapWindowPoints(nullptr, live, reinterpret_cast<POINT*>(&a), 2);
        MapWindowPoints(nullptr, made.get(), reinterpret_cast<POINT*>(&b), 2);
        EXPECT_TRUE(EqualRect(&a, &b)) << a.left << "," << a.top << "-" << a.right << "," << a.bottom;
        const bool live = std::find(liveTexts.begin(), liveTexts.end(), child) != liveTexts.end();
        EXPECT_TRUE(live || Text(x) == Text(y)) << Text(x);
    }
}
inline std::map<int, std::string> Tooltips(HWND dialog)  // control id -> text
{
    std::map<int, std::string> tips;
    Remote block(dialog, 4096);
    for (HWND tip = nullptr; (tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr;) {
        const LRESULT count = GetWindow(tip, GW_OWNER) == dialog ? Send(tip, TTM_GETTOOLCOUNT) : 0;
        for (LRESULT i = 0; i < count; ++i) {
            TTTOOLINFOW info = {sizeof info};
            info.lpszText = reinterpret_cast<wchar_t*>(block.Address(512));
            wchar_t text[768] = {};
            block.Write(&info, sizeof info);
            block.Write(text, sizeof text, 512);
            if (!Send(tip, TTM_ENUMTOOLSW, i, block.Address())) continue;
            block.Read(&info, sizeof info);
            block.Read(text, sizeof text - 2, 512);
            if (info.uFlags & TTF_IDISHWND) tips[GetDlgCtrlID(reinterpret_cast<HWND>(info.uId))] = Cp936(text);
        }
    }
    return tips;
}

// The pixels the window shows now (0x00RRGGBB, the bottom row first), w by h; saved as a BMP file at path too.
inline std::vector<DWORD> Pixels(HWND window, int& w, int& h, const std::wstring& path = L"")
{
    Send(window, WM_NULL);  // what it was asked to paint is painted
    RECT rc;
    GetWindowRect(window, &rc);
    w = rc.right - rc.left;
    h = rc.bottom - rc.top;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), w, h, 1, 32, BI_RGB}};
    GetDIBits(memory, bitmap, 0, h, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const DWORD bytes = static_cast<DWORD>(pixels.size() * 4), offset = sizeof(BITMAPFILEHEADER) + sizeof info.bmiHeader;
    const BITMAPFILEHEADER file = {0x4D42, offset + bytes, 0, 0, offset};
    if (FILE* out = path.empty() ? nullptr : _wfopen(path.c_str(), L"wb")) {
        fwrite(&file, sizeof file, 1, out);
        fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        fwrite(pixels.data(), bytes, 1, out);
        fclose(out);
    }
    return pixels;
}

inline bool Near(DWORD pixel, COLORREF colour, int tolerance)
{
    return abs(static_cast<int>((pixel >> 16) & 0xFF) - GetRValue(colour)) <= tolerance &&
           abs(static_cast<int>((pixel >> 8) & 0xFF) - GetGValue(colour)) <= tolerance &&
           abs(static_cast<int>(pixel & 0xFF) - GetBValue(colour)) <= tolerance;
}

// Whether some pixel the window shows now is near colour.
inline bool ShowsColour(HWND window, COLORREF colour, int tolerance)
{
    int w = 0, h = 0;
    const std::vector<DWORD> pixels = Pixels(window, w, h);
    return std::any_of(pixels.begin(), pixels.end(), [&](DWORD p) { return Near(p, colour, tolerance); });
}

// One started program (path in folder, with the variables set for it and the arguments after its name), ended
// at the end if it still runs.
class Program {
public:
    Program(const std::wstring& path, const std::wstring& folder, const std::map<std::wstring, std::wstring>& vars = {},
            const std::wstring& arguments = L"")
    {
        std::lock_guard<std::mutex> lock(g_lock);
        for (const auto& [name, value] : vars) SetEnvironmentVariableW(name.c_str(), value.c_str());
        std::wstring commandLine = L"\"" + path + L"\" " + arguments;
        STARTUPINFOW startup = {sizeof startup};
        PROCESS_INFORMATION info = {};
        const BOOL started = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                            folder.c_str(), &startup, &info);
        for (const auto& [name, value] : vars) SetEnvironmentVariableW(name.c_str(), nullptr);
        EXPECT_TRUE(started) << "cannot start " << Cp936(path) << ": error " << GetLastError();
        if (started) CloseHandle(info.hThread);
        if (started) g_running.push_back(info.hProcess);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
    Program(const Program&) = delete;
    ~Program()
    {
        if (Running()) TerminateProcess(process_, 255);
        WaitForSingleObject(process_, 5000);
    }
    DWORD Id() const { return id_; }
    bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    HWND WaitForMainWindow() const { return WaitForTitled(id_, L"Zor DU3 Vodizaro"); }
    std::optional<DWORD> WaitForExit() const
    {
        DWORD code = 0;
        if (!process_ || WaitForSingleObject(process_, kWaitMs) != WAIT_OBJECT_0) return std::nullopt;
        GetExitCodeProcess(process_, &code);
        return code;
    }
    bool CloseNormally(HWND main) const  // the close box, then exit code 0
    {
        PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        return WaitForExit() == std::optional<DWORD>(0);
    }

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// exe of BinFolder() in a fresh folder with its libraries (bass.dll from bassFolder, default BinFolder()),
// removed with everything in it at the end.
class ProgramCopy {
public:
    explicit ProgramCopy(const std::wstring& exe = L"ZorDU3Vodizaro.exe", const std::wstring& bassFolder = L"")
        : exe_(exe)
    {
        static int counter = 0;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = temp + (L"zdv 剪切测试 " + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++));
        EXPECT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << Cp936(folder_);
        for (const std::wstring& name : {exe, std::wstring(L"KivControls.dll"), std::wstring(L"id3lib.dll"),
                                        std::wstring(L"libmpg123.dll"), std::wstring(L"bass.dll")}) {
            const std::wstring from = (name == L"bass.dll" && !bassFolder.empty() ? bassFolder : BinFolder()) + L"\\";
            EXPECT_TRUE(CopyFileW((from + name).c_str(), PathOf(name).c_str(), FALSE)) << Cp936(from + name);
        }
    }
    ~ProgramCopy()
    {
        const std::wstring from = folder_ + L'\0';  // a list of one
        SHFILEOPSTRUCTW remove = {nullptr, FO_DELETE, from.c_str(), nullptr, FOF_NO_UI};
        SHFileOperationW(&remove);
    }
    const std::wstring& Folder() const { return folder_; }
    std::wstring PathOf(const std::wstring& name) const { return folder_ + L"\\" + name; }
    std::string Read(const std::wstring& name) const { return ReadBytes(PathOf(name)); }
    void Write(const std::wstring& name, const std::string& bytes) const { WriteBytes(PathOf(name), bytes); }
    // From the folder's parent: the program must find its own folder.
    Program Start(const std::map<std::wstring, std::wstring>& vars = {}, const std::wstring& arguments = L"") const
    {
        return Program(PathOf(exe_), Parent(folder_), vars, arguments);
    }

private:
    std::wstring folder_, exe_;
};

// The log's start lines (the start-up values, the output folder the settings gave), a load's and the end's;
// "{hex}" in an expected line stands for hexadecimal digits.
inline std::vector<std::string> StartLog(const ProgramCopy& copy, const std::string& output)
{
    char message[64];
    snprintf(message, sizeof message, "    msgMutex = 0x%x", RegisterWindowMessageW(L"open zordu3vodizaro"));
    const std::string folder = Cp936(copy.Folder());
    return {"Start ZorDU3Vodizaro", message, "    hMutex = 0x{hex}", "    Heap = 0x{hex}", "    完整路径名 = " + folder,
            "    当前文件夹 = " + folder, "    输出路径: " + output};
}
inline std::vector<std::string> LoadLog(const std::string& path, size_t bytes, int frames)
{
    const std::string count = "        帧数: " + std::to_string(frames);
    return {"    MP3GetFrames", "        mp3 文件: " + path, "        大小: " + std::to_string(bytes), count, count};
}
inline std::vector<std::string> EndLog()
{
    return {"    Message: CLOSE", "    Message: DESTROY", "End ZorDU3Vodizaro\n"};
}
inline void ExpectLog(const std::string& log, const std::vector<std::string>& expected)  // line by line
{
    EXPECT_EQ(log.find('\0'), std::string::npos) << "a zero byte in log.txt";
    std::vector<std::string> lines;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 2)
        lines.push_back(log.substr(start, (end = log.find("\r\n", start)) == std::string::npos ? end : end - start));
    for (size_t i = 0; i < std::max(lines.size(), expected.size()); ++i) {
        const std::string got = i < lines.size() ? lines[i] : "<missing>";
        const std::string want = i < expected.size() ? expected[i] : "<none>";
        const size_t at = want.find("{hex}");
        const bool hex = at != std::string::npos && got.compare(0, at, want, 0, at) == 0 &&
                         std::regex_match(got.substr(at), std::regex("[1-9a-f][0-9a-f]*|0"));
        EXPECT_TRUE(got == want || hex) << "log line " << i + 1 << ": got \"" << got << "\", want \"" << want << "\"";
    }
}
inline std::string Settings(int bFolder, const std::string& title, const std::string& source, const std::string& output)
{
    return "[设置]\r\nbFolder=" + std::to_string(bFolder) + "\r\n文件=" + title + "\r\n文件夹=" + source + "\r\n输出=" +
           output + "\r\n";
}

// LaunchRecorder.exe, copied beside the program as exeName, made the open command of classKey ("http",
// "Folder") in this prefix: what the shell starts, each start's arguments a line.
class ShellRecorder {
public:
    ShellRecorder(const ProgramCopy& copy, const std::wstring& classKey, const std::wstring& arguments,
                  const std::wstring& exeName = L"LaunchRecorder.exe")
        : exe_(copy.PathOf(exeName))
    {
        CopyFileW((BinFolder() + L"\\LaunchRecorder.exe").c_str(), exe_.c_str(), FALSE);
        const std::wstring key = L"Software\\Classes\\" + classKey + L"\\shell\\open\\command";
        const std::wstring command = L"\"" + exe_ + L"\" " + arguments;
        const DWORD bytes = static_cast<DWORD>(command.size() + 1) * 2;
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, command.c_str(), bytes);
    }
    std::vector<std::string> Launches(size_t count) const  // once there are count
    {
        std::vector<std::string> lines;
        WaitUntil([&] {
            const std::string text = ReadBytes(exe_.substr(0, exe_.rfind(L'.')) + L".txt");
            lines.clear();
            for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
                lines.push_back(text.substr(start, end - start));
            return lines.size() >= count;
        }, count ? kWaitMs : 0);
        return lines;
    }

private:
    std::wstring exe_;
};

// A run that takes too long ends with every program it started, before the
// runner's hard time-out would leave windows behind.
inline void Watchdog()
{
    CreateThread(nullptr, 0, [](void*) -> DWORD {
        Sleep(110 * 1000);
        fprintf(stderr, "watchdog: the test ran longer than 110 s\n");
        std::lock_guard<std::mutex> lock(g_lock);
        for (HANDLE process : g_running) TerminateProcess(process, 255);
        ExitProcess(100);
    }, nullptr, 0, nullptr);
}

}  // namespace e2e
