// The bytes of log.txt: layout, indentation, truncation, CP936 texts, and
// silent loss when the file cannot be written.
#include "diag_log.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ReadText(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(DiagLog, LinesBeforeOpenDoNotReachTheFile)
{
    TempDir dir;
    const std::string path = dir.File("log.txt");
    DiagLog log;
    log.Print("early line %d", 1);
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(log.IsEnabled());
    log.Open(path.c_str());
    EXPECT_TRUE(log.IsEnabled());
    EXPECT_EQ(ReadText(path), "");
}

TEST(DiagLog, OpenEmptiesAnExistingFile)
{
    TempDir dir;
    const std::string path = dir.File("log.txt");
    WriteFileBytes(path, {'o', 'l', 'd'});
    DiagLog log;
    log.Open(path.c_str());
    EXPECT_EQ(ReadText(path), "");
}

TEST(DiagLog, LinesAreIndentedFourSpacesPerLevelAndSeparatedByCrLf)
{
    TempDir dir;
    const std::string path = dir.File("log.txt");
    DiagLog log;
    log.Open(path.c_str());
    log.Print("Start ZorDU3Vodizaro");
    log.Indent();
    log.Print("msgMutex = 0x%x", 0xc1a5u);
    log.Print("MP3GetFrames");
    log.Indent();
    log.Print("大小: %d", 4096);
    log.Unindent();
    log.Unindent();
    log.Unindent();  // stays at 0
    EXPECT_EQ(log.Level(), 0);
    log.Print("End ZorDU3Vodizaro\n");
    EXPECT_EQ(ReadText(path),
              "Start ZorDU3Vodizaro\r\n"
              "    msgMutex = 0xc1a5\r\n"
              "    MP3GetFrames\r\n"
              "        大小: 4096\r\n"
              "End ZorDU3Vodizaro\n");
}

TEST(DiagLog, ChineseTextsAreWrittenInCodePage936)
{
    TempDir dir;
    const std::string path = dir.File("log.txt");
    DiagLog log;
    log.Open(path.c_str());
    log.Print("输出路径: %s", "C:\\音乐");
    // "输出路径: " and "音乐" in GBK.
    const std::vector<uint8_t> expected = {0xCA, 0xE4, 0xB3, 0xF6, 0xC2, 0xB7, 0xBE, 0xB6, ':', ' ',
                                           'C', ':', '\\', 0xD2, 0xF4, 0xC0, 0xD6};
    EXPECT_EQ(ReadFileBytes(path), expected);
}

TEST(DiagLog, LongTextIsCutAt1023Bytes)
{
    TempDir dir;
    const std::string path = dir.File("log.txt");
    DiagLog log;
    log.Open(path.c_str());
    const std::string longText(2000, 'x');
    log.Indent();
    log.Indent();
    log.Print("%s", longText.c_str());
    log.Print("next");
    const std::string text = ReadText(path);
    EXPECT_EQ(text, std::string(8, ' ') + std::string(1023, 'x') + "\r\n        next");
    EXPECT_EQ(text.find('\0'), std::string::npos);
}

TEST(DiagLog, AWriteProtectedLogLosesLinesSilently)
{
    TempDir dir;
    const std::string path = dir.File("log.txt");
    DiagLog log;
    log.Open(path.c_str());
    log.Print("first");
    if (!MakeReadOnly(path)) GTEST_SKIP() << "this user can write read-only files";
    log.Print("lost");
    MakeWritable(path);
    log.Print("second");
    EXPECT_EQ(ReadText(path), "first\r\nsecond");
}

TEST(DiagLog, ALogLockedByAnotherProgramLosesLinesSilently)
{
    TempDir dir;
    const std::string path = dir.File("log.txt");
    DiagLog log;
    log.Open(path.c_str());
    log.Print("first");
    {
        ExclusiveLock lock(path);
        if (!lock.Held()) GTEST_SKIP() << "no mandatory file locks on this platform";
        log.Print("lost");
    }
    log.Print("second");
    EXPECT_EQ(ReadText(path), "first\r\nsecond");
}

TEST(DiagLog, ADeletedOrUnopenableLogIsNotCreatedAgain)
{
    TempDir dir;
    const std::string path = dir.File("log.txt");
    DiagLog log;
    log.Open(path.c_str());
    log.Print("first");
    ASSERT_EQ(std::remove(path.c_str()), 0);
    log.Print("lost");
    EXPECT_FALSE(FileExists(path));

    // A log path in a folder that does not exist: Open and Print fail quietly.
    DiagLog nowhere;
    const std::string missing = dir.File("no such folder") + kSep + "log.txt";
    nowhere.Open(missing.c_str());
    nowhere.Print("lost too");
    EXPECT_FALSE(FileExists(missing));

    // A folder where the log should be.
    DiagLog folder;
    folder.Open(dir.Path().c_str());
    folder.Print("lost as well");
}

}  // namespace
