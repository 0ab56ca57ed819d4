// The About box: the ways to close it, and the home page opened in the web
// browser that the registry names, checked through a recorder registered
// as that browser.
#include "harness.h"
#include "resource.h"
#include "shell_launches.h"

#include <gtest/gtest.h>

#include <functional>

namespace e2e {
namespace {

const wchar_t kAboutTitle[] = L"Zor DU3 Vodizaro :: \u5173\u4e8e";  // "关于"
const std::wstring kHomePage = L"" ZDV_HOME_PAGE_URL;

// Opens the About box from the main window and waits for it.
HWND OpenAboutBox(const Program& program, HWND main)
{
    Click(Item(main, IDC_BUTTON_ABOUT));
    HWND about = WaitFor([&] { return FindTopWindow(program.Id(), L"#32770", kAboutTitle); });
    EXPECT_NE(about, nullptr);
    if (about) {
        EXPECT_EQ(GetWindow(about, GW_OWNER), main);
        EXPECT_FALSE(IsWindowEnabled(main)) << "modal over the main window";
    }
    return about;
}

TEST(AboutBox, OkEscapeTheCloseBoxAndTheHomePageButtonCloseItAndOnlyTheLastOpensTheBrowser)
{
    ProgramCopy copy;
    const std::wstring recorder = InstallLaunchRecorder(copy);
    // A browser's command as browsers register it: quoted path, switches, placeholder.
    ShellCommandOverride browser(L"http", L"\"" + recorder + L"\" -osint -url \"%1\"");
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);

    const std::function<void(HWND)> closers[] = {
        [](HWND about) { Click(Item(about, IDC_BUTTON_ABOUT_OK)); },
        [](HWND about) { PressKey(about, VK_ESCAPE); },
        [](HWND about) { ClickCloseBox(about); },
        [](HWND about) { Click(Item(about, IDC_BUTTON_HOME_PAGE)); },
    };
    for (const auto& close : closers) {
        HWND about = OpenAboutBox(program, main);
        ASSERT_NE(about, nullptr);
        close(about);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
        if (&close != &closers[3]) {
            Sleep(300);
            EXPECT_TRUE(WaitForLaunches(copy, 1, 0).empty()) << "no browser yet";
        }
    }
    // The browser's program alone, with the address as its whole command line.
    const std::vector<std::wstring> launches = WaitForLaunches(copy, 1);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(Cp936(ArgumentsOf(launches[0])), ZDV_HOME_PAGE_URL) << Cp936(launches[0]);
    EXPECT_NE(launches[0].find(L"LaunchRecorder.exe"), std::wstring::npos) << Cp936(launches[0]);
    Sleep(300);
    EXPECT_EQ(WaitForLaunches(copy, 2, 0).size(), 1u) << "one start only";

    EXPECT_TRUE(program.CloseNormally(main));
    const std::string log = copy.Read(L"log.txt");
    size_t count = 0;
    for (size_t at = log.find("\r\n    Button: ABOUT\r\n"); at != std::string::npos;
         at = log.find("\r\n    Button: ABOUT\r\n", at + 1))
        ++count;
    EXPECT_EQ(count, 4u) << log;
}

TEST(AboutBox, ABrowserCommandWithoutALowerOrUpperCaseExeLeavesTheAddressToTheShell)
{
    ProgramCopy copy;
    std::wstring recorder = InstallLaunchRecorder(copy);
    // "LaunchRecorder.Exe" (the file system does not mind the case; the
    // search for ".exe" or ".EXE" does). The shell's own way with the
    // address is the command of its scheme, https, with the address for "%1".
    recorder.replace(recorder.size() - 3, 3, L"Exe");
    const std::wstring command = L"\"" + recorder + L"\" \"%1\"";
    ShellCommandOverride browser(L"http", command);
    ShellCommandOverride secureBrowser(L"https", command);
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    HWND about = OpenAboutBox(program, main);
    ASSERT_NE(about, nullptr);
    Click(Item(about, IDC_BUTTON_HOME_PAGE));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    const std::vector<std::wstring> launches = WaitForLaunches(copy, 1);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(Cp936(ArgumentsOf(launches[0])), "\"" ZDV_HOME_PAGE_URL "\"") << Cp936(launches[0]);
    EXPECT_TRUE(program.CloseNormally(main));
}

}  // namespace
}  // namespace e2e
