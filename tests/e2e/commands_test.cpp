// The main window's commands: the open-file dialog, the tag box and the
// cut without a source, and the commands that only log.
#include "command_driver.h"
#include "harness.h"
#include "program_files.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <dlgs.h>

namespace e2e {
namespace {

TEST(OpenFile, TheDialogStartsAtTheSourceTakesAnyNameInAnExistingFolderAndTheChoiceIsRemembered)
{
    ProgramCopy copy;
    const std::wstring first = L"歌曲 一.mp3";
    const std::string firstBytes = Fixture("tag_v1v2.mp3");
    copy.Write(first, firstBytes);
    const std::wstring other = copy.PathOf(L"另一个");
    ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
    const std::wstring second = L"另一个\\歌曲 二.MP3";
    const std::string secondBytes = Fixture("cbr_v1_44100_128k.mp3");
    copy.Write(second, secondBytes);
    const std::string firstPath = Cp936(copy.PathOf(first));
    const std::string secondPath = Cp936(copy.PathOf(second));
    copy.Write(L"settings.ini", SettingsFile(0, Cp936(first), firstPath, "C:\\"));
    std::vector<std::string> log = StartupLogLines(copy, "C:\\");
    Append(log, LoadLogLines(firstPath, firstBytes));
    {
        Program program = copy.Start();
        HWND main = program.WaitForMainWindow();
        ASSERT_NE(main, nullptr);

        // It opens in the source's folder with the source's name, one filter,
        // and the read-only box; cancelling changes nothing.
        Click(Item(main, IDC_BUTTON_OPEN_FILE));
        HWND dialog = WaitForOpenFileDialog(program, main);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Text(dialog), "打开");
        EXPECT_EQ(Text(GetDlgItem(dialog, cmb2)), Cp936(copy.Folder().substr(copy.Folder().rfind(L'\\') + 1)));
        EXPECT_EQ(Text(FileNameBox(dialog)), Cp936(first));
        EXPECT_EQ(Text(GetDlgItem(dialog, cmb1)), "MP3 文件");
        EXPECT_EQ(SendMessageW(GetDlgItem(dialog, cmb1), CB_GETCOUNT, 0, 0), 1);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, chx1))) << "the read-only box";
        Screenshot(dialog, "open_file_dialog");
        CancelDialog(dialog);
        Sleep(300);
        EXPECT_TRUE(ShowsSource(main, Cp936(first), firstPath));
        log.push_back("    Button: OPEN FILE");

        // A name that does not exist, in a folder that does: accepted, and
        // the load finds no file.
        Click(Item(main, IDC_BUTTON_OPEN_FILE));
        dialog = WaitForOpenFileDialog(program, main);
        ASSERT_NE(dialog, nullptr);
        ChooseFile(dialog, Cp936(copy.PathOf(L"没有这个文件.mp3")));
        EXPECT_TRUE(ShowsSource(main, "", ""));
        log.push_back("    Button: OPEN FILE");

        // Another folder, an upper-case extension.
        Click(Item(main, IDC_BUTTON_OPEN_FILE));
        dialog = WaitForOpenFileDialog(program, main);
        ASSERT_NE(dialog, nullptr);
        ChooseFile(dialog, secondPath);
        EXPECT_TRUE(ShowsSource(main, "歌曲 二.MP3", secondPath));
        log.push_back("    Button: OPEN FILE");
        Append(log, LoadLogLines(secondPath, secondBytes));
        Click(Item(main, IDC_CHECK_SAME_FOLDER));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(Item(main, IDC_BUTTON_BROWSE_OUTPUT)); }));
        EXPECT_TRUE(program.CloseNormally(main));
    }
    Append(log, NormalEndLogLines());
    ExpectLog(copy.Read(L"log.txt"), log);
    // The next run starts with the chosen source and the switch on.
    const std::string remembered = SettingsFile(1, "歌曲 二.MP3", secondPath, "C:\\");
    EXPECT_EQ(copy.Read(L"settings.ini"), remembered);
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(ShowsSource(main, "歌曲 二.MP3", secondPath));
    EXPECT_EQ(SendMessageW(Item(main, IDC_CHECK_SAME_FOLDER), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(program.CloseNormally(main));
    EXPECT_EQ(copy.Read(L"settings.ini"), remembered);
}

TEST(Commands, WithoutASourceTheTagBoxAndTheCutAskWhetherToOpenAFileAndBulkOnlyLogs)
{
    ProgramCopy copy;
    copy.Write(L"settings.ini", SettingsFile(0, "", "", "C:\\"));
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    std::vector<std::string> log = StartupLogLines(copy, "C:\\");

    // The tag box: No does nothing, Yes opens the open-file dialog.
    const std::string noFileTag = "无文件.\n\n打开要分割的文件吗?";
    Click(Item(main, IDC_BUTTON_SHOW_TAG));
    std::optional<MessageBoxSeen> box = WaitForQuestion(program, main, noFileTag);
    ASSERT_TRUE(box);
    Screenshot(box->box, "tag_box_without_source");
    Answer(*box, IDNO);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box->box); }));
    Sleep(500);
    EXPECT_EQ(FindOpenFileDialog(program), nullptr) << "No opens nothing";
    EXPECT_TRUE(YesOpensTheOpenFileDialog(program, main, IDC_BUTTON_SHOW_TAG, noFileTag));
    log.push_back("    Button: OPEN FILE");

    // The cut asks its own question; Yes opens the dialog too.
    EXPECT_TRUE(YesOpensTheOpenFileDialog(program, main, IDC_BUTTON_CUT, "无文件.\n\n打开文件进行分割吗?"));
    log.insert(log.end(), {"    Button: SPLIT", "    MP3Split", "        mp3 文件: ", "    Button: OPEN FILE"});

    // The hidden "Bulk Splitting" button's command only writes its line.
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_BULK, BN_CLICKED), 0);
    log.push_back("    Button: BULK");
    EXPECT_TRUE(program.CloseNormally(main));
    Append(log, NormalEndLogLines());
    ExpectLog(copy.Read(L"log.txt"), log);
}

// The tag box of a source whose tag has only a title: a dash for each
// missing text; OK closes it and nothing is logged.
TEST(TagBox, ASourceWithOnlyATitleShowsADashForTheArtistAndTheAlbum)
{
    ProgramCopy copy;
    const std::string bytes = Fixture("tag_title_only.mp3");
    copy.Write(L"只有标题.mp3", bytes);
    const std::string path = Cp936(copy.PathOf(L"只有标题.mp3"));
    copy.Write(L"settings.ini", SettingsFile(0, "只有标题.mp3", path, "C:\\"));
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    Click(Item(main, IDC_BUTTON_SHOW_TAG));
    std::optional<MessageBoxSeen> box = WaitForMessageBox(program.Id(), main);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "MP3 标签");
    EXPECT_EQ(box->text, "艺术家:\t-\n专辑:\t-\n标题:\tOnly Title");
    EXPECT_EQ(box->owner, main);
    Screenshot(box->box, "tag_box_title_only");
    Answer(*box, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box->box); }));
    EXPECT_TRUE(program.CloseNormally(main));
    std::vector<std::string> log = StartupLogLines(copy, "C:\\");
    Append(log, LoadLogLines(path, bytes));
    Append(log, NormalEndLogLines());
    ExpectLog(copy.Read(L"log.txt"), log);
}

}  // namespace
}  // namespace e2e
