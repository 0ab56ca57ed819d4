// settings.ini: defaults on a first run, the file the program writes, CP936
// keys and values, cut values, files made or changed by others, and a file
// that cannot be written.
#include "app_state.h"
#include "diag_log.h"
#include "os.h"
#include "settings.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string ReadText(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadFileBytes(path);
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
        // The Linux seam's music folder lives under $HOME; keep it in the test's folder.
        setenv("HOME", dir_.Path().c_str(), 1);
#endif
        if (!g_state.szIniPath) AllocTextBuffers();
        iniPath_ = dir_.File("settings.ini");
        strcpy(g_state.szIniPath, iniPath_.c_str());
        Clear();
        g_log.Open(dir_.File("log.txt").c_str());
    }

    // The state of a fresh start.
    static void Clear()
    {
        g_state.bFolder = 0;
        g_state.szFileTitle[0] = g_state.szSourcePath[0] = g_state.szOutputFolder[0] = '\0';
    }

    static std::string MusicFolder()
    {
        char folder[1024] = {};
        EXPECT_TRUE(OsMusicFolder(folder, sizeof folder));
        return folder;
    }

    TempDir dir_;
    std::string iniPath_;
};

TEST_F(Settings, AFirstRunGetsTheDefaultsAndTheMusicFolder)
{
    LoadSettings();
    EXPECT_EQ(g_state.bFolder, 0);
    EXPECT_STREQ(g_state.szFileTitle, "");
    EXPECT_STREQ(g_state.szSourcePath, "");
    const std::string music = MusicFolder();
    ASSERT_FALSE(music.empty());
    EXPECT_NE(music.back(), kSep) << "the music folder has no trailing separator";
    EXPECT_EQ(g_state.szOutputFolder, music);
    EXPECT_EQ(ReadText(dir_.File("log.txt")), "输出路径: " + music);
    EXPECT_FALSE(FileExists(iniPath_)) << "loading writes nothing";
}

TEST_F(Settings, TheProgramWritesOneSectionWithItsFourKeysInOrder)
{
    g_state.bFolder = 1;
    strcpy(g_state.szFileTitle, "歌曲 01.mp3");
    strcpy(g_state.szSourcePath, "C:\\音乐\\歌曲 01.mp3");
    strcpy(g_state.szOutputFolder, "D:\\剪切\\");
    SaveSettings();
    EXPECT_EQ(ReadText(iniPath_),
              "[设置]\r\n"
              "bFolder=1\r\n"
              "文件=歌曲 01.mp3\r\n"
              "文件夹=C:\\音乐\\歌曲 01.mp3\r\n"
              "输出=D:\\剪切\\\r\n");

    Clear();
    LoadSettings();
    EXPECT_EQ(g_state.bFolder, 1);
    EXPECT_STREQ(g_state.szFileTitle, "歌曲 01.mp3");
    EXPECT_STREQ(g_state.szSourcePath, "C:\\音乐\\歌曲 01.mp3");
    EXPECT_STREQ(g_state.szOutputFolder, "D:\\剪切\\") << "kept, although the folder does not exist";
}

TEST_F(Settings, EmptyTextsAreSavedAsEmptyValues)
{
    strcpy(g_state.szOutputFolder, "E:\\out");
    SaveSettings();
    EXPECT_EQ(ReadText(iniPath_), "[设置]\r\nbFolder=0\r\n文件=\r\n文件夹=\r\n输出=E:\\out\r\n");
    Clear();
    strcpy(g_state.szFileTitle, "stale");
    LoadSettings();
    EXPECT_STREQ(g_state.szFileTitle, "");
    EXPECT_STREQ(g_state.szSourcePath, "");
    EXPECT_STREQ(g_state.szOutputFolder, "E:\\out");
}

TEST_F(Settings, AnEmptyOutputValueBecomesTheMusicFolder)
{
    WriteText(iniPath_, "[设置]\r\nbFolder=1\r\n文件=a.mp3\r\n文件夹=C:\\a.mp3\r\n输出=\r\n");
    LoadSettings();
    EXPECT_EQ(g_state.bFolder, 1);
    EXPECT_EQ(g_state.szOutputFolder, MusicFolder());
}

TEST_F(Settings, ValuesLongerThan1023BytesAreCut)
{
    const std::string longPath = "C:\\" + std::string(2000, 'a') + ".mp3";
    WriteText(iniPath_, "[设置]\r\n文件夹=" + longPath + "\r\n");
    LoadSettings();
    EXPECT_EQ(std::string(g_state.szSourcePath), longPath.substr(0, 1023));
}

TEST_F(Settings, ALongChineseValueIsCutAtACharacterBoundary)
{
    std::string longPath = "C:\\";
    for (int i = 0; i < 700; ++i) longPath += "音";
    WriteText(iniPath_, "[设置]\r\n文件夹=" + longPath + "\r\n");
    LoadSettings();
    const std::string got = g_state.szSourcePath;
    EXPECT_LE(got.size(), 1023u);
    EXPECT_GE(got.size(), 1021u);
    EXPECT_EQ(longPath.compare(0, got.size(), got), 0) << "a prefix of the value";
    EXPECT_EQ((got.size() - 3) % 2, 0u) << "no half character at the end";
}

TEST_F(Settings, AFolderFlagThatIsNotANumberReadsAsZero)
{
    WriteText(iniPath_, "[设置]\r\nbFolder=yes\r\n");
    g_state.bFolder = 1;
    LoadSettings();
    EXPECT_EQ(g_state.bFolder, 0);
}

TEST_F(Settings, OtherSectionsKeysAndCommentsSurviveSaving)
{
    WriteText(iniPath_,
              "; 用户的备注\r\n"
              "[其他]\r\n"
              "键=值\r\n"
              "[设置]\r\n"
              "输出=F:\\old\\\r\n"
              "额外=保留\r\n");
    LoadSettings();
    strcpy(g_state.szOutputFolder, "G:\\new\\");
    SaveSettings();
    const std::string text = ReadText(iniPath_);
    EXPECT_NE(text.find("; 用户的备注"), std::string::npos) << text;
    EXPECT_NE(text.find("[其他]\r\n键=值\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("额外=保留"), std::string::npos) << text;
    EXPECT_NE(text.find("输出=G:\\new\\\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("F:\\old"), std::string::npos) << text;

    Clear();
    LoadSettings();
    EXPECT_STREQ(g_state.szOutputFolder, "G:\\new\\");
}

TEST_F(Settings, AFileThatCannotBeWrittenKeepsItsContentSilently)
{
    const std::string before = "[设置]\r\nbFolder=0\r\n输出=H:\\keep\\\r\n";
    WriteText(iniPath_, before);
    g_state.bFolder = 1;
    strcpy(g_state.szOutputFolder, "I:\\lost\\");
    if (MakeReadOnly(iniPath_)) {
        SaveSettings();
        MakeWritable(iniPath_);
    } else {
        // Root writes read-only files; a file another program holds locked cannot be written.
        ExclusiveLock lock(iniPath_);
        if (!lock.Held()) GTEST_SKIP() << "neither read-only files nor file locks stop this user";
        SaveSettings();
    }
    EXPECT_EQ(ReadText(iniPath_), before);
}

}  // namespace
