// The output folder: the shell's folder browser (opened on the current
// folder, one trailing backslash added, cancelling changes nothing), the
// same-as-input switch, and the "打开" button's folder window, checked
// through a recorder registered as the shell's folder handler.
#include "harness.h"
#include "program_files.h"
#include "resource.h"
#include "shell_launches.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>

#include <thread>

namespace e2e {
namespace {

// The folder browser of the process: a dialog holding a tree of folders.
HWND FindFolderBrowser(DWORD processId)
{
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w; w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == processId && IsWindowVisible(w) && FindWindowExW(w, nullptr, WC_TREEVIEWW, nullptr)) return w;
    }
    return nullptr;
}

HWND TreeOf(HWND browser)
{
    return FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
}

HTREEITEM Selected(HWND tree)
{
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT relation)
{
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// How many levels below the tree's root the item lies.
int Depth(HWND tree, HTREEITEM item)
{
    int levels = 0;
    while ((item = Next(tree, item, TVGN_PARENT)) != nullptr) ++levels;
    return levels;
}

// Wine's folder browser does not find a folder that no folder browser has
// shown before on its first attempt; a browser of this process looks at the
// folder once (and is cancelled), so that the program's first attempt is
// judged, not the platform's. Windows has no such delay.
void ShowFolderOnce(const std::wstring& folder)
{
    BROWSEINFOW browse = {};
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    browse.lpfn = [](HWND hwnd, UINT msg, LPARAM, LPARAM data) -> int {
        if (msg == BFFM_INITIALIZED) {
            SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
            PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
        }
        return 0;
    };
    browse.lParam = reinterpret_cast<LPARAM>(folder.c_str());
    std::thread([&] {
        CoInitialize(nullptr);
        if (LPITEMIDLIST item = SHBrowseForFolderW(&browse)) CoTaskMemFree(item);
        CoUninitialize();
    }).join();
}

// Presses a button of the browser and waits until it has gone.
void Close(HWND browser, int button)
{
    Click(GetDlgItem(browser, button));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(browser); }));
}

// Clicks "..." and waits for the folder browser, owned by the main window,
// to open on the folder it was asked for; each opening adds its log line.
// The tree starts on the desktop and then opens down to that folder (every
// folder the tests open it on lies at least three levels down). Wine's
// browser now and then stays on the desktop although the folder was asked
// for: such a browser is cancelled and the button pressed again, a few
// times at most. Null when it never opened on the folder.
HWND OpenFolderBrowser(const Program& program, HWND main, std::vector<std::string>& log)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        Click(Item(main, IDC_BUTTON_BROWSE_OUTPUT));
        HWND browser = WaitFor([&] { return FindFolderBrowser(program.Id()); });
        EXPECT_NE(browser, nullptr);
        if (!browser) return nullptr;
        log.push_back("    Message: SET FOLDER");
        EXPECT_EQ(GetWindow(browser, GW_OWNER), main);
        const HWND tree = TreeOf(browser);
        if (WaitUntil([&] {
                const HTREEITEM selected = Selected(tree);
                return selected && Depth(tree, selected) >= 3;
            }, 5000)) {
            Sleep(300);
            return browser;
        }
        Close(browser, IDCANCEL);
    }
    ADD_FAILURE() << "the folder browser never opened on the folder it was asked for";
    return nullptr;
}

TEST(OutputFolder, TheBrowserOpensOnTheCurrentFolderAndAChosenFolderIsStoredWithOneBackslash)
{
    ProgramCopy copy;
    const std::wstring output = copy.PathOf(L"输出 一");
    const std::wstring music = copy.PathOf(L"音乐");
    ASSERT_TRUE(CreateDirectoryW(output.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(music.c_str(), nullptr));
    ShowFolderOnce(output);
    const std::string outputText = Cp936(output) + "\\";
    copy.Write(L"settings.ini", SettingsFile(0, "", "", outputText));
    std::vector<std::string> log = StartupLogLines(copy, outputText);
    {
        Program program = copy.Start();
        HWND main = program.WaitForMainWindow();
        ASSERT_NE(main, nullptr);
        HWND edit = Item(main, IDC_EDIT_OUTPUT_FOLDER);

        // It opens on the output folder: OK at once gives that folder back.
        HWND browser = OpenFolderBrowser(program, main, log);
        ASSERT_NE(browser, nullptr);
        EXPECT_EQ(Text(browser), "选择文件夹") << "the title, above the tree";
        Screenshot(browser, "folder_browser");
        HWND tree = TreeOf(browser);
        const HTREEITEM start = Selected(tree);
        // Its neighbour in the program's folder is the other folder there.
        HTREEITEM other = Next(tree, Next(tree, start, TVGN_PARENT), TVGN_CHILD);
        if (other == start) other = Next(tree, start, TVGN_NEXT);
        ASSERT_NE(other, nullptr);
        Close(browser, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return Text(edit) == outputText; })) << Text(edit);
        log.push_back("        输出路径: " + outputText);

        // Another folder gets its backslash.
        browser = OpenFolderBrowser(program, main, log);
        ASSERT_NE(browser, nullptr);
        tree = TreeOf(browser);
        other = Next(tree, Next(tree, Selected(tree), TVGN_PARENT), TVGN_CHILD);
        if (other == Selected(tree)) other = Next(tree, other, TVGN_NEXT);
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(other));
        Close(browser, IDOK);
        const std::string musicText = Cp936(music) + "\\";
        EXPECT_TRUE(WaitUntil([&] { return Text(edit) == musicText; })) << Text(edit);
        log.push_back("        输出路径: " + musicText);

        // Cancelling changes nothing.
        browser = OpenFolderBrowser(program, main, log);
        ASSERT_NE(browser, nullptr);
        tree = TreeOf(browser);
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET,
                     reinterpret_cast<LPARAM>(Next(tree, Selected(tree), TVGN_PARENT)));
        Close(browser, IDCANCEL);
        Sleep(300);
        EXPECT_EQ(Text(edit), musicText);

        // A drive's root keeps its one backslash: C:\ lies as many levels
        // above the music folder as that folder has backslashes.
        browser = OpenFolderBrowser(program, main, log);
        ASSERT_NE(browser, nullptr);
        tree = TreeOf(browser);
        HTREEITEM root = Selected(tree);
        for (char c : Cp936(music)) {
            if (c == '\\') root = Next(tree, root, TVGN_PARENT);
        }
        ASSERT_NE(root, nullptr);
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
        Close(browser, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return Text(edit) == "C:\\"; })) << Text(edit);
        log.push_back("        输出路径: C:\\");
        EXPECT_TRUE(program.CloseNormally(main));
    }
    const std::vector<std::string> end = NormalEndLogLines();
    log.insert(log.end(), end.begin(), end.end());
    ExpectLog(copy.Read(L"log.txt"), log);
    EXPECT_EQ(copy.Read(L"settings.ini"), SettingsFile(0, "", "", "C:\\"));
}

TEST(OutputFolder, TheOpenButtonShowsTheOutputFolderOrWithSameAsInputTheSourcesFolder)
{
    ProgramCopy copy;
    const std::wstring recorder = InstallLaunchRecorder(copy);
    ShellCommandOverride folderWindow(L"Folder", L"\"" + recorder + L"\" \"%1\"");
    const std::wstring output = copy.PathOf(L"输出");
    ASSERT_TRUE(CreateDirectoryW(output.c_str(), nullptr));
    const std::string outputText = Cp936(output) + "\\";
    const std::wstring song = L"歌曲 一.mp3";
    copy.Write(song, "not read by the open button");
    const std::string songPath = Cp936(copy.PathOf(song));
    copy.Write(L"settings.ini", SettingsFile(0, Cp936(song), songPath, outputText));
    // What the folder window was asked to show, quoted by the "%1" of its command.
    const auto shown = [&](size_t count) {
        const std::vector<std::wstring> launches = WaitForLaunches(copy, count);
        return launches.size() == count ? Cp936(ArgumentsOf(launches.back())) : std::string("<none>");
    };
    {
        Program program = copy.Start();
        HWND main = program.WaitForMainWindow();
        ASSERT_NE(main, nullptr);
        Click(Item(main, IDC_BUTTON_OPEN_OUTPUT));
        EXPECT_EQ(shown(1), "\"" + outputText + "\"");

        Click(Item(main, IDC_CHECK_SAME_FOLDER));
        EXPECT_TRUE(WaitUntil([&] {
            return !IsWindowEnabled(Item(main, IDC_EDIT_OUTPUT_FOLDER)) &&
                   !IsWindowEnabled(Item(main, IDC_BUTTON_BROWSE_OUTPUT));
        }));
        Click(Item(main, IDC_BUTTON_OPEN_OUTPUT));
        EXPECT_EQ(shown(2), "\"" + Cp936(copy.Folder()) + "\"") << "the source's folder, no trailing backslash";
        EXPECT_TRUE(program.CloseNormally(main));
    }
    EXPECT_EQ(copy.Read(L"settings.ini"), SettingsFile(1, Cp936(song), songPath, outputText));

    // Without a source the same-as-input switch has no folder to show.
    copy.Remove(song);
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(SendMessageW(Item(main, IDC_CHECK_SAME_FOLDER), BM_GETCHECK, 0, 0), BST_CHECKED);
    Click(Item(main, IDC_BUTTON_OPEN_OUTPUT));
    EXPECT_EQ(shown(3), "\"" + outputText + "\"");
    EXPECT_TRUE(program.CloseNormally(main));
    // Opening folders writes nothing to the log.
    const std::string log = copy.Read(L"log.txt");
    EXPECT_EQ(log.find("Button"), std::string::npos) << log;
}

}  // namespace
}  // namespace e2e
