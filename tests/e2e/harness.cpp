#include "harness.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>

namespace e2e {

namespace {

constexpr DWORD kPollMs = 50;

// Processes started here and not yet ended, for the watchdog.
std::mutex g_programsLock;
std::vector<HANDLE> g_programs;

void Track(HANDLE process)
{
    std::lock_guard<std::mutex> lock(g_programsLock);
    g_programs.push_back(process);
}

void Untrack(HANDLE process)
{
    std::lock_guard<std::mutex> lock(g_programsLock);
    g_programs.erase(std::remove(g_programs.begin(), g_programs.end(), process), g_programs.end());
}

std::wstring FolderOf(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L'\\'));
}

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

std::string Cp936(const std::wstring& text)
{
    int n = WideCharToMultiByte(936, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(936, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring FromCp936(const std::string& text)
{
    int n = MultiByteToWideChar(936, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(n > 0 ? n - 1 : 0, L'\0');
    MultiByteToWideChar(936, 0, text.c_str(), -1, out.data(), n);
    return out;
}

std::wstring BinFolder()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return FolderOf(path);
}

std::wstring ArtifactFolder()
{
    const std::wstring folder = FolderOf(BinFolder()) + L"\\artifacts";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string MusicFolderCp936()
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_MYMUSIC | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    return Cp936(path);
}

// --- Program ---------------------------------------------------------------

Program::Program(HANDLE process, DWORD id, DWORD threadId) : process_(process), id_(id), threadId_(threadId)
{
    if (process_) Track(process_);
}

Program::Program(Program&& other) noexcept : process_(other.process_), id_(other.id_), threadId_(other.threadId_)
{
    other.process_ = nullptr;
}

Program::~Program()
{
    if (!process_) return;
    if (Running()) {
        TerminateProcess(process_, 255);
        WaitForSingleObject(process_, 5000);
    }
    Untrack(process_);
    CloseHandle(process_);
}

bool Program::Running() const
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

HWND Program::WaitForMainWindow(DWORD timeoutMs) const
{
    if (!process_) return nullptr;
    return WaitFor([this] { return FindTopWindow(id_, L"#32770", L"Zor DU3 Vodizaro"); }, timeoutMs);
}

std::optional<DWORD> Program::WaitForExit(DWORD timeoutMs) const
{
    if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

bool Program::CloseNormally(HWND main) const
{
    ClickCloseBox(main);
    return WaitForExit() == std::optional<DWORD>(0);
}

// --- ProgramCopy -------------------------------------------------------------

ProgramCopy::ProgramCopy() : ProgramCopy(Options()) {}

ProgramCopy::ProgramCopy(const Options& options) : exe_(options.exe), environment_(options.environment)
{
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"zdv 剪切测试 " + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(counter++);
    RemoveTree(folder_);
    EXPECT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << Cp936(folder_);
    const std::wstring bin = BinFolder();
    const std::wstring audio = options.audioLibraryFolder.empty() ? bin : options.audioLibraryFolder;
    EXPECT_TRUE(CopyFileW((bin + L"\\" + exe_).c_str(), PathOf(exe_).c_str(), FALSE)) << Cp936(exe_);
    EXPECT_TRUE(CopyFileW((audio + L"\\bass.dll").c_str(), PathOf(L"bass.dll").c_str(), FALSE)) << Cp936(audio);
    EXPECT_TRUE(CopyFileW((bin + L"\\KivControls.dll").c_str(), PathOf(L"KivControls.dll").c_str(), FALSE));
}

ProgramCopy::~ProgramCopy()
{
    RemoveTree(folder_);
}

bool ProgramCopy::Has(const std::wstring& name) const
{
    return GetFileAttributesW(PathOf(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ProgramCopy::Read(const std::wstring& name) const
{
    HANDLE file = CreateFileW(PathOf(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

void ProgramCopy::Write(const std::wstring& name, const std::string& bytes) const
{
    HANDLE file = CreateFileW(PathOf(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Cp936(name);
    DWORD put = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(file);
    EXPECT_EQ(put, bytes.size());
}

void ProgramCopy::Remove(const std::wstring& name) const
{
    DeleteFileW(PathOf(name).c_str());
}

Program ProgramCopy::Start() const
{
    std::wstring path = PathOf(exe_);
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // Started from the temporary folder's parent: the program must find its
    // own folder by itself.
    const std::wstring elsewhere = FolderOf(folder_);
    // The program inherits this process's environment, with the copy's
    // variables set for the moment of the start.
    for (const auto& [name, value] : environment_) SetEnvironmentVariableW(name.c_str(), value.c_str());
    const BOOL started = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        elsewhere.c_str(), &startup, &info);
    for (const auto& [name, value] : environment_) SetEnvironmentVariableW(name.c_str(), nullptr);
    if (!started) {
        ADD_FAILURE() << "cannot start " << Cp936(path) << ": error " << GetLastError();
        return Program(nullptr, 0, 0);
    }
    CloseHandle(info.hThread);
    return Program(info.hProcess, info.dwProcessId, info.dwThreadId);
}

// --- Windows -----------------------------------------------------------------

HWND Item(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

std::string Text(HWND window)
{
    char text[4096] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &length);
    return std::string(text, strnlen(text, sizeof text));
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

DWORD StyleOf(HWND window)
{
    return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
}

std::vector<HWND> Children(HWND dialog)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND FocusIn(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

HWND WaitFor(const std::function<HWND()>& probe, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND found = probe()) return found;
        if (GetTickCount64() >= end) return nullptr;
        Sleep(kPollMs);
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    return WaitFor([&] { return condition() ? GetDesktopWindow() : nullptr; }, timeoutMs) != nullptr;
}

HWND FindTopWindow(DWORD processId, const wchar_t* klass, const wchar_t* title, HWND except)
{
    struct Search {
        DWORD processId;
        const wchar_t* klass;
        const wchar_t* title;
        HWND except;
        HWND found;
    } search = {processId, klass, title, except, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner != s->processId || hwnd == s->except || !IsWindowVisible(hwnd)) return TRUE;
            if (s->klass && ClassOf(hwnd) != s->klass) return TRUE;
            if (s->title) {
                wchar_t text[512] = {};
                GetWindowTextW(hwnd, text, 512);
                if (wcscmp(text, s->title) != 0) return TRUE;
            }
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BaseUnits FindBaseUnits(HWND dialog, int templateCx, int templateCy)
{
    RECT client;
    GetClientRect(dialog, &client);
    BaseUnits units;
    for (int x = 1; x < 64 && !units.x; ++x)
        if (MulDiv(templateCx, x, 4) == client.right) units.x = x;
    for (int y = 1; y < 128 && !units.y; ++y)
        if (MulDiv(templateCy, y, 8) == client.bottom) units.y = y;
    return units;
}

RECT DialogUnitsToPixels(const BaseUnits& units, int x, int y, int cx, int cy)
{
    RECT rc;
    rc.left = MulDiv(x, units.x, 4);
    rc.top = MulDiv(y, units.y, 8);
    rc.right = rc.left + MulDiv(cx, units.x, 4);
    rc.bottom = rc.top + MulDiv(cy, units.y, 8);
    return rc;
}

RECT ClientRectOf(HWND dialog, HWND child)
{
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// --- Input -------------------------------------------------------------------

void Click(HWND button)
{
    PostMessageW(button, BM_CLICK, 0, 0);
}

void ClickCloseBox(HWND window)
{
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void PressKey(HWND window, UINT virtualKey)
{
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageW(window, WM_KEYUP, virtualKey, 1 | (scan << 16) | (3u << 30));
}

bool Minimise(HWND window)
{
    const ULONGLONG end = GetTickCount64() + kWaitMs;
    while (GetTickCount64() < end) {
        PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        if (WaitUntil([&] { return IsIconic(window) != FALSE; }, 500)) return true;
    }
    return false;
}

// --- Message boxes -------------------------------------------------------------

std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, HWND except, DWORD timeoutMs)
{
    HWND box = WaitFor(
        [&] {
            HWND candidate = nullptr;
            HWND after = nullptr;
            // Any dialog of the process with the message text static.
            for (int guard = 0; guard < 64; ++guard) {
                candidate = FindWindowExW(nullptr, after, L"#32770", nullptr);
                if (!candidate) return static_cast<HWND>(nullptr);
                after = candidate;
                DWORD owner = 0;
                GetWindowThreadProcessId(candidate, &owner);
                if (owner == processId && candidate != except && IsWindowVisible(candidate) &&
                    GetDlgItem(candidate, 0xFFFF))
                    return candidate;
            }
            return static_cast<HWND>(nullptr);
        },
        timeoutMs);
    if (!box) return std::nullopt;
    MessageBoxSeen seen;
    seen.box = box;
    seen.owner = GetWindow(box, GW_OWNER);
    seen.caption = Text(box);
    seen.text = Text(GetDlgItem(box, 0xFFFF));
    for (HWND child : Children(box)) {
        if (ClassOf(child) == L"Static" && (StyleOf(child) & SS_TYPEMASK) == SS_ICON) seen.hasIcon = true;
    }
    return seen;
}

void Answer(const MessageBoxSeen& box, int buttonId)
{
    HWND button = GetDlgItem(box.box, buttonId);
    ASSERT_NE(button, nullptr) << "no button " << buttonId << " in the box";
    Click(button);
}

// --- Another process's memory ---------------------------------------------------

RemoteBlock::RemoteBlock(DWORD processId, size_t bytes) : bytes_(bytes)
{
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
}

RemoteBlock::~RemoteBlock()
{
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
}

bool RemoteBlock::Write(size_t offset, const void* data, size_t size) const
{
    return offset + size <= bytes_ && WriteProcessMemory(process_, Address() + offset, data, size, nullptr);
}

bool RemoteBlock::Read(size_t offset, void* data, size_t size) const
{
    return offset + size <= bytes_ && ReadProcessMemory(process_, Address() + offset, data, size, nullptr);
}

bool ReadRemote(DWORD processId, const void* address, void* out, size_t bytes)
{
    HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, processId);
    if (!process) return false;
    SIZE_T got = 0;
    const bool ok = ReadProcessMemory(process, address, out, bytes, &got) && got == bytes;
    CloseHandle(process);
    return ok;
}

// --- Tooltips -----------------------------------------------------------------

std::vector<Tooltip> TooltipsOf(HWND dialog)
{
    std::vector<Tooltip> tips;
    DWORD processId = 0;
    GetWindowThreadProcessId(dialog, &processId);
    constexpr size_t kTextOffset = 512;
    constexpr size_t kTextChars = 1024;
    RemoteBlock block(processId, kTextOffset + kTextChars * sizeof(wchar_t));
    if (!block.Address()) return tips;
    for (HWND tip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tip;
         tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) {
        if (GetWindow(tip, GW_OWNER) != dialog) continue;
        const LRESULT count = SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            TTTOOLINFOW info = {};
            info.cbSize = sizeof info;
            info.lpszText = reinterpret_cast<wchar_t*>(block.Address() + kTextOffset);
            const wchar_t none = 0;
            if (!block.Write(0, &info, sizeof info) || !block.Write(kTextOffset, &none, sizeof none)) return tips;
            if (!SendMessageW(tip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(block.Address()))) continue;
            std::wstring text(kTextChars, L'\0');
            block.Read(0, &info, sizeof info);
            block.Read(kTextOffset, text.data(), kTextChars * sizeof(wchar_t));
            text.resize(wcsnlen(text.c_str(), kTextChars));
            const HWND tool = (info.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(info.uId) : nullptr;
            tips.push_back({tool, Cp936(text)});
        }
    }
    return tips;
}

// --- Screenshots -------------------------------------------------------------------

namespace {

// What the screen shows where the window is: 32-bit pixels 0x00RRGGBB,
// bottom row first (the order of a .bmp file).
struct ScreenImage {
    BITMAPINFOHEADER header = {};
    std::vector<DWORD> pixels;
};

ScreenImage CaptureScreenArea(HWND window)
{
    ScreenImage image;
    RECT rc;
    GetWindowRect(window, &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return image;
    image.header.biSize = sizeof image.header;
    image.header.biWidth = width;
    image.header.biHeight = height;
    image.header.biPlanes = 1;
    image.header.biBitCount = 32;
    image.header.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    SelectObject(memory, previous);
    image.pixels.resize(static_cast<size_t>(width) * height);
    BITMAPINFO info = {};
    info.bmiHeader = image.header;
    if (GetDIBits(memory, bitmap, 0, height, image.pixels.data(), &info, DIB_RGB_COLORS) != height)
        image.pixels.clear();
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

}  // namespace

std::wstring Screenshot(HWND window, const std::string& name)
{
    // Let the program finish painting what it has been asked to.
    DWORD_PTR ignored;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    Sleep(300);
    ScreenImage image = CaptureScreenArea(window);
    if (image.pixels.empty()) return {};
    for (DWORD& p : image.pixels) p |= 0xFF000000;  // opaque for viewers that read the fourth byte
    const DWORD imageBytes = static_cast<DWORD>(image.pixels.size() * sizeof(DWORD));
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof image.header;
    file.bfSize = file.bfOffBits + imageBytes;
    const std::wstring path = ArtifactFolder() + L"\\" + FromCp936(name) + L".bmp";
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return {};
    DWORD put;
    const bool ok = WriteFile(out, &file, sizeof file, &put, nullptr) &&
                    WriteFile(out, &image.header, sizeof image.header, &put, nullptr) &&
                    WriteFile(out, image.pixels.data(), imageBytes, &put, nullptr);
    CloseHandle(out);
    if (!ok) return {};
    printf("screenshot: %s\n", Cp936(path).c_str());
    return path;
}

bool ShowsColour(HWND window, COLORREF colour, int tolerance)
{
    const auto within = [tolerance](DWORD channel, BYTE want) { return abs(static_cast<int>(channel) - want) <= tolerance; };
    for (DWORD p : CaptureScreenArea(window).pixels) {
        if (within((p >> 16) & 0xFF, GetRValue(colour)) && within((p >> 8) & 0xFF, GetGValue(colour)) &&
            within(p & 0xFF, GetBValue(colour)))
            return true;
    }
    return false;
}

void EndAllPrograms()
{
    std::lock_guard<std::mutex> lock(g_programsLock);
    for (HANDLE process : g_programs) TerminateProcess(process, 255);
}

}  // namespace e2e
