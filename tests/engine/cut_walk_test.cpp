// A user loads a file with Unicode tags from a folder whose name ends in 0x5C
// (the second byte of "乗" in code page 936) while a player holds it open,
// cuts a part into such a folder where the name is taken, then twice beside
// the source where a numbered name is taken: every log line, the question,
// the tags, and no file touched. Natively, with the cuts judged, and under
// Wine through the real file and text functions of Windows.
#include "app_state.h"
#include "cutter.h"
#include "id3v2_text.h"
#include "test_support.h"

namespace {

class CutWalkTest : public EngineTest {
protected:
    void ExpectJudged([[maybe_unused]] const std::string& source)  // the last cut holds exactly the selected frames
    {
#ifndef _WIN32
        const FrameSpan span = MP3MapSelection(g_state.nFrames, g_state.fStart, g_state.fEnd, g_state.fDuration);
        const std::string judged = JudgeCuts({{source, g_state.szScratch, span.i, span.j, 0}})[0];
        EXPECT_NE(judged.find("\"problems\": []"), std::string::npos) << judged;
#endif
    }
};

TEST_F(CutWalkTest, CutsBetweenChineseFoldersLogEveryStepAndTouchNoFile)
{
    MakeFolder(dir.File("歌曲乗"));
    const std::string src = dir.File("歌曲乗") + kSep;
    const std::string source = CopyIn(FixturePath("tag_utf16_v23.mp3"), std::string("歌曲乗") + kSep + "测试.mp3");
    ExclusiveLock player(source, true);
#ifdef _WIN32
    EXPECT_TRUE(player.Held());
#endif
    Load(source);
    EXPECT_EQ(std::string(g_state.szArtist) + "|" + g_state.szAlbum + "|" + g_state.szTitle,
              "歌手テスト|专辑·アルバム|测试Ab");
    const std::string out = Output("输出乗");
    WriteFileBytes(out + "测试.mp3", {1});
    g_state.fStart = 0.1f;
    g_state.fEnd = 0.4f;
    ui.nAnswer = IDYES;
    MP3Split();
    ExpectDone();
    EXPECT_EQ(ui.nPostedOpenFile, 1);
    EXPECT_EQ(std::string(g_state.szOutputFolder), out) << "the folder keeps its new separator";
    const Bytes made = ReadFileBytes(out + "测试(1).mp3");
    EXPECT_EQ(ReadId3v2(made.data(), made.size()).title.wide, u"测试Ab");
    ExpectJudged(source);

    g_state.bFolder = 1;
    WriteFileBytes(src + "测试(1).mp3", {'k'});
    const Bytes before = ReadFileBytes(source);
    MP3Split();
    MP3Split();
    ExpectDone(3);
    ExpectJudged(source);
    EXPECT_EQ(ReadFileBytes(source), before);
    EXPECT_EQ(ReadFileBytes(src + "测试(1).mp3"), Bytes({'k'}));
    EXPECT_EQ(ReadFileBytes(out + "测试.mp3"), Bytes({1}));
    const std::string opened = "    mp3 文件: " + source;
    const std::string size = "    大小: " + std::to_string(before.size());
    const std::string frames = "    帧数: " + std::to_string(g_state.nFrames);
    const std::string tried = "    (?) 文件: " + src + "测试(";
    const std::string cut = "    i=2, j=15";
    const std::vector<std::string> log = {
        "MP3GetFrames", opened, size, frames, frames,
        "MP3Split", opened, size, "    (?) 文件: " + out + "测试(1).mp3", "    新文件: " + out + "测试(1).mp3", cut,
        "MP3Split", opened, size, tried + "1).mp3", tried + "2).mp3", "    新文件: " + src + "测试(2).mp3", cut,
        "MP3Split", opened, size, tried + "1).mp3", tried + "2).mp3", tried + "3).mp3",
        "    新文件: " + src + "测试(3).mp3", cut};
    EXPECT_EQ(LogLines(), log);
}

}  // namespace
