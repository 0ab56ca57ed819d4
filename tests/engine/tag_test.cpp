// The carry-over of artist, album and title into each new file (judged by
// mutagen through tests/judge.py), tags of files made by others, and the
// inputs the fuzzers once failed on (tests/fuzz/found).
#include "cutter.h"
#include "id3lib_guard.h"
#include "id3v2_text.h"
#include "test_support.h"

namespace {

class TagCarryTest : public EngineTest {
protected:
    static std::string Shown()  // artist|album|title as the window shows them (code page 936)
    {
        auto text = [](const char* shown) { return std::string(shown ? shown : "(none)"); };
        return text(g_state.szArtist) + "|" + text(g_state.szAlbum) + "|" + text(g_state.szTitle);
    }
};

// Each source loaded and a part cut: the texts shown, whether the Unicode
// originals are kept, and the cut's tag as mutagen reads it, with the title in
// ID3v1 in code page 936.
TEST_F(TagCarryTest, ArtistAlbumAndTitleGoIntoEveryNewFileExactly)
{
    const std::vector<std::string> none = {"-", "-", "-"}, title = {"-", "-", "Only Title"},
                                   lame = {"Test Artist", "Test Album", "Test Title"},
                                   cjk = {"歌手テスト", "专辑·アルバム", "测试Ab"},
                                   cjkUtf8 = {u8"歌手テスト", u8"专辑·アルバム", u8"测试Ab"};
    const std::tuple<const char*, const std::vector<std::string>&, bool> cases[] = {
        {"cbr_v1_44100_128k.mp3", none, false},     {"tag_title_only.mp3", title, false},
        {"tag_v1v2.mp3", lame, true},               {"tag_picture.mp3", lame, true},
        {"tag_utf16_v23.mp3", cjk, true},           {"tag_v1only.mp3", lame, false},
        {"tag_utf16bom_be_v23.mp3", cjk, true},     {"tag_utf16_v24.mp3", cjk, true},
        {"tag_utf16be_v24.mp3", cjk, true},         {"tag_utf8_v24.mp3", cjk, true},
        {"tag_v24_and_v1.mp3", cjk, true},          {"tag_gbk_latin1.mp3", cjk, false}};  // GBK bytes as they are
    const std::string out = Output("out");
    std::vector<JudgeJob> jobs;
    for (const auto& [fixture, texts, unicode] : cases) {
        SCOPED_TRACE(fixture);
        Load(CopyIn(FixturePath(fixture), fixture));
        EXPECT_EQ(Shown(), texts[0] + "|" + texts[1] + "|" + texts[2]);
        EXPECT_EQ(g_state.wszTitle != nullptr, unicode);
        g_state.fStart = 0.1f;
        g_state.fEnd = 0.4f;
        MP3Split();
        jobs.push_back({g_state.szSourcePath, g_state.szScratch, -1, -1, 0});
        const Bytes made = ReadFileBytes(g_state.szScratch);
        ASSERT_GT(made.size(), 128u);
        EXPECT_EQ(std::string(made.end() - 125, made.end() - 125 + long(texts[2].size())), texts[2]) << "ID3v1 title";
        EXPECT_EQ(made.back(), 0xFF) << "ID3v1 genre: none";
        const Id3v2Info tag = ReadId3v2(made.data(), made.size());
        EXPECT_EQ(tag.title.bUnicode, unicode);
        if (!unicode) {
            EXPECT_EQ(tag.title.ansi, texts[2]);
        }
    }
    const std::vector<std::string> judged = JudgeCuts(jobs);
    for (size_t k = 0; k + 1 < judged.size(); ++k) {  // mutagen reads the GBK bytes of the last as ISO-8859-1
        const std::vector<std::string>& t = &std::get<1>(cases[k]) == &cjk ? cjkUtf8 : std::get<1>(cases[k]);
        const std::string tags = R"({"TPE1": ")" + t[0] + R"(", "TALB": ")" + t[1] + R"(", "TIT2": ")" + t[2] + "\"}";
        EXPECT_NE(judged[k].find("\"tags\": " + tags + ","), std::string::npos) << judged[k];
    }

    // The same source cut twice gives the same bytes; a long tag goes in place
    // (the frames follow it; no temporary file beside).
    Load(CopyIn(FixturePath("tag_long_utf16.mp3"), "long.mp3"));
    MP3Split();
    const Bytes first = ReadFileBytes(g_state.szScratch);
    MP3Split();
    EXPECT_EQ(ReadFileBytes(g_state.szScratch), first);
    const Id3v2Info tag = ReadId3v2(first.data(), first.size());
    EXPECT_EQ(tag.title.wide, std::u16string(3000, u'长'));
    EXPECT_EQ(first[static_cast<size_t>(tag.nTagBytes)], 0xFF) << "the first frame follows the tag";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), long(jobs.size() + 2));
}

// Tags of files made by others: the texts their catalogue gives (the album of
// the last from its Lyrics3 v2 tag: every tag type is read).
TEST_F(TagCarryTest, TagsOfFilesMadeByOthers)
{
    const std::pair<const char*, const char*> files[] = {
        {"mp3agic__v1andv23andcustomtags.mp3",
         "ARTIST123456789012345678901234|ALBUM1234567890123456789012345|TITLE1234567890123456789012345"},
        {"mp3agic__v24tagswithalbumimage.mp3",
         "ARTIST123456789012345678901234|ALBUM1234567890123456789012345|TITLE1234567890123456789012345"},
        {"music-metadata__id3v2-xheader.mp3", "-|-|title"},
        {"mutagen__bad-POPM-frame.mp3", "she|emit and exude|Emit and exude"},
        {"mutagen__apev2-lyricsv2.mp3", "Auth|A song    EP|A song   "}};
    for (const auto& [name, texts] : files) {
        if (TestdataPath(name).empty()) GTEST_SKIP() << "real-world files not present";
        Load(CopyIn(TestdataPath(name), "other.mp3"));
        EXPECT_EQ(Shown(), texts) << name;
    }
}

// Every input a fuzzer once failed on loads and cuts; those that made id3lib
// allocate gigabytes never reach it.
TEST_F(TagCarryTest, InputsTheFuzzersFoundLoadAndCutWithoutHarm)
{
    Output("out");
    int inputs = 0;
    for (const auto& target : std::filesystem::directory_iterator(ZDV_FUZZ_FOUND_DIR))
        for (const auto& input : std::filesystem::directory_iterator(target.path())) {
            SCOPED_TRACE(input.path().string());
            const Bytes bytes = ReadFileBytes(input.path().string());
            EXPECT_TRUE(target.path().filename() != "fuzz_id3lib" || !(Id3libSafeTagTypes(bytes) & ID3TT_ID3V2));
            Load(CopyIn(input.path().string(), "found.mp3"));
            EXPECT_EQ(static_cast<size_t>(g_state.nFrames), Scan(bytes).size());
            const Id3v2Info tag = ReadId3v2(bytes.data(), bytes.size());
            if (tag.title.bFound && !tag.title.bUnicode) {
                EXPECT_EQ(std::string(g_state.szTitle), tag.title.ansi);
            }
            MP3Split();
            ExpectDone();
            ++inputs;
        }
    EXPECT_GT(inputs, 0);
}

}  // namespace
