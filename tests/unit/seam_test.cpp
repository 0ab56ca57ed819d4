// What the program writes and reads through the operating system's seam, in
// code page 936: settings.ini, log.txt, paths and handle texts. Run natively
// and under Wine, whose private-profile functions and files are the real ones.
#include "app_state.h"
#include "diag_log.h"
#include "os.h"
#include "path_text.h"
#include "settings.h"
#include "test_support.h"

#include <cstdlib>
#include <cstring>

namespace {

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifndef _WIN32
        setenv("HOME", dir_.Path().c_str(), 1);  // the Linux seam's music folder lives under $HOME
#endif
        if (!g_state.szIniPath) AllocTextBuffers();
        strcpy(g_state.szIniPath, ini_.c_str());
        Clear();
        g_log.Open(dir_.File("log.txt").c_str());
        ASSERT_TRUE(OsMusicFolder(music_, sizeof music_));
    }
    static void Clear()
    {
        g_state.bFolder = 0;
        g_state.szFileTitle[0] = g_state.szSourcePath[0] = g_state.szOutputFolder[0] = '\0';
    }
    static std::string Loaded()
    {
        LoadSettings();
        return std::to_string(g_state.bFolder) + "|" + g_state.szFileTitle + "|" + g_state.szSourcePath + "|" +
               g_state.szOutputFolder;
    }
    TempDir dir_;
    const std::string ini_ = dir_.File("settings.ini");
    char music_[1024] = {};
};

// A first run: the music folder, logged, and nothing written. Then the keys
// in their order, read back; empty values are written and read as empty.
TEST_F(Settings, AFirstRunThenTheFileTheProgramWritesAndReadsBack)
{
    EXPECT_EQ(Loaded(), std::string("0|||") + music_);
    EXPECT_EQ(ReadText(dir_.File("log.txt")), std::string("输出路径: ") + music_);
    EXPECT_FALSE(FileExists(ini_));

    g_state.bFolder = 1;
    strcpy(g_state.szFileTitle, "歌曲 01.mp3");
    strcpy(g_state.szSourcePath, "C:\\音乐\\歌曲 01.mp3");
    strcpy(g_state.szOutputFolder, "D:\\剪切\\");
    SaveSettings();
    EXPECT_EQ(ReadText(ini_), "[设置]\r\nbFolder=1\r\n文件=歌曲 01.mp3\r\n文件夹=C:\\音乐\\歌曲 01.mp3\r\n输出=D:\\剪切\\\r\n");
    Clear();
    EXPECT_EQ(Loaded(), "1|歌曲 01.mp3|C:\\音乐\\歌曲 01.mp3|D:\\剪切\\") << "kept, although the folder does not exist";

    Clear();
    SaveSettings();
    EXPECT_EQ(ReadText(ini_), "[设置]\r\nbFolder=0\r\n文件=\r\n文件夹=\r\n输出=\r\n");
    strcpy(g_state.szFileTitle, "stale");
    EXPECT_EQ(Loaded(), std::string("0|||") + music_);
}

// Files made or changed by others: a flag that is no number, values cut at
// 1,023 bytes (never inside a character), and sections, keys and comments of
// others that survive saving.
TEST_F(Settings, FilesOfOthersAreReadAndKeptWhereTheyAreNotOurs)
{
    std::string chinese = "C:\\";
    for (int k = 0; k < 700; ++k) chinese += "音";
    const std::string latin = "C:\\" + std::string(2000, 'a');
    const std::string text = "; 用户的备注\r\n[其他]\r\n键=值\r\n[设置]\r\nbFolder=yes\r\n文件=" + latin + "\r\n文件夹=" +
                             chinese + "\r\n额外=保留\r\n";
    WriteFileBytes(ini_, std::vector<uint8_t>(text.begin(), text.end()));
    g_state.bFolder = 1;
    LoadSettings();
    EXPECT_EQ(g_state.bFolder, 0);
    EXPECT_EQ(std::string(g_state.szFileTitle), latin.substr(0, 1023));
    const std::string cut = g_state.szSourcePath;
    EXPECT_TRUE(cut.size() >= 1021 && cut.size() <= 1023 && (cut.size() - 3) % 2 == 0 && chinese.rfind(cut, 0) == 0)
        << cut.size() << ": a prefix of whole characters";
    strcpy(g_state.szOutputFolder, "G:\\new\\");
    SaveSettings();
    const std::string saved = ReadText(ini_);
    for (const char* kept : {"; 用户的备注\r\n", "[其他]\r\n键=值\r\n", "额外=保留", "输出=G:\\new\\\r\n"})
        EXPECT_NE(saved.find(kept), std::string::npos) << kept << " in " << saved;
}

// The log: CR LF between lines, four spaces a level, never below 0, texts cut
// at 1,023 bytes, code page 936, emptied by Open and never made again once
// deleted.
TEST(DiagLog, TheBytesOfTheLogAndLinesLostSilently)
{
    TempDir dir;
    const std::string path = dir.File("log.txt");
    WriteFileBytes(path, {'o', 'l', 'd'});
    DiagLog log;
    log.Open(path.c_str());
    log.Print("Start ZorDU3Vodizaro");
    log.Indent();
    log.Print("msgMutex = 0x%x", 0xc1a5u);
    log.Indent();
    log.Print("输出路径: %s", "C:\\音乐");
    log.Print("%s", std::string(2000, 'x').c_str());
    log.Unindent();
    log.Unindent();
    log.Unindent();
    log.Print("End ZorDU3Vodizaro\n");
    EXPECT_EQ(ReadText(path), "Start ZorDU3Vodizaro\r\n    msgMutex = 0xc1a5\r\n"
                              "        \xCA\xE4\xB3\xF6\xC2\xB7\xBE\xB6: C:\\\xD2\xF4\xC0\xD6\r\n        " +
                                  std::string(1023, 'x') + "\r\nEnd ZorDU3Vodizaro\n");
    ASSERT_EQ(std::remove(path.c_str()), 0);
    log.Print("lost");
    EXPECT_FALSE(FileExists(path));
}

// Separators in ANSI paths: 0x5C as the second byte of a double-byte
// character of code page 936 (81 5C is "乗") is none, also as the last
// byte; a drive's root keeps its backslash. Then the names of new files,
// the browser's program in its command, and handles in hex.
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

    // The last ".exe" or ".EXE" (no other case), after a leading quote.
    const std::pair<std::string, std::string> commands[] = {
        {"\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\"",
         "C:\\Program Files\\Mozilla Firefox\\firefox.exe"},
        {"C:\\tools.exe\\BROWSER.EXE -nohome %1", "C:\\tools.exe\\BROWSER.EXE"}, {"\".exe", ".exe"},
        {"\"C:\\b\\b.Exe\" %1", ""}, {"xdg-open %1", ""}, {"\"exe", ""}, {"\"", ""}};
    for (const auto& [command, program] : commands) {
        std::string text = command;
        const char* path = BrowserPathInCommand(text.data());
        EXPECT_EQ(path ? std::string(path) : "", program) << command;
    }

    char text[kHandleTextBytes];
    for (const auto& [value, hex] : {std::pair<uintptr_t, const char*>{0, "0"},
                                     {static_cast<uintptr_t>(0x1D5A3B40000ull), "1d5a3b40000"},
                                     {UINTPTR_MAX, "ffffffffffffffff"}}) {
        FormatHandle(value, text);
        EXPECT_STREQ(text, hex);
    }
}

}  // namespace
