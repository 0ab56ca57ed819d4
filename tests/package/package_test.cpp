// The program as a user gets it: started from the folder the release zip was
// unpacked into (run_package_test.py unpacks it and watches what is written
// outside that folder), a source loaded through the open-file dialog, cut,
// and the window closed.
//
// The environment names the run:
//   ZDV_PACKAGE_FOLDER  the unpacked program folder (Windows path)
//   ZDV_PACKAGE_SOURCE  the MP3 file to load (Windows path)
//   ZDV_PACKAGE_WRITABLE  "1" when the folder can be written, "0" when the
//                         folder is write-protected
#include "command_driver.h"
#include "harness.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>

namespace e2e {
namespace {

std::wstring Variable(const wchar_t* name)
{
    wchar_t value[MAX_PATH * 2] = {};
    GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
    return value;
}

std::wstring Parent(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L"\\/"));
}

bool Exists(const std::wstring& folder, const wchar_t* name)
{
    return GetFileAttributesW((folder + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(Package, UnpackedProgramLoadsCutsAndCloses)
{
    const std::wstring folder = Variable(L"ZDV_PACKAGE_FOLDER");
    const std::wstring source = Variable(L"ZDV_PACKAGE_SOURCE");
    const bool writable = Variable(L"ZDV_PACKAGE_WRITABLE") != L"0";
    ASSERT_FALSE(folder.empty() || source.empty()) << "run through run_package_test.py";
    const std::string sourcePath = Cp936(source);
    const std::string title = sourcePath.substr(sourcePath.find_last_of('\\') + 1);

    Program program = StartProgram(folder + L"\\ZorDU3Vodizaro.exe", Parent(folder));
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    OpenSource(program, main, sourcePath);
    EXPECT_TRUE(ShowsSource(main, title, sourcePath));
    Screenshot(main, writable ? "package_loaded" : "package_loaded_write_protected");

    EXPECT_TRUE(NoAnswersTheQuestion(program, main, IDC_BUTTON_CUT, kCutDoneQuestion));
    EXPECT_TRUE(program.CloseNormally(main));

    const std::string log = ReadBytes(folder + L"\\log.txt");
    const std::string settings = ReadBytes(folder + L"\\settings.ini");
    if (writable) {
        EXPECT_EQ(log.rfind("Start ZorDU3Vodizaro\r\n", 0), 0u) << log;
        EXPECT_NE(log.find("新文件: " + MusicFolderCp936() + "\\"), std::string::npos) << log;
        EXPECT_NE(log.find("End ZorDU3Vodizaro\n"), std::string::npos) << log;
        EXPECT_NE(settings.find("文件夹=" + sourcePath + "\r\n"), std::string::npos) << settings;
    } else {
        // Nothing can be created there: the log and the settings are lost,
        // the program works all the same.
        EXPECT_FALSE(Exists(folder, L"log.txt"));
        EXPECT_FALSE(Exists(folder, L"settings.ini"));
    }
}

}  // namespace
}  // namespace e2e
