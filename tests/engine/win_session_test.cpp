// A cut under Windows, through its own file and text functions: a source and
// an output folder whose names hold code-page-936 characters (the folders'
// last byte 0x5C, the second half of "乗"), a player holding the source open,
// Unicode tag texts shown in code page 936 and written back whole, a
// numbered name, and the log of it all.
#include "app_state.h"
#include "cutter.h"
#include "id3v2_text.h"
#include "test_support.h"

namespace {

class WinSessionTest : public EngineTest {};

TEST_F(WinSessionTest, ACutBetweenChineseFoldersWithUnicodeTags)
{
    MakeFolder(dir.File("歌曲乗"));
    const std::string source = CopyIn(FixturePath("tag_utf16_v23.mp3"), std::string("歌曲乗") + kSep + "测试.mp3");
    ExclusiveLock player(source, true);
    EXPECT_TRUE(player.Held());
    Load(source);
    EXPECT_EQ(std::string(g_state.szArtist) + "|" + g_state.szAlbum + "|" + g_state.szTitle,
              "歌手テスト|专辑·アルバム|测试Ab");
    const std::string out = Output("输出乗");
    WriteFileBytes(out + "测试.mp3", {1});
    g_state.fStart = 0.1f;
    g_state.fEnd = 0.4f;
    MP3Split();
    ExpectDone();
    EXPECT_EQ(ReadFileBytes(out + "测试.mp3"), std::vector<uint8_t>({1}));
    const std::vector<uint8_t> made = ReadFileBytes(out + "测试(1).mp3");
    EXPECT_EQ(ReadId3v2(made.data(), made.size()).title.wide, u"测试Ab");
    const std::string size = "    大小: " + std::to_string(ReadFileBytes(source).size());
    const std::string frames = "    帧数: " + std::to_string(g_state.nFrames);
    const std::vector<std::string> log = {"MP3GetFrames",
                                          "    mp3 文件: " + source,
                                          size,
                                          frames,
                                          frames,
                                          "MP3Split",
                                          "    mp3 文件: " + source,
                                          size,
                                          "    (?) 文件: " + out + "测试(1).mp3",
                                          "    新文件: " + out + "测试(1).mp3",
                                          "    i=2, j=15"};
    EXPECT_EQ(LogLines(), log);
}

}  // namespace
