// Start-up and shutdown of the real program: the first run without
// settings, remembered settings, a remembered source that has gone, and an
// audio library of the wrong version.
#include "harness.h"
#include "program_files.h"
#include "resource.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {


// What the window shows of the source and the output folder.
void ExpectShown(HWND main, const std::string& title, const std::string& path, const std::string& output)
{
    EXPECT_EQ(Text(Item(main, IDC_STATIC_FILE_TITLE)), title);
    EXPECT_EQ(Text(Item(main, IDC_EDIT_SOURCE_PATH)), path);
    EXPECT_EQ(Text(Item(main, IDC_EDIT_OUTPUT_FOLDER)), output);
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Startup, AFirstRunShowsNoSourceUsesTheMusicFolderAndEndsWithAnExactLogAndSettings)
{
    ProgramCopy copy;
    const std::string music = MusicFolderCp936();
    ASSERT_FALSE(music.empty());
    {
        Program program = copy.Start();
        HWND main = program.WaitForMainWindow();
        ASSERT_NE(main, nullptr);
        ExpectShown(main, "无文件", "", music);
        EXPECT_EQ(SendMessageW(Item(main, IDC_CHECK_SAME_FOLDER), BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_TRUE(IsWindowEnabled(Item(main, IDC_EDIT_OUTPUT_FOLDER)));
        EXPECT_TRUE(IsWindowEnabled(Item(main, IDC_BUTTON_BROWSE_OUTPUT)));
        EXPECT_FALSE(copy.Has(L"settings.ini")) << "nothing is written while the window is open";
        Screenshot(main, "main_window_first_run");
        EXPECT_TRUE(program.CloseNormally(main));
    }
    ExpectLog(copy.Read(L"log.txt"), Concat(StartupLogLines(copy, music), NormalEndLogLines()));
    const std::string saved = copy.Read(L"settings.ini");
    EXPECT_EQ(saved, SettingsFile(0, "", "", music));

    // The next run reads them back and saves the same file again.
    Program again = copy.Start();
    HWND main = again.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(Text(Item(main, IDC_EDIT_OUTPUT_FOLDER)), music);
    EXPECT_TRUE(again.CloseNormally(main));
    ExpectLog(copy.Read(L"log.txt"), Concat(StartupLogLines(copy, music), NormalEndLogLines()));
    EXPECT_EQ(copy.Read(L"settings.ini"), saved);
}

TEST(Startup, RememberedSettingsComeBackAndASourceThatHasGoneComesBackEmpty)
{
    ProgramCopy copy;
    const std::wstring song = L"歌曲 一.mp3";
    const std::vector<FixtureInfo> fixtures = LoadFixtureManifest();
    ASSERT_FALSE(fixtures.empty());
    copy.Write(song, [&] {
        std::vector<uint8_t> bytes = ReadFileBytes(FixturePath(fixtures.front().name));
        return std::string(bytes.begin(), bytes.end());
    }());
    const std::string songPath = Cp936(copy.PathOf(song));
    const std::string output = "D:\\不存在\\剪切\\";
    const std::string remembered = SettingsFile(1, Cp936(song), songPath, output);
    copy.Write(L"settings.ini", remembered);
    {
        Program program = copy.Start();
        HWND main = program.WaitForMainWindow();
        ASSERT_NE(main, nullptr);
        ExpectShown(main, Cp936(song), songPath, output);  // the folder does not exist
        EXPECT_EQ(SendMessageW(Item(main, IDC_CHECK_SAME_FOLDER), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_FALSE(IsWindowEnabled(Item(main, IDC_EDIT_OUTPUT_FOLDER)));
        EXPECT_FALSE(IsWindowEnabled(Item(main, IDC_BUTTON_BROWSE_OUTPUT)));
        Screenshot(main, "main_window_remembered_source");
        EXPECT_TRUE(program.CloseNormally(main));
    }
    EXPECT_EQ(copy.Read(L"settings.ini"), remembered);
    const FixtureInfo& info = fixtures.front();
    const std::vector<std::string> indexing = IndexingLogLines(
        songPath, ReadFileBytes(FixturePath(info.name)).size(), info.mpg123Frames);  // the index leaves lame's Info frame out
    ExpectLog(copy.Read(L"log.txt"), Concat(Concat(StartupLogLines(copy, output), indexing), NormalEndLogLines()));

    copy.Remove(song);
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    ExpectShown(main, "无文件", "", output);
    EXPECT_TRUE(program.CloseNormally(main));
    EXPECT_EQ(copy.Read(L"settings.ini"), SettingsFile(1, "", "", output));
}

TEST(Startup, TheExitCommandEndsTheRunLikeTheCloseBox)
{
    ProgramCopy copy;
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    // The Exit button is disabled and out of sight; its command still closes.
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_EXIT, BN_CLICKED), 0);
    EXPECT_EQ(program.WaitForExit(), 0u);
    std::vector<std::string> lines = StartupLogLines(copy, MusicFolderCp936());
    lines.push_back("    Button: EXIT");
    ExpectLog(copy.Read(L"log.txt"), Concat(lines, NormalEndLogLines()));
    EXPECT_TRUE(copy.Has(L"settings.ini"));
}

TEST(Startup, AnAudioLibraryOfTheWrongVersionEndsWithTheErrorBoxAndLeavesTheSettingsAlone)
{
    ProgramCopy::Options options;
    options.audioLibraryFolder = BinFolder() + L"\\badversion";
    ASSERT_NE(GetFileAttributesW((options.audioLibraryFolder + L"\\bass.dll").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the audio library's test variant of version 0x0204";
    ProgramCopy copy(options);
    const std::string settings = SettingsFile(1, "a.mp3", "C:\\a.mp3", "E:\\out\\");
    copy.Write(L"settings.ini", settings);

    Program program = copy.Start();
    std::optional<MessageBoxSeen> box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "加载了一个错误的 BASS.DLL 版本");
    EXPECT_EQ(box->caption, "错误") << "the system's default caption";
    EXPECT_EQ(box->owner, nullptr);
    EXPECT_TRUE(box->hasIcon);
    EXPECT_EQ(FindTopWindow(program.Id(), L"#32770", L"Zor DU3 Vodizaro"), nullptr) << "no main window";
    Screenshot(box->box, "wrong_audio_library_version");
    Answer(*box, IDOK);
    EXPECT_EQ(program.WaitForExit(), 0u);
    EXPECT_EQ(copy.Read(L"settings.ini"), settings);
    std::vector<std::string> lines = StartupLogLines(copy, "");
    lines.pop_back();  // the settings were never read
    ExpectLog(copy.Read(L"log.txt"), lines);
}

}  // namespace
}  // namespace e2e
