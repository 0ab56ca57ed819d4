// The program (its window-test build) on a machine without any audio
// output device: Wine's audio drivers are switched off for this test
// program and the programs it starts (WINEDLLOVERRIDES, see CMakeLists.txt).
#include "harness.h"
#include "program_files.h"
#include "test_support.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <regex>

namespace e2e {
namespace {

TEST(AudioDevice, WithoutOneTheErrorBoxShowsItsCodeAndTheRunEndsNormally)
{
    ProgramCopy copy(WindowTestBuild());
    // A source that would load: the box comes before any loading.
    const std::wstring song = L"歌曲.mp3";
    const std::vector<uint8_t> bytes = ReadFileBytes(ToneStepsPath());
    copy.Write(song, std::string(bytes.begin(), bytes.end()));
    const std::string settings = SettingsFile(1, Cp936(song), Cp936(copy.PathOf(song)), "E:\\out\\");
    copy.Write(L"settings.ini", settings);

    Program program = copy.Start();
    std::optional<MessageBoxSeen> box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box);
    EXPECT_TRUE(std::regex_match(box->text, std::regex("不能初始化设备\n\\(错误码: [1-9][0-9]*\\)"))) << box->text;
    EXPECT_EQ(box->caption, "错误") << "the system's default caption";
    ASSERT_NE(box->owner, nullptr) << "owned by the main window";
    EXPECT_FALSE(IsWindowVisible(box->owner)) << "which never showed";
    EXPECT_EQ(ClassOf(box->owner), L"#32770");
    EXPECT_EQ(Text(box->owner), "Zor DU3 Vodizaro");
    Screenshot(box->box, "no_audio_device");
    Answer(*box, IDOK);
    EXPECT_EQ(program.WaitForExit(), 0u);
    EXPECT_EQ(copy.Read(L"settings.ini"), settings) << "saved as at any end, unchanged";
    std::vector<std::string> lines = StartupLogLines(copy, "E:\\out\\");
    lines.push_back("    Message: DESTROY");  // the window ends inside its creation: no close
    lines.push_back("End ZorDU3Vodizaro\n");
    ExpectLog(copy.Read(L"log.txt"), lines);
}

}  // namespace
}  // namespace e2e
