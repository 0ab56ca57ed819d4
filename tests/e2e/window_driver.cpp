#include "window_driver.h"

#include "program_files.h"
#include "resource.h"
#include "test_support.h"
#include "window_probe.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <vector>

namespace e2e {

namespace {

constexpr UINT kSendTimeoutMs = 5000;

LRESULT Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

DWORD ProcessOf(HWND window)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

std::string ReadFileText(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

ProgramCopy::Options WindowTestBuild()
{
    ProgramCopy::Options options;
    options.exe = L"ZorDU3VodizaroWindowTest.exe";
    return options;
}

std::string ToneStepsPath()
{
    return ZDV_WINDOW_FIXTURE_DIR "\\tone_steps.mp3";
}

std::string ToneStepsArtist()
{
    return "测试者 Tone";
}

LoadedCopy::LoadedCopy() : copy(WindowTestBuild())
{
    const std::wstring name = L"音阶 tone_steps.mp3";
    copy.Write(name, ReadFileText(ToneStepsPath()));
    source = Cp936(copy.PathOf(name));
    copy.Write(L"settings.ini", SettingsFile(0, Cp936(name), source, Cp936(copy.Folder()) + "\\"));
}

void LoadedWindowTest::SetUp()
{
    program_.emplace(loaded_.copy.Start());
    main_ = program_->WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
}

void LoadedWindowTest::TearDown()
{
    if (!main_) return;
    Click(Item(main_, IDC_BUTTON_STOP));
    EXPECT_TRUE(Close());
}

bool LoadedWindowTest::Close()
{
    HWND window = main_;
    main_ = nullptr;
    return window && program_->CloseNormally(window);
}

AppState ReadState(HWND main)
{
    AppState state;
    const auto* address = reinterpret_cast<const AppState*>(Send(main, kProbeStateAddress, 0, 0));
    EXPECT_NE(address, nullptr) << "not the window-test build";
    if (address) {
        EXPECT_TRUE(ReadRemote(ProcessOf(main), address, &state, sizeof state));
    }
    return state;
}

std::string ReadProgramText(HWND main, const char* address)
{
    if (!address) return "<none>";
    std::string text;
    char chunk[256];
    for (size_t offset = 0; offset < kTextBufferBytes; offset += sizeof chunk) {
        if (!ReadRemote(ProcessOf(main), address + offset, chunk, sizeof chunk)) break;
        const size_t n = strnlen(chunk, sizeof chunk);
        text.append(chunk, n);
        if (n < sizeof chunk) break;
    }
    return text;
}

std::string SliderCaption(HWND main)
{
    HWND slider = Item(main, IDC_SLIDER);
    InvalidateRect(slider, nullptr, FALSE);
    UpdateWindow(slider);
    return ReadProgramText(main, ReadState(main).szScratch);
}

SYSTEMTIME EditorTime(HWND main, int id)
{
    SYSTEMTIME st = {};
    RemoteBlock block(ProcessOf(main), sizeof st);
    if (!block.Address()) return st;
    Send(Item(main, id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(block.Address()));
    block.Read(0, &st, sizeof st);
    return st;
}

DWORD EditorRange(HWND main, int id, SYSTEMTIME (&range)[2])
{
    RemoteBlock block(ProcessOf(main), sizeof range);
    if (!block.Address()) return 0;
    const DWORD flags =
        static_cast<DWORD>(Send(Item(main, id), DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(block.Address())));
    block.Read(0, range, sizeof range);
    return flags;
}

std::string EditorText(HWND main, int id)
{
    const SYSTEMTIME st = EditorTime(main, id);
    char text[32];
    snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
    return text;
}

RECT ChannelRect(HWND main)
{
    RECT rc = {};
    RemoteBlock block(ProcessOf(main), sizeof rc);
    if (!block.Address()) return rc;
    Send(Item(main, IDC_SLIDER), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(block.Address()));
    block.Read(0, &rc, sizeof rc);
    return rc;
}

void TypeIntoField(HWND main, int id, int fieldIndex, const char* digits)
{
    HWND editor = Item(main, id);
    // The control places its fields when it paints.
    UpdateWindow(editor);
    RECT client;
    GetClientRect(editor, &client);
    // The hours field begins two pixels in from the left.
    const LPARAM hours = MAKELPARAM(5, client.bottom / 2);
    Send(editor, WM_LBUTTONDOWN, MK_LBUTTON, hours);
    Send(editor, WM_LBUTTONUP, 0, hours);
    for (int i = 0; i < fieldIndex; ++i) {
        Send(editor, WM_KEYDOWN, VK_RIGHT, 1);
        Send(editor, WM_KEYUP, VK_RIGHT, 1 | (3u << 30));
    }
    for (const char* c = digits; *c; ++c) Send(editor, WM_CHAR, static_cast<WPARAM>(*c), 1);
}

void TypeTime(HWND main, int id, int hours, int minutes, int seconds)
{
    // Through times below a minute, which every source's range holds: the
    // editor refuses a time beyond its range and keeps what it showed.
    const int fields[][2] = {{0, 0}, {1, 0}, {2, seconds}, {1, minutes}, {0, hours}};
    for (const auto& field : fields) {
        char digits[8];
        snprintf(digits, sizeof digits, "%02d", field[1]);
        TypeIntoField(main, id, field[0], digits);
    }
}

void SliderMouse(HWND main, UINT msg, WPARAM keys, WORD x)
{
    const RECT channel = ChannelRect(main);
    Send(Item(main, IDC_SLIDER), msg, keys, MAKELPARAM(x, (channel.top + channel.bottom) / 2));
}

void ClickSlider(HWND main, WORD x)
{
    SliderMouse(main, WM_LBUTTONDOWN, MK_LBUTTON, x);
    SliderMouse(main, WM_LBUTTONUP, 0, x);
}

bool ClickAndWait(HWND main, int id, const std::function<bool()>& check)
{
    Click(Item(main, id));
    return WaitUntil(check, 5000);
}

}  // namespace e2e
