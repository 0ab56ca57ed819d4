// One copy per desktop: a second start brings the running window to the
// front and ends at once, leaving the log and the settings alone.
#include "harness.h"
#include "program_files.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

TEST(SingleInstance, ASecondStartRestoresTheFirstWindowAndEndsWithoutATrace)
{
    ProgramCopy copy;
    const std::string settings = SettingsFile(0, "", "", "F:\\out\\");
    copy.Write(L"settings.ini", settings);
    Program first = copy.Start();
    HWND main = first.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Minimise(main));
    const std::string log = copy.Read(L"log.txt");

    Program second = copy.Start();
    EXPECT_EQ(second.WaitForExit(), 0u);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(main) && GetForegroundWindow() == main; }))
        << "the first window is restored and in front";
    EXPECT_EQ(copy.Read(L"log.txt"), log);
    EXPECT_EQ(copy.Read(L"settings.ini"), settings);
    EXPECT_EQ(FindTopWindow(second.Id(), nullptr, nullptr), nullptr);
    Screenshot(main, "main_window_after_second_start");

    EXPECT_TRUE(first.CloseNormally(main));
}

TEST(SingleInstance, TwoStartsInQuickSuccessionLeaveOneWindow)
{
    ProgramCopy copy;
    Program a = copy.Start();
    Program b = copy.Start();
    // Whichever created the mutex first runs; the other ends at once.
    ASSERT_TRUE(WaitUntil([&] { return !a.Running() || !b.Running(); }));
    Program& ended = a.Running() ? b : a;
    Program& running = a.Running() ? a : b;
    EXPECT_EQ(ended.WaitForExit(0), 0u);
    HWND main = running.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(FindTopWindow(ended.Id(), nullptr, nullptr), nullptr);
    EXPECT_TRUE(running.CloseNormally(main));
}

}  // namespace
}  // namespace e2e
