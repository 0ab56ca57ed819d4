// The browser's program found in the registry's command for web addresses.
#include "path_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The path found in command, or "<none>" (and then command must be unchanged).
std::string PathIn(const std::string& command)
{
    std::string text = command;
    const char* path = BrowserPathInCommand(text.data());
    if (!path) {
        EXPECT_EQ(text, command) << "left unchanged";
        return "<none>";
    }
    EXPECT_TRUE(path == text.data() || path == text.data() + 1) << "the path lies inside the command";
    return path;
}

TEST(BrowserCommand, TheProgramIsKeptAndQuotesSwitchesAndThePlaceholderAreDropped)
{
    EXPECT_EQ(PathIn("\"C:\\windows\\system32\\winebrowser.exe\" \"%1\""), "C:\\windows\\system32\\winebrowser.exe");
    EXPECT_EQ(PathIn("\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\""),
              "C:\\Program Files\\Mozilla Firefox\\firefox.exe");
    EXPECT_EQ(PathIn("C:\\PROGRA~1\\BROWSER\\BROWSER.EXE -nohome %1"), "C:\\PROGRA~1\\BROWSER\\BROWSER.EXE");
    EXPECT_EQ(PathIn("\"D:\\浏览器\\程序.exe\" --url=%1"), "D:\\浏览器\\程序.exe");
    // The last ".exe" counts, not one inside a folder's name.
    EXPECT_EQ(PathIn("C:\\tools.exe\\browser.exe -a %1"), "C:\\tools.exe\\browser.exe");
    // The name may be all there is, or start at the first byte.
    EXPECT_EQ(PathIn("browser.exe"), "browser.exe");
    EXPECT_EQ(PathIn("\".exe"), ".exe");
}

TEST(BrowserCommand, WithoutALowerOrUpperCaseExeThereIsNoProgram)
{
    EXPECT_EQ(PathIn("\"C:\\Browser\\Browser.Exe\" \"%1\""), "<none>");
    EXPECT_EQ(PathIn("\"C:\\Browser\\browser.eXE\" \"%1\""), "<none>");
    EXPECT_EQ(PathIn("xdg-open %1"), "<none>");
    for (const char* tooShort : {"", "\"", "exe", "\"exe", "\".ex", "\"\"\""}) EXPECT_EQ(PathIn(tooShort), "<none>");
}

}  // namespace
