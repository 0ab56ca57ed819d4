// Cuts with the same-as-input switch on, and opening a file while the
// selection plays, on the real program (its window-test build).
#include "command_driver.h"
#include "harness.h"
#include "program_files.h"
#include "resource.h"
#include "window_driver.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

TEST(SameAsInput, TheOutputFolderIsDisabledAndCutsGoBesideTheSourceWithTheNextFreeNumber)
{
    ProgramCopy copy(WindowTestBuild());
    const std::wstring folder = copy.PathOf(L"源 文件夹");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::string source = ReadWholeFile(CutSongPath());
    const std::wstring name = L"源 文件夹\\歌曲.mp3";
    copy.Write(name, source);
    const std::string sourcePath = Cp936(copy.PathOf(name));
    const std::string outputText = Cp936(copy.Folder()) + "\\";
    copy.Write(L"settings.ini", SettingsFile(1, "歌曲.mp3", sourcePath, outputText));
    std::vector<std::string> log = StartupLogLines(copy, outputText);
    Append(log, LoadLogLines(sourcePath, source));

    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(SendMessageW(Item(main, IDC_CHECK_SAME_FOLDER), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(Item(main, IDC_EDIT_OUTPUT_FOLDER)));
    EXPECT_FALSE(IsWindowEnabled(Item(main, IDC_BUTTON_BROWSE_OUTPUT)));
    const AppState state = ReadState(main);
    const std::string ij = "        i=0, j=" + std::to_string(state.nFrames - 1);

    // Each cut tries the numbered names from 1 until one is free.
    const std::string size = "        大小: " + std::to_string(source.size());
    std::vector<std::string> tried;
    for (const char* number : {"1", "2"}) {
        ASSERT_TRUE(NoAnswersTheQuestion(program, main, IDC_BUTTON_CUT, kCutDoneQuestion));
        const std::string numbered = Cp936(folder) + "\\歌曲(" + number + ").mp3";
        tried.push_back("        (?) 文件: " + numbered);
        Append(log, {"    Button: SPLIT", "    MP3Split", "        mp3 文件: " + sourcePath, size});
        Append(log, tried);
        Append(log, {"        新文件: " + numbered, ij});
    }
    const std::string first = copy.Read(L"源 文件夹\\歌曲(1).mp3");
    EXPECT_GT(first.size(), source.size() / 2);
    EXPECT_EQ(copy.Read(L"源 文件夹\\歌曲(2).mp3"), first);
    EXPECT_EQ(copy.Read(name), source) << "the source stays as it was";
    EXPECT_FALSE(copy.Has(L"歌曲.mp3")) << "nothing goes to the output folder";
    EXPECT_TRUE(program.CloseNormally(main));
    Append(log, NormalEndLogLines());
    ExpectLog(copy.Read(L"log.txt"), log);
}

class OpenWhilePlaying : public LoadedWindowTest {};

TEST_F(OpenWhilePlaying, OpeningAFileStopsTheSelectionsPlaybackAndUnchecksTheBox)
{
    const std::wstring other = L"另一首.mp3";
    loaded_.copy.Write(other, ReadWholeFile(CutSongPath()));
    const std::string otherPath = Cp936(loaded_.copy.PathOf(other));
    TypeTime(main_, IDC_TIME_END, 0, 0, 40);
    TypeTime(main_, IDC_TIME_START, 0, 0, 10);
    HWND box = Item(main_, IDC_CHECK_PLAY_SELECTION);
    ASSERT_TRUE(ClickAndWait(main_, IDC_BUTTON_PLAY_SELECTION, [&] { return ReadState(main_).fPosition > 10.2f; }));
    ASSERT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);

    // The dialog alone changes nothing: cancelled, the selection plays on.
    Click(Item(main_, IDC_BUTTON_OPEN_FILE));
    HWND dialog = WaitForOpenFileDialog(*program_, main_);
    ASSERT_NE(dialog, nullptr);
    CancelDialog(dialog);
    const float before = ReadState(main_).fPosition;
    EXPECT_TRUE(WaitUntil([&] { return ReadState(main_).fPosition > before + 0.2f; }, 3000));
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);

    OpenSource(*program_, main_, otherPath);
    ASSERT_TRUE(ShowsSource(main_, Cp936(other), otherPath));
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    const AppState state = ReadState(main_);
    EXPECT_EQ(state.fPosition, 0.0f);
    EXPECT_EQ(state.fStart, 0.0f);
    EXPECT_NEAR(state.fEnd, 20.0f, 0.1f) << "the new file's whole length";
    Sleep(500);
    EXPECT_EQ(ReadState(main_).fPosition, 0.0f) << "nothing plays";
}

}  // namespace
}  // namespace e2e
