// Tags: our own reading of ID3v2 texts over hand-built tags, the carry-over
// of artist, album and title into each new file (judged by mutagen through
// tests/judge.py), tags of files made by others, and the inputs the fuzzers
// once failed on (tests/fuzz/found).
#include "app_state.h"
#include "cutter.h"
#include "frame_scan.h"
#include "id3lib_guard.h"
#include "id3v2_text.h"
#include "tag_carry.h"
#include "test_support.h"

#include <cstring>
#include <filesystem>

namespace {

Bytes Size(size_t n, int major)  // syncsafe in v2.4, big-endian otherwise
{
    const int shift = major == 4 ? 7 : 8;
    return {uint8_t(n >> 3 * shift & 0xFF), uint8_t(n >> 2 * shift & 0xFF), uint8_t(n >> shift & 0xFF),
            uint8_t(n & (major == 4 ? 0x7F : 0xFF))};
}

Bytes Frame(int major, const std::string& id, const Bytes& content, uint8_t flags = 0)  // v2.2: 3-byte sizes, no flags
{
    const Bytes size = Size(content.size(), major == 2 ? 3 : major);
    return major == 2 ? Cat({Str(id), Bytes(size.begin() + 1, size.end()), content})
                      : Cat({Str(id), size, {0, flags}, content});
}

Id3v2Info Read(int major, const Bytes& body, uint8_t flags = 0, size_t cut = 0)  // a tag cut short by cut bytes
{
    Bytes tag = Cat({Str("ID3"), {uint8_t(major), 0, flags}, Size(body.size(), 4), body});
    tag.resize(tag.size() - cut);
    return ReadId3v2(tag.data(), tag.size());
}

Bytes Latin1(const std::string& text)
{
    return Cat({{0}, Str(text)});
}

TEST(Id3v2Text, EncodingsVersionsFlagsAndBrokenTags)
{
    // 测试A in every encoding and byte order, terminated or followed by more.
    for (const Bytes& content :
         {Bytes{1, 0xFF, 0xFE, 0x4B, 0x6D, 0xD5, 0x8B, 'A', 0, 0, 0},
          Bytes{1, 0xFE, 0xFF, 0x6D, 0x4B, 0x8B, 0xD5, 0, 'A'}, Bytes{1, 0x6D, 0x4B, 0x8B, 0xD5, 0, 'A'},
          Bytes{2, 0x6D, 0x4B, 0x8B, 0xD5, 0, 'A'}, Cat({{3}, Str(u8"测试A"), {0}, Str("second value")})}) {
        const Id3v2Info info = Read(4, Frame(4, "TIT2", content));
        EXPECT_TRUE(info.title.bFound && info.title.bUnicode);
        EXPECT_EQ(info.title.wide, u"测试A");
    }
    const Id3v2Info latin = Read(3, Frame(3, "TIT2", Cat({Latin1("\xB2\xE2\xCA\xD4"), {0}, Str("x")})));
    EXPECT_FALSE(latin.title.bUnicode);
    EXPECT_EQ(latin.title.ansi, "\xB2\xE2\xCA\xD4");
    EXPECT_FALSE(Read(3, Frame(3, "TIT2", {7, 'x'})).title.bFound) << "no such encoding";

    const Id3v2Info v22 =
        Read(2, Cat({Frame(2, "TT2", Latin1("T")), Frame(2, "TP1", Latin1("P")), Frame(2, "TAL", Latin1("A"))}));
    EXPECT_EQ(v22.title.ansi + v22.artist.ansi + v22.album.ansi, "TPA");
    // TPE1 before TPE2 wherever it stands, TPE2 before TCOM; the first title counts.
    EXPECT_EQ(
        Read(3, Cat({Frame(3, "TCOM", Latin1("C")), Frame(3, "TPE2", Latin1("B")), Frame(3, "TPE1", Latin1("A"))}))
            .artist.ansi,
        "A");
    EXPECT_EQ(Read(3, Cat({Frame(3, "TCOM", Latin1("C")), Frame(3, "TPE2", Latin1("B"))})).artist.ansi, "B");
    EXPECT_EQ(Read(3, Cat({Frame(3, "TIT2", Latin1("1")), Frame(3, "TIT2", Latin1("2"))})).title.ansi, "1");

    // Unsynchronisation: of the whole v2.3 tag; per v2.4 frame, with a data length.
    Bytes unsynced;
    for (uint8_t b : Frame(3, "TIT2", Latin1("\xFF\xE0x"))) {
        unsynced.push_back(b);
        if (b == 0xFF) unsynced.push_back(0);
    }
    EXPECT_EQ(Read(3, unsynced, 0x80).title.ansi, "\xFF\xE0x");
    EXPECT_EQ(Read(4, Frame(4, "TIT2", Cat({Size(4, 4), {0, 0xFF, 0, 0xE0, 'y'}}), 0x03)).title.ansi, "\xFF\xE0y");
    // Extended headers are stepped over; compressed and encrypted frames passed over; grouped ones read.
    EXPECT_EQ(Read(3, Cat({Size(6, 3), Bytes(6, 0), Frame(3, "TIT2", Latin1("e3"))}), 0x40).title.ansi, "e3");
    EXPECT_EQ(Read(4, Cat({Size(6, 4), {1, 0}, Frame(4, "TIT2", Latin1("e4"))}), 0x40).title.ansi, "e4");
    EXPECT_EQ(Read(3, Cat({Frame(3, "TIT2", Latin1("zzz"), 0x80), Frame(3, "TIT2", Latin1("plain"))})).title.ansi,
              "plain");
    EXPECT_FALSE(Read(4, Frame(4, "TIT2", Latin1("enc"), 0x04)).title.bFound);
    EXPECT_EQ(Read(3, Frame(3, "TALB", Cat({{9}, Latin1("g")}), 0x20)).album.ansi, "g");

    // Broken: no version 5; a size byte above 0x7F; a frame larger than the tag; a tag cut short.
    EXPECT_EQ(Read(5, {}).nMajor, 0);
    const Bytes badSize = {'I', 'D', '3', 3, 0, 0, 0, 0, 1, 0x80};
    EXPECT_EQ(Id3v2TagSize(badSize.data()), -1);
    Id3v2Info info = Read(3, Cat({Frame(3, "TIT2", Latin1("ok")), Str("TALB"), Size(1000, 3), {0, 0}, Latin1("x")}));
    EXPECT_TRUE(info.title.bFound && !info.album.bFound && !info.bWellFormed);
    info = Read(3, Cat({Frame(3, "TIT2", Latin1("first")), Frame(3, "TALB", Latin1("second"))}), 0, 4);
    EXPECT_EQ(info.title.ansi + "|" + std::to_string(info.album.bFound) + "|" + std::to_string(info.nTagBytes),
              "first|0|43");
    EXPECT_EQ(Utf8ToUtf16(u8"a\u00E9\u6D4B\U0001D11E"), u"a\u00E9\u6D4B\U0001D11E");
    for (const auto& [bad, replaced] : {std::pair<const char*, std::u16string>{"\xC0\x80", u"\xFFFD\xFFFD"},
                                        {"\xE6\xB5", u"\xFFFD"},
                                        {"\xED\xA0\x80", u"\xFFFD"},
                                        {"\xF5\x80\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
                                        {"a\x80z", u"a\xFFFDz"}})
        EXPECT_EQ(Utf8ToUtf16(bad), replaced) << bad;
}

class TagCarryTest : public EngineTest {};

std::string Text(const char* text)
{
    return text ? text : "(none)";
}

// Each source loaded and a part cut: the texts shown (code page 936), the
// Unicode originals kept, and the cut's tag as mutagen reads it, with the
// title in ID3v1 in code page 936.
TEST_F(TagCarryTest, ArtistAlbumAndTitleGoIntoEveryNewFileExactly)
{
    const char* cjk = u8R"({"TPE1": "歌手テスト", "TALB": "专辑·アルバム", "TIT2": "测试Ab"})";
    const char* lame = R"({"TPE1": "Test Artist", "TALB": "Test Album", "TIT2": "Test Title"})";
    const struct {
        const char* fixture;
        const char *artist, *album, *title;  // code page 936
        bool unicode;                        // the source holds them in UTF-16 or UTF-8
        const char* tags;                    // what mutagen reads in the cut
    } cases[] = {
        {"cbr_v1_44100_128k.mp3", "-", "-", "-", false, R"({"TPE1": "-", "TALB": "-", "TIT2": "-"})"},
        {"tag_title_only.mp3", "-", "-", "Only Title", false, R"({"TPE1": "-", "TALB": "-", "TIT2": "Only Title"})"},
        {"tag_v1v2.mp3", "Test Artist", "Test Album", "Test Title", true, lame},
        {"tag_picture.mp3", "Test Artist", "Test Album", "Test Title", true, lame},
        {"tag_utf16_v23.mp3", "歌手テスト", "专辑·アルバム", "测试Ab", true, cjk},
        {"tag_v1only.mp3", "Test Artist", "Test Album", "Test Title", false, lame},
        {"tag_utf16bom_be_v23.mp3", "歌手テスト", "专辑·アルバム", "测试Ab", true, cjk},
        {"tag_utf16_v24.mp3", "歌手テスト", "专辑·アルバム", "测试Ab", true, cjk},
        {"tag_utf16be_v24.mp3", "歌手テスト", "专辑·アルバム", "测试Ab", true, cjk},
        {"tag_utf8_v24.mp3", "歌手テスト", "专辑·アルバム", "测试Ab", true, cjk},
        {"tag_v24_and_v1.mp3", "歌手テスト", "专辑·アルバム", "测试Ab", true, cjk},
        {"tag_gbk_latin1.mp3", "歌手テスト", "专辑·アルバム", "测试Ab", false, nullptr},  // GBK bytes as they are
    };
    const std::string out = Output("out");
    std::vector<JudgeJob> jobs;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        Load(CopyIn(FixturePath(c.fixture), c.fixture));
        EXPECT_EQ(Text(g_state.szArtist) + "|" + Text(g_state.szAlbum) + "|" + Text(g_state.szTitle),
                  std::string(c.artist) + "|" + c.album + "|" + c.title);
        EXPECT_EQ(g_state.wszTitle != nullptr, c.unicode);
        if (c.tags == cjk) {
            EXPECT_EQ(std::u16string(g_state.wszArtist) + u"|" + g_state.wszAlbum + u"|" + g_state.wszTitle,
                      u"歌手テスト|专辑·アルバム|测试Ab");
        }
        g_state.fStart = 0.1f;
        g_state.fEnd = 0.4f;
        MP3Split();
        jobs.push_back({g_state.szSourcePath, g_state.szScratch, -1, -1, 0});
        const Bytes made = ReadFileBytes(g_state.szScratch);
        ASSERT_GT(made.size(), 128u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&made[made.size() - 125]), strlen(c.title)), c.title)
            << "ID3v1 title";
        EXPECT_EQ(made.back(), 0xFF) << "ID3v1 genre: none";
        const Id3v2Info tag = ReadId3v2(made.data(), made.size());
        EXPECT_EQ(tag.title.bUnicode, c.unicode);
        if (!c.tags) {
            EXPECT_EQ(tag.title.ansi, c.title);
        }
    }
    const std::vector<std::string> judged = JudgeCuts(jobs);
    for (size_t k = 0; k < judged.size(); ++k)
        EXPECT_TRUE(!cases[k].tags ||
                    judged[k].find(std::string("\"tags\": ") + cases[k].tags + ",") != std::string::npos)
            << judged[k];

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
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out)) files += entry.is_regular_file();
    EXPECT_EQ(files, jobs.size() + 2);
}

// Tags of files made by others: the texts their catalogue gives (the album of
// the last from its Lyrics3 v2 tag: every tag type is read).
TEST_F(TagCarryTest, TagsOfFilesMadeByOthers)
{
    const struct {
        const char *name, *artist, *album, *title;
    } files[] = {
        {"mp3agic__v1andv23andcustomtags.mp3", "ARTIST123456789012345678901234", "ALBUM1234567890123456789012345",
         "TITLE1234567890123456789012345"},
        {"mp3agic__v24tagswithalbumimage.mp3", "ARTIST123456789012345678901234", "ALBUM1234567890123456789012345",
         "TITLE1234567890123456789012345"},
        {"music-metadata__id3v2-xheader.mp3", "-", "-", "title"},
        {"mutagen__bad-POPM-frame.mp3", "she", "emit and exude", "Emit and exude"},
        {"mutagen__apev2-lyricsv2.mp3", "Auth", "A song    EP", "A song   "},
    };
    for (const auto& f : files) {
        if (TestdataPath(f.name).empty()) GTEST_SKIP() << "real-world files not present";
        Load(CopyIn(TestdataPath(f.name), "other.mp3"));
        EXPECT_EQ(Text(g_state.szArtist) + "|" + Text(g_state.szAlbum) + "|" + Text(g_state.szTitle),
                  std::string(f.artist) + "|" + f.album + "|" + f.title)
            << f.name;
    }
}

// Every input a fuzzer once failed on loads and cuts; those that made id3lib
// allocate gigabytes never reach it.
TEST_F(TagCarryTest, InputsTheFuzzersFoundLoadAndCutWithoutHarm)
{
    const std::string out = Output("out");
    int inputs = 0;
    for (const auto& target : std::filesystem::directory_iterator(ZDV_FUZZ_FOUND_DIR))
        for (const auto& input : std::filesystem::directory_iterator(target.path())) {
            SCOPED_TRACE(input.path().string());
            const Bytes bytes = ReadFileBytes(input.path().string());
            if (target.path().filename() == "fuzz_id3lib") {
                EXPECT_EQ(Id3libSafeTagTypes(bytes) & ID3TT_ID3V2, 0);
            }
            Load(CopyIn(input.path().string(), "found.mp3"));
            EXPECT_EQ(static_cast<size_t>(g_state.nFrames), Scan(bytes).size());
            const Id3v2Info tag = ReadId3v2(bytes.data(), bytes.size());
            ASSERT_NE(g_state.szTitle, nullptr);
            if (tag.title.bFound && !tag.title.bUnicode) {
                EXPECT_EQ(std::string(g_state.szTitle), tag.title.ansi);
            }
            ui.messages.clear();
            MP3Split();
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].flags, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
            ++inputs;
        }
    EXPECT_GT(inputs, 0);
}

}  // namespace
