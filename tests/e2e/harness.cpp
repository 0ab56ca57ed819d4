#include "harness.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <regex>

namespace e2e {

namespace {

std::mutex g_lock;
std::vector<HANDLE> g_running;  // every program started, for the watchdog

std::wstring Parent(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L'\\'));
}

DWORD ProcessOf(HWND window)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

}  // namespace

std::string Cp936(const std::wstring& text)
{
    std::string out(text.size() * 2 + 1, '\0');
    out.resize(WideCharToMultiByte(936, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr, nullptr) - 1);
    return out;
}

std::wstring Wide(const std::string& cp936)
{
    std::wstring out(cp936.size() + 1, L'\0');
    out.resize(MultiByteToWideChar(936, 0, cp936.c_str(), -1, out.data(), static_cast<int>(out.size())) - 1);
    return out;
}

std::wstring BinFolder()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Parent(path);
}

std::wstring ArtifactFolder()
{
    const std::wstring folder = Parent(BinFolder()) + L"\\artifacts";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string MusicFolder()
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_MYMUSIC | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    return Cp936(path);
}

std::string ReadBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    return bytes.substr(0, got);
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(file);
    EXPECT_EQ(put, bytes.size()) << Cp936(path);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    for (const ULONGLONG end = GetTickCount64() + timeoutMs;; Sleep(50)) {
        if (condition()) return true;
        if (GetTickCount64() > end) return false;
    }
}

// --- Programs --------------------------------------------------------------------

Program::~Program()
{
    if (process_ && Running()) TerminateProcess(process_, 255);
    if (process_) WaitForSingleObject(process_, 5000);
}

HWND Program::WaitForMainWindow() const
{
    return WaitForTitled(id_, L"Zor DU3 Vodizaro");
}

std::optional<DWORD> Program::WaitForExit() const
{
    DWORD code = 0;
    if (!process_ || WaitForSingleObject(process_, kWaitMs) != WAIT_OBJECT_0) return std::nullopt;
    GetExitCodeProcess(process_, &code);
    return code;
}

bool Program::CloseNormally(HWND main) const
{
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    return WaitForExit() == std::optional<DWORD>(0);
}

Program Start(const std::wstring& path, const std::wstring& currentFolder, const Environment& environment)
{
    std::lock_guard<std::mutex> lock(g_lock);
    for (const auto& [name, value] : environment) SetEnvironmentVariableW(name.c_str(), value.c_str());
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION info = {};
    const BOOL started = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        currentFolder.c_str(), &startup, &info);
    for (const auto& [name, value] : environment) SetEnvironmentVariableW(name.c_str(), nullptr);
    EXPECT_TRUE(started) << "cannot start " << Cp936(path) << ": error " << GetLastError();
    if (!started) return Program(nullptr, 0);
    CloseHandle(info.hThread);
    g_running.push_back(info.hProcess);
    return Program(info.hProcess, info.dwProcessId);
}

ProgramCopy::ProgramCopy(const std::wstring& exe, const std::wstring& bassFolder) : exe_(exe)
{
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = temp + (L"zdv 剪切测试 " + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++));
    EXPECT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << Cp936(folder_);
    for (const std::wstring name : {exe, std::wstring(L"KivControls.dll"), std::wstring(L"id3lib.dll"),
                                    std::wstring(L"libmpg123.dll"), std::wstring(L"bass.dll")}) {
        const std::wstring from = (name == L"bass.dll" && !bassFolder.empty() ? bassFolder : BinFolder()) + L"\\" + name;
        EXPECT_TRUE(CopyFileW(from.c_str(), PathOf(name).c_str(), FALSE)) << Cp936(from);
    }
}

ProgramCopy::~ProgramCopy()
{
    std::wstring from = folder_ + L'\0';  // a list of one
    SHFILEOPSTRUCTW remove = {nullptr, FO_DELETE, from.c_str(), nullptr, FOF_NO_UI};
    SHFileOperationW(&remove);
}

Program ProgramCopy::Start(const Environment& environment) const
{
    return e2e::Start(PathOf(exe_), Parent(folder_), environment);
}

// --- What the program leaves behind -------------------------------------------------

std::vector<std::string> StartLog(const ProgramCopy& copy, const std::string& output)
{
    char mutexMessage[64];
    snprintf(mutexMessage, sizeof mutexMessage, "    msgMutex = 0x%x", RegisterWindowMessageW(L"open zordu3vodizaro"));
    return {"Start ZorDU3Vodizaro", mutexMessage, "    hMutex = 0x{hex}", "    Heap = 0x{hex}",
            "    完整路径名 = " + Cp936(copy.Folder()), "    当前文件夹 = " + Cp936(copy.Folder()), "    输出路径: " + output};
}

std::vector<std::string> LoadLog(const std::string& path, size_t bytes, int frames)
{
    const std::string count = "        帧数: " + std::to_string(frames);
    return {"    MP3GetFrames", "        mp3 文件: " + path, "        大小: " + std::to_string(bytes), count, count};
}

std::vector<std::string> EndLog()
{
    return {"    Message: CLOSE", "    Message: DESTROY", "End ZorDU3Vodizaro\n"};
}

void ExpectLog(const std::string& log, const std::vector<std::string>& expected)
{
    EXPECT_EQ(log.find('\0'), std::string::npos) << "a zero byte in log.txt";
    std::vector<std::string> lines;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 2)
        lines.push_back(log.substr(start, (end = log.find("\r\n", start)) == std::string::npos ? end : end - start));
    for (size_t i = 0; i < std::max(lines.size(), expected.size()); ++i) {
        const std::string got = i < lines.size() ? lines[i] : "<missing>", want = i < expected.size() ? expected[i] : "<none>";
        const size_t at = want.find("{hex}");
        const bool same = at == std::string::npos ? got == want
                                                  : got.compare(0, at, want, 0, at) == 0 &&
                                                        std::regex_match(got.substr(at), std::regex("([1-9a-f][0-9a-f]*|0)"));
        EXPECT_TRUE(same) << "log line " << i + 1 << ": got \"" << got << "\", want \"" << want << "\"";
    }
}

std::string Settings(int bFolder, const std::string& title, const std::string& source, const std::string& output)
{
    return "[设置]\r\nbFolder=" + std::to_string(bFolder) + "\r\n文件=" + title + "\r\n文件夹=" + source + "\r\n输出=" + output + "\r\n";
}

// --- Windows and input ----------------------------------------------------------------

std::string Text(HWND window)
{
    char text[4096] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

LRESULT Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

HWND WaitForDialog(DWORD processId, const std::function<bool(HWND)>& test, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] {
        for (found = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); found;
             found = FindWindowExW(nullptr, found, L"#32770", nullptr))
            if (ProcessOf(found) == processId && IsWindowVisible(found) && test(found)) return true;
        return false;
    }, timeoutMs);
    return found;
}

HWND WaitForTitled(DWORD processId, const std::wstring& title)
{
    return WaitForDialog(processId, [&](HWND w) { return Wide(Text(w)) == title; });
}

std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, HWND except)
{
    HWND box = WaitForDialog(processId, [&](HWND w) { return w != except && GetDlgItem(w, 0xFFFF); });
    if (!box) return std::nullopt;
    MessageBoxSeen seen{box, GetWindow(box, GW_OWNER), Text(box), Text(GetDlgItem(box, 0xFFFF))};
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        seen.hasIcon |= ClassOf(c) == L"Static" && (GetWindowLongPtrW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    return seen;
}

bool Answer(const MessageBoxSeen& box, int button)
{
    EXPECT_NE(GetDlgItem(box.box, button), nullptr) << "no button " << button;
    Click(GetDlgItem(box.box, button));
    return WaitUntil([&] { return !IsWindow(box.box); });
}

Remote::Remote(HWND window, size_t bytes)
    : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(window)))
{
    if (process_) address_ = VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    EXPECT_NE(address_, nullptr);
}

Remote::~Remote()
{
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
}

bool Remote::Write(const void* data, size_t size, size_t at) const
{
    return WriteProcessMemory(process_, static_cast<char*>(address_) + at, data, size, nullptr);
}

bool Remote::Read(void* data, size_t size, size_t at) const
{
    return ReadProcessMemory(process_, static_cast<char*>(address_) + at, data, size, nullptr);
}

// --- Time pickers, the trackbar, the open-file dialog --------------------------------------

SYSTEMTIME EditorTime(HWND editor)
{
    SYSTEMTIME st = {};
    Remote block(editor, sizeof st);
    Send(editor, DTM_GETSYSTEMTIME, 0, block.Address());
    block.Read(&st, sizeof st);
    return st;
}

double EditorSeconds(HWND editor)
{
    const SYSTEMTIME st = EditorTime(editor);
    return st.wHour * 3600.0 + st.wMinute * 60.0 + st.wSecond + st.wMilliseconds / 1000.0;
}

std::string EditorText(HWND editor)
{
    const SYSTEMTIME st = EditorTime(editor);
    char text[32];
    snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
    return text;
}

DWORD EditorRange(HWND editor, SYSTEMTIME (&range)[2])
{
    Remote block(editor, sizeof range);
    const auto flags = static_cast<DWORD>(Send(editor, DTM_GETRANGE, 0, block.Address()));
    block.Read(range, sizeof range);
    return flags;
}

void TypeField(HWND editor, int field, const char* digits)
{
    UpdateWindow(editor);  // the control places its fields when it paints
    RECT client;
    GetClientRect(editor, &client);
    Send(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, client.bottom / 2));
    Send(editor, WM_LBUTTONUP, 0, MAKELPARAM(5, client.bottom / 2));
    for (int i = 0; i < field; ++i) Send(editor, WM_KEYDOWN, VK_RIGHT, 1), Send(editor, WM_KEYUP, VK_RIGHT, 1 | (3u << 30));
    for (const char* c = digits; *c; ++c) Send(editor, WM_CHAR, static_cast<WPARAM>(*c), 1);
}

void TypeTime(HWND editor, int minutes, int seconds)
{
    // Through times below a minute, which every range holds: an editor
    // refuses a time beyond its range.
    const int fields[][2] = {{0, 0}, {1, 0}, {2, seconds}, {1, minutes}};
    for (const auto& [field, value] : fields) {
        const char digits[] = {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10), '\0'};
        TypeField(editor, field, digits);
    }
}

RECT ChannelRect(HWND slider)
{
    RECT rc = {};
    Remote block(slider, sizeof rc);
    Send(slider, TBM_GETCHANNELRECT, 0, block.Address());
    block.Read(&rc, sizeof rc);
    return rc;
}

void SliderMouse(HWND slider, UINT msg, WPARAM keys, int x)
{
    const RECT channel = ChannelRect(slider);
    Send(slider, msg, keys, MAKELPARAM(static_cast<WORD>(x), (channel.top + channel.bottom) / 2));
}

void ChooseFile(HWND dialog, const std::string& path)
{
    HWND combo = FindWindowExW(GetDlgItem(dialog, cmb13), nullptr, L"ComboBox", nullptr);
    HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr) << "no file-name box";
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG, 5000, nullptr);
    Click(GetDlgItem(dialog, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

void Cancel(HWND dialog)
{
    Click(GetDlgItem(dialog, IDCANCEL));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

// --- Templates and tooltips ---------------------------------------------------------------

void ExpectLayout(HWND live, const std::wstring& exe, int id, DWORD (*adjust)(int id, DWORD style),
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
    EXPECT_TRUE(EqualRect(&a, &b)) << "client " << a.right << "x" << a.bottom << ", template " << b.right << "x" << b.bottom;
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
        EXPECT_TRUE(EqualRect(&a, &b)) << a.left << "," << a.top << "-" << a.right << "," << a.bottom << " instead of "
                                       << b.left << "," << b.top << "-" << b.right << "," << b.bottom;
        if (std::find(liveTexts.begin(), liveTexts.end(), child) == liveTexts.end()) EXPECT_EQ(Text(x), Text(y));
    }
}

std::map<int, std::string> Tooltips(HWND dialog)
{
    std::map<int, std::string> tips;
    Remote block(dialog, 4096);
    for (HWND tip = nullptr; (tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr;) {
        for (LRESULT i = 0, n = GetWindow(tip, GW_OWNER) == dialog ? Send(tip, TTM_GETTOOLCOUNT) : 0; i < n; ++i) {
            TTTOOLINFOW info = {sizeof info};
            info.lpszText = reinterpret_cast<wchar_t*>(block.Address() + 512);
            wchar_t text[1024] = {};
            block.Write(&info, sizeof info);
            block.Write(text, sizeof text - 512, 512);
            if (!Send(tip, TTM_ENUMTOOLSW, i, block.Address())) continue;
            block.Read(&info, sizeof info);
            block.Read(text, sizeof text - 512, 512);
            if (info.uFlags & TTF_IDISHWND) tips[GetDlgCtrlID(reinterpret_cast<HWND>(info.uId))] = Cp936(text);
        }
    }
    return tips;
}

// --- The screen and the shell -----------------------------------------------------------------

std::vector<DWORD> Grab(HWND window, int* width, int* height)
{
    RECT rc;
    GetWindowRect(window, &rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (width) *width = w, *height = h;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), w, h, 1, 32, BI_RGB}};
    GetDIBits(memory, bitmap, 0, h, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void Screenshot(HWND window, const std::string& name)
{
    Send(window, WM_NULL);  // what it was asked to paint is painted
    int w = 0, h = 0;
    std::vector<DWORD> pixels = Grab(window, &w, &h);
    for (DWORD& p : pixels) p |= 0xFF000000;  // opaque for viewers that read the fourth byte
    const BITMAPINFOHEADER info = {sizeof info, w, h, 1, 32, BI_RGB};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    const BITMAPFILEHEADER file = {0x4D42 /* "BM" */, static_cast<DWORD>(offset + pixels.size() * 4), 0, 0, offset};
    WriteBytes(ArtifactFolder() + L"\\" + Wide(name) + L".bmp",
               std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                   std::string(reinterpret_cast<const char*>(&info), sizeof info) +
                   std::string(reinterpret_cast<const char*>(pixels.data()), pixels.size() * 4));
}

bool ShowsColour(HWND window, COLORREF colour, int tolerance)
{
    const std::vector<DWORD> pixels = Grab(window);
    return std::any_of(pixels.begin(), pixels.end(), [&](DWORD p) {
        return abs(static_cast<int>((p >> 16) & 0xFF) - GetRValue(colour)) <= tolerance &&
               abs(static_cast<int>((p >> 8) & 0xFF) - GetGValue(colour)) <= tolerance &&
               abs(static_cast<int>(p & 0xFF) - GetBValue(colour)) <= tolerance;
    });
}

ShellRecorder::ShellRecorder(const ProgramCopy& copy, const std::wstring& classKey, const std::wstring& arguments,
                             const std::wstring& exeName)
    : key_(L"Software\\Classes\\" + classKey + L"\\shell\\open\\command")
{
    const std::wstring exe = copy.PathOf(exeName), command = L"\"" + exe + L"\" " + arguments;
    CopyFileW((BinFolder() + L"\\LaunchRecorder.exe").c_str(), exe.c_str(), FALSE);
    record_ = exe.substr(0, exe.rfind(L'.')) + L".txt";
    wchar_t old[1024] = {};
    DWORD bytes = sizeof old - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, old, &bytes) == 0) old_ = old;
    EXPECT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr, REG_SZ, command.c_str(),
                              static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))), 0);
}

ShellRecorder::~ShellRecorder()
{
    // The command that was there before comes back.
    if (old_.empty()) RegDeleteKeyW(HKEY_LOCAL_MACHINE, key_.c_str());
    else RegSetKeyValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr, REG_SZ, old_.c_str(), static_cast<DWORD>((old_.size() + 1) * 2));
}

std::vector<std::string> ShellRecorder::Launches(size_t count) const
{
    std::vector<std::string> lines;
    WaitUntil([&] {
        const std::string text = ReadBytes(record_);
        lines.clear();
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines.size() >= count;
    }, count ? kWaitMs : 0);
    return lines;
}

}  // namespace e2e

int main(int argc, char** argv)
{
    // The watchdog: a run that takes too long ends with every program it
    // started, before the runner's hard time-out would leave windows behind.
    CreateThread(nullptr, 0, [](void*) -> DWORD {
        Sleep(110 * 1000);
        fprintf(stderr, "watchdog: the test ran longer than 110 s\n");
        std::lock_guard<std::mutex> lock(e2e::g_lock);
        for (HANDLE process : e2e::g_running) TerminateProcess(process, 255);
        ExitProcess(100);
    }, nullptr, 0, nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
