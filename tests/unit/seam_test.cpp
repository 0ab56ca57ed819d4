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

void WriteText(const std::string& path, const std::string& text)
{
    WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
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
};

// A first run: the defaults and the music folder, logged; nothing written.
// Then the file the program writes, and what it reads back.
TEST_F(Settings, AFirstRunThenTheFileTheProgramWritesAndReadsBack)
{
    char music[1024] = {};
    ASSERT_TRUE(OsMusicFolder(music, sizeof music));
    EXPECT_NE(music[strlen(music) - 1], kSep);
    EXPECT_EQ(Loaded(), std::string("0|||") + music);
    EXPECT_EQ(ReadText(dir_.File("log.txt")), std::string("输出路径: ") + music);
    EXPECT_FALSE(FileExists(ini_));

    g_state.bFolder = 1;
    strcpy(g_state.szFileTitle, "歌曲 01.mp3");
    strcpy(g_state.szSourcePath, "C:\\音乐\\歌曲 01.mp3");
    strcpy(g_state.szOutputFolder, "D:\\剪切\\");
    SaveSettings();
    EXPECT_EQ(ReadText(ini_), "[设置]\r\nbFolder=1\r\n文件=歌曲 01.mp3\r\n文件夹=C:\\音乐\\歌曲 01.mp3\r\n输出=D:\\剪切\\\r\n");
    Clear();
    EXPECT_EQ(Loaded(), "1|歌曲 01.mp3|C:\\音乐\\歌曲 01.mp3|D:\\剪切\\") << "kept, although the folder does not exist";

    strcpy(g_state.szFileTitle, "");
    strcpy(g_state.szSourcePath, "");
    g_state.bFolder = 0;
    SaveSettings();
    EXPECT_EQ(ReadText(ini_), "[设置]\r\nbFolder=0\r\n文件=\r\n文件夹=\r\n输出=D:\\剪切\\\r\n");
    strcpy(g_state.szFileTitle, "stale");
    EXPECT_EQ(Loaded(), "0|||D:\\剪切\\");
}

// Files made or changed by others: an empty output value, values cut at
// 1,023 bytes (never inside a character), a flag that is no number, and
// sections, keys and comments of others that survive saving.
TEST_F(Settings, FilesOfOthersAreReadAndKeptWhereTheyAreNotOurs)
{
    char music[1024] = {};
    OsMusicFolder(music, sizeof music);
    std::string chinese = "C:\\";
    for (int k = 0; k < 700; ++k) chinese += "音";
    const std::string latin = "C:\\" + std::string(2000, 'a');
    WriteText(ini_, "; 用户的备注\r\n[其他]\r\n键=值\r\n[设置]\r\nbFolder=yes\r\n文件=" + latin +
                        "\r\n文件夹=" + chinese + "\r\n输出=\r\n额外=保留\r\n");
    g_state.bFolder = 1;
    LoadSettings();
    EXPECT_EQ(g_state.bFolder, 0);
    EXPECT_EQ(std::string(g_state.szFileTitle), latin.substr(0, 1023));
    const std::string cut = g_state.szSourcePath;
    EXPECT_TRUE(cut.size() >= 1021 && cut.size() <= 1023 && (cut.size() - 3) % 2 == 0 && chinese.rfind(cut, 0) == 0)
        << cut.size() << ": a prefix of whole characters";
    EXPECT_STREQ(g_state.szOutputFolder, music);
    strcpy(g_state.szOutputFolder, "G:\\new\\");
    SaveSettings();
    const std::string text = ReadText(ini_);
    for (const char* kept : {"; 用户的备注\r\n", "[其他]\r\n键=值\r\n", "额外=保留", "输出=G:\\new\\\r\n"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " in " << text;
    EXPECT_EQ(Loaded().substr(Loaded().rfind('|')), "|G:\\new\\");

    // A file that cannot be written keeps its content, silently.
    const std::string before = ReadText(ini_);
    strcpy(g_state.szOutputFolder, "I:\\lost\\");
    if (MakeReadOnly(ini_)) {
        SaveSettings();
        MakeWritable(ini_);
    } else {
        ExclusiveLock lock(ini_);
        if (!lock.Held()) GTEST_SKIP() << "neither read-only files nor locks stop this user";
        SaveSettings();
    }
    EXPECT_EQ(ReadText(ini_), before);
}

// The log: CR LF between lines, four spaces a level, never below 0, texts cut
// at 1,023 bytes, code page 936; nothing before Open; a file that cannot be
// written loses lines silently and a deleted one is not made again.
TEST(DiagLog, TheBytesOfTheLogAndLinesLostSilently)
{
    TempDir dir;
    const std::string path = dir.File("log.txt");
    WriteText(path, "old");
    DiagLog log;
    log.Print("early line %d", 1);
    EXPECT_FALSE(log.IsEnabled());
    log.Open(path.c_str());
    EXPECT_EQ(ReadText(path), "");
    log.Print("Start ZorDU3Vodizaro");
    log.Indent();
    log.Print("msgMutex = 0x%x", 0xc1a5u);
    log.Indent();
    log.Print("输出路径: %s", "C:\\音乐");
    log.Print("%s", std::string(2000, 'x').c_str());
    log.Unindent();
    log.Unindent();
    log.Unindent();
    EXPECT_EQ(log.Level(), 0);
    log.Print("End ZorDU3Vodizaro\n");
    EXPECT_EQ(ReadText(path),
              "Start ZorDU3Vodizaro\r\n    msgMutex = 0xc1a5\r\n"
              "        \xCA\xE4\xB3\xF6\xC2\xB7\xBE\xB6: C:\\\xD2\xF4\xC0\xD6\r\n        " +
                  std::string(1023, 'x') + "\r\nEnd ZorDU3Vodizaro\n");

    const std::string kept = ReadText(path);
    bool stopped = MakeReadOnly(path);
    if (stopped) log.Print("lost");
    MakeWritable(path);
    {
        ExclusiveLock lock(path);
        if (lock.Held()) log.Print("lost");
        stopped |= lock.Held();
    }
    EXPECT_EQ(ReadText(path), kept);
    ASSERT_EQ(std::remove(path.c_str()), 0);
    log.Print("lost");
    EXPECT_FALSE(FileExists(path));
    DiagLog nowhere;
    nowhere.Open((dir.File("no such folder") + kSep + "log.txt").c_str());
    nowhere.Print("lost too");
    EXPECT_FALSE(FileExists(dir.File("no such folder")));
    if (!stopped) GTEST_SKIP() << "neither read-only files nor locks stop this user";
}

// Separators in ANSI paths: 0x5C as the second byte of a double-byte
// character of code page 936 ("乗" is 81 5C) is none. Numbered names of
// new files; handles in hex.
TEST(PathText, ASeparatorIsNeverTheSecondByteOfACharacter)
{
    const std::pair<std::string, std::string> cuts[] = {
        {"C:\\Program Files\\Zor\\ZorDU3Vodizaro.exe", "C:\\Program Files\\Zor"}, {"C:\\ZorDU3Vodizaro.exe", "C:"},
        {"\\\\server\\share\\a\\", "\\\\server\\share\\a"}, {"Z:\\tmp\\工具\\剪切.exe", "Z:\\tmp\\工具"},
        {"C:\\\x81\x5c\\Zor.exe", "C:\\\x81\x5c"}, {"C:\\tools\\\x95\x5c", "C:\\tools"},
        {"C:\\a\x81\x5c\x95\x5c" "b\\x.exe", "C:\\a\x81\x5c\x95\x5c" "b"}, {"\x81\x5c\x95\x5c", "(none)"},
        {"Zor.exe", "(none)"}, {"", "(none)"}};
    for (const auto& [path, folder] : cuts) {
        std::string text = path;
        EXPECT_EQ(CutAtLastBackslash(text.data()) ? std::string(text.c_str()) : (text == path ? "(none)" : "changed"),
                  folder)
            << path;
    }
    const std::string sep(1, kOsPathSeparator);
    for (const auto& [path, ends] : {std::pair<std::string, bool>{"D:" + sep + "音乐" + sep, true},
                                     {"D:" + sep + "out", false},
                                     {"", false},
                                     {"D:" + sep + "\x81\x5C", false}})
        EXPECT_EQ(EndsWithSeparator(path.c_str()), ends) << path;

    for (const char* name : {"a.mp3", "a.MP3", "a.Mp3", "a.mP3", ".mp3"}) EXPECT_TRUE(HasMp3Extension(name)) << name;
    for (const char* name : {"a.wav", "a.mp4", "a,mp3", "mp3", "a.mp3 ", "a.MP3x", ""})
        EXPECT_FALSE(HasMp3Extension(name)) << name;
    EXPECT_EQ(NumberedName("D:\\out\\song.MP3", 12), "D:\\out\\song(12).mp3");
    EXPECT_EQ(NumberedName("D:\\50% off.mp3", 9999), "D:\\50% off(9999).mp3");
    EXPECT_EQ(NumberedName("D:\\歌曲.mp3", 3), "D:\\歌曲(3).mp3");

    char text[kHandleTextBytes];
    for (const auto& [value, hex] : {std::pair<uintptr_t, const char*>{0, "0"},
                                     {0x88, "88"},
                                     {0x340000, "340000"},
                                     {static_cast<uintptr_t>(0x1D5A3B40000ull), "1d5a3b40000"},
                                     {UINTPTR_MAX, "ffffffffffffffff"}}) {
        FormatHandle(value, text);
        EXPECT_STREQ(text, hex);
    }
}

}  // namespace
