// The release package as a user meets it (run_package_test.py unpacks the
// zip and watches what is written): the version named alike by the version
// resource, the About box and the folder named like the zip; the unpacked
// program loads a file through the open-file dialog, cuts it and closes.
// The environment names the run: ZDV_PACKAGE_FOLDER (the unpacked folder),
// ZDV_PACKAGE_SOURCE (the MP3 file), ZDV_PACKAGE_WRITABLE ("0": the folder is
// write-protected).
#include "harness.h"
#include "resource.h"

namespace e2e {
namespace {

std::wstring Variable(const wchar_t* name)
{
    wchar_t value[MAX_PATH * 2] = {};
    GetEnvironmentVariableW(name, value, MAX_PATH * 2);
    return value;
}

// A text of the version resource's string table 080403a8 (Chinese, code page 936).
std::wstring VersionText(const std::vector<BYTE>& block, const std::wstring& name)
{
    void* value = nullptr;
    UINT chars = 0;
    const std::wstring key = L"\\StringFileInfo\\080403a8\\" + name;
    return VerQueryValueW(block.data(), key.c_str(), &value, &chars) ? static_cast<const wchar_t*>(value) : L"<none>";
}

TEST(Package, TheUnpackedProgramNamesOneVersionLoadsCutsAndCloses)
{
    const std::wstring folder = Variable(L"ZDV_PACKAGE_FOLDER"), source = Variable(L"ZDV_PACKAGE_SOURCE");
    ASSERT_FALSE(folder.empty() || source.empty()) << "run through run_package_test.py";
    const std::wstring exe = folder + L"\\ZorDU3Vodizaro.exe";
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    ASSERT_TRUE(!block.empty() && GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT bytes = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &bytes));
    const std::wstring major = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS));
    const std::wstring version = major + L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), 0);
    EXPECT_TRUE(fixed->dwProductVersionMS == fixed->dwFileVersionMS && fixed->dwProductVersionLS == fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(VersionText(block, L"FileVersion"), version);
    EXPECT_EQ(VersionText(block, L"ProductVersion"), version);
    EXPECT_EQ(VersionText(block, L"ProductName"), L"Zor DU3 Vodizaro");
    EXPECT_EQ(VersionText(block, L"OriginalFilename"), L"ZorDU3Vodizaro.exe");
    EXPECT_EQ(VersionText(block, L"FileDescription"), L"Zor DU3 Vodizaro - MP3 无损剪切 (逐帧复制，不重新编码)");
    EXPECT_EQ(folder.substr(folder.rfind(L'\\') + 1), L"ZorDU3Vodizaro-" + version + L"-win64");

    Program program = Start(exe, folder.substr(0, folder.rfind(L'\\')));
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    Click(GetDlgItem(main, IDC_BUTTON_ABOUT));
    HWND about = WaitForTitled(program.Id(), L"Zor DU3 Vodizaro :: 关于");
    ASSERT_NE(about, nullptr);
    const std::string text = Text(GetWindow(about, GW_CHILD));
    EXPECT_EQ(text.substr(0, text.find('\n')), "Zor DU3 Vodizaro v" + Cp936(major));
    Click(GetDlgItem(about, IDC_BUTTON_ABOUT_OK));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != 0; }));

    const std::string path = Cp936(source), title = path.substr(path.rfind('\\') + 1);
    Click(GetDlgItem(main, IDC_BUTTON_OPEN_FILE));
    HWND dialog = WaitForDialog(program.Id(), [](HWND w) { return GetDlgItem(w, 1148 /* cmb13 */) != nullptr; });
    ASSERT_NE(dialog, nullptr);
    ChooseFile(dialog, path);
    EXPECT_TRUE(WaitUntil([&] { return Text(GetDlgItem(main, IDC_EDIT_SOURCE_PATH)) == path; }));
    Screenshot(main, Variable(L"ZDV_PACKAGE_WRITABLE") == L"0" ? "package_loaded_write_protected" : "package_loaded");
    Click(GetDlgItem(main, IDC_BUTTON_CUT));
    std::optional<MessageBoxSeen> box = WaitForMessageBox(program.Id(), main);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "完成!\n文件已经分割.\n\n打开新文件进行分割吗?");
    Answer(*box, IDNO);
    EXPECT_TRUE(program.CloseNormally(main));

    const std::string log = ReadBytes(folder + L"\\log.txt"), settings = ReadBytes(folder + L"\\settings.ini");
    if (Variable(L"ZDV_PACKAGE_WRITABLE") == L"0") {
        // Nothing can be created there: the log and the settings are lost,
        // the program works all the same.
        EXPECT_TRUE(log.empty() && settings.empty());
    } else {
        EXPECT_EQ(log.rfind("Start ZorDU3Vodizaro\r\n", 0), 0u) << log;
        EXPECT_NE(log.find("新文件: " + MusicFolder() + "\\" + title), std::string::npos) << log;
        EXPECT_NE(log.find("End ZorDU3Vodizaro\n"), std::string::npos) << log;
        EXPECT_NE(settings.find("文件夹=" + path + "\r\n"), std::string::npos) << settings;
    }
}

}  // namespace
}  // namespace e2e
