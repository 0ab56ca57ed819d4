// The engine's message boxes and posted command in a window of the program:
// what the user sees, who owns it, what the answer does. (Windows only.)
#include "app_state.h"
#include "bass.h"
#include "main_dialog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

constexpr int kOpenFileCommand = 2037;

// What a message box showed before it was answered.
struct SeenBox {
    std::string text;
    std::string caption;
    HWND owner = nullptr;
};

// Answers the next message box of the given thread with the given button,
// from a thread of its own, after reading it.
class BoxAnswerer {
public:
    BoxAnswerer(DWORD thread, int button) : worker_([this, thread, button] { Run(thread, button); }) {}
    ~BoxAnswerer() { worker_.join(); }
    SeenBox seen;

private:
    void Run(DWORD thread, int button)
    {
        for (int tries = 0; tries < 500; ++tries) {
            HWND box = nullptr;
            EnumThreadWindows(thread, [](HWND window, LPARAM found) -> BOOL {
                char name[16] = {};
                GetClassNameA(window, name, sizeof name);
                if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            }, reinterpret_cast<LPARAM>(&box));
            if (box) {
                char text[512] = {}, caption[256] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                GetWindowTextA(box, caption, sizeof caption);
                seen = {text, caption, GetWindow(box, GW_OWNER)};
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
                return;
            }
            Sleep(20);
        }
    }
    std::thread worker_;
};

class EngineUiWin32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_state.hMainDlg = CreateWindowExA(0, "STATIC", "Zor DU3 Vodizaro", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(g_state.hMainDlg, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(g_state.hMainDlg);
        g_state.hMainDlg = nullptr;
    }
    MainWindowEngineUi ui{kOpenFileCommand};
};

TEST_F(EngineUiWin32Test, QuestionsAreOwnedByTheMainWindowAndReturnTheAnswer)
{
    int answer;
    SeenBox seen;
    {
        BoxAnswerer answerer(GetCurrentThreadId(), IDYES);
        answer = ui.ShowMessage("完成!\n文件已经分割.", "Zor DU3 Vodizaro", MB_ICONQUESTION | MB_YESNO);
    }
    EXPECT_EQ(answer, IDYES);
    {
        BoxAnswerer answerer(GetCurrentThreadId(), IDNO);
        answer = ui.ShowMessage("无文件.", "Zor DU3 Vodizaro", MB_ICONINFORMATION | MB_YESNO);
        seen = answerer.seen;
    }
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(seen.text, "无文件.");
    EXPECT_EQ(seen.caption, "Zor DU3 Vodizaro");
    EXPECT_EQ(seen.owner, g_state.hMainDlg);
}

TEST_F(EngineUiWin32Test, TheAudioErrorBoxShowsTheLibrarysLastErrorCode)
{
    BASS_ChannelGetLength(0);  // not a stream: error 5 (BASS_ERROR_HANDLE)
    ASSERT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    SeenBox seen;
    {
        BoxAnswerer answerer(GetCurrentThreadId(), IDOK);
        ui.ShowAudioError("不能创建文件");
        seen = answerer.seen;
    }
    EXPECT_EQ(seen.text, "不能创建文件\n(错误码: 5)");
    EXPECT_NE(seen.caption, "Zor DU3 Vodizaro") << "the system's default caption";
    EXPECT_EQ(seen.owner, g_state.hMainDlg);
}

TEST_F(EngineUiWin32Test, TheOpenFileCommandIsPostedToTheMainWindow)
{
    ui.PostOpenFileCommand();
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, g_state.hMainDlg, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(LOWORD(message.wParam), kOpenFileCommand);
    EXPECT_EQ(HIWORD(message.wParam), 0);
    EXPECT_EQ(message.lParam, 0);
}

}  // namespace
