// What the program writes and reads through the operating system's seam, in code page 936: settings.ini, log.txt,
// paths and handle texts. Natively and under Wine, whose private-profile functions and files are the real ones.
#include "app_state.h"
#include "diag_log.h"
#include "path_text.h"
#include "settings.h"
#include "test_support.h"

#include <cstring>
#include <filesystem>

namespace {

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// log.txt emptied by Open, four spaces a level and never below 0, CR LF
// between lines, code page 936, texts cut at 1,023 bytes. A settings file of
// others: a flag that is no number, values cut at 1,023 bytes (never inside a
// character), their sections, keys and comments kept. A deleted log is not
// made again. (The program's own settings and log: the window's scenario.)
TEST(Seam, TheLogAndTheSettingsFilesOfOthers)
{
    TempDir dir;
    const std::string log = dir.File("log.txt"), ini = dir.File("settings.ini");
    WriteFileBytes(log, {'o', 'l', 'd'});
    g_log.Open(log.c_str());
    g_log.Indent();
    g_log.Print("输出路径: %s", "C:\\音乐");
    g_log.Unindent();
    g_log.Unindent();
    g_log.Print("%s", std::string(2000, 'x').c_str());
    EXPECT_EQ(ReadText(log), "    \xCA\xE4\xB3\xF6\xC2\xB7\xBE\xB6: C:\\\xD2\xF4\xC0\xD6\r\n" + std::string(1023, 'x'));
    if (!g_state.szIniPath) AllocTextBuffers();
    strcpy(g_state.szIniPath, ini.c_str());
    std::string chinese = "C:\\";
    for (int k = 0; k < 700; ++k) chinese += "音";
    const std::string latin = "C:\\" + std::string(2000, 'a');
    const std::string text = "; 用户的备注\r\n[其他]\r\n键=值\r\n[设置]\r\nbFolder=yes\r\n文件=" + latin + "\r\n文件夹=" +
                             chinese + "\r\n输出=D:\\out\\\r\n额外=保留\r\n";
    WriteFileBytes(ini, std::vector<uint8_t>(text.begin(), text.end()));
    g_state.bFolder = 1;
    LoadSettings();
    EXPECT_EQ(g_state.bFolder, 0);
    EXPECT_EQ(std::string(g_state.szFileTitle), latin.substr(0, 1023));
    const std::string cut = g_state.szSourcePath;
    EXPECT_TRUE(cut.size() >= 1021 && cut.size() <= 1023 && (cut.size() - 3) % 2 == 0 && chinese.rfind(cut, 0) == 0)
        << cut.size() << ": a prefix of whole characters";
    strcpy(g_state.szOutputFolder, "G:\\new\\");
    SaveSettings();
    const std::string saved = ReadText(ini);
    for (const char* kept : {"; 用户的备注\r\n", "[其他]\r\n键=值\r\n", "额外=保留", "输出=G:\\new\\\r\n"})
        EXPECT_NE(saved.find(kept), std::string::npos) << kept << " in " << saved;
    ASSERT_EQ(std::remove(log.c_str()), 0);
    g_log.Print("lost");
    EXPECT_FALSE(std::filesystem::exists(log));
}

// 0x5C as the second byte of a double-byte character of code page 936 (81 5C
// is "乗") is no separator, nor is a lead byte at the end; a drive's root keeps
// its backslash. The names of new files, the browser's program in its command
// (the last ".exe" or ".EXE", after a leading quote), and handles in hex.
TEST(PathText, ASeparatorIsNeverTheSecondByteOfACharacter)
{
    // {path, CutAtLastBackslash, CutToFolder}; "-" where nothing is cut.
    const std::tuple<std::string, std::string, std::string> cuts[] = {
        {"C:\\Program Files\\Zor\\Zor.exe", "C:\\Program Files\\Zor", "C:\\Program Files\\Zor"},
        {"C:\\\x81\x5c\\Zor.exe", "C:\\\x81\x5c", "C:\\\x81\x5c"}, {"C:\\tools\\\x95\x5c", "C:\\tools", "C:\\tools"},
        {"D:\\\x81\x5c.mp3", "D:", "D:\\"}, {"\x81\x5c\x95\x5c", "-", "-"}, {"C:\\a\\\x81", "C:\\a", "C:\\a"}};
    for (const auto& [path, cut, folder] : cuts) {
        std::string a = path, b = path;
        EXPECT_EQ(std::string(CutAtLastBackslash(a.data()) ? a.c_str() : "-"), cut) << path;
        EXPECT_EQ(std::string(CutToFolder(b.data()) ? b.c_str() : "-"), folder) << path;
    }
    for (const auto& [name, mp3] : {std::pair<std::string, bool>{"a.mP3", true}, {".MP3", true}, {"a.mp4", false},
                                    {"a,mp3", false}, {"mp3", false}, {"a.mp3 ", false}})
        EXPECT_EQ(HasMp3Extension(name), mp3) << name;
    for (const auto& [command, program] : {std::pair<std::string, std::string>{
                                               "\"C:\\Program Files\\Browser\\browser.exe\" -osint -url \"%1\"",
                                               "C:\\Program Files\\Browser\\browser.exe"},
                                           {"C:\\tools.exe\\BROWSER.EXE -nohome %1", "C:\\tools.exe\\BROWSER.EXE"},
                                           {"\".exe", ".exe"}, {"\"C:\\b\\b.Exe\" %1", ""}, {"\"exe", ""}}) {
        std::string text = command;
        const char* path = BrowserPathInCommand(text.data());
        EXPECT_EQ(path ? std::string(path) : "", program) << command;
    }
    char text[kHandleTextBytes];
    for (const auto& [value, hex] : {std::pair<uintptr_t, const char*>{0, "0"}, {0x1D5A3B40000ull, "1d5a3b40000"},
                                     {UINTPTR_MAX, "ffffffffffffffff"}}) {
        FormatHandle(value, text);
        EXPECT_STREQ(text, hex);
    }
}

}  // namespace
