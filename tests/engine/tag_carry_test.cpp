// Tag carry-over: the texts read at load (ANSI bytes as they are, Unicode
// shown in code page 936 and kept whole) and the tag of the new file, judged
// by our own reading of its bytes and, natively, by mutagen.
#include "app_state.h"
#include "cutter.h"
#include "engine_fixture.h"
#include "id3v2_text.h"
#include "judges.h"
#include "tag_carry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

// The fixtures' Chinese and Japanese texts (tests/fixtures/make_fixtures.py).
const char16_t kArtistW[] = u"歌手テスト";
const char16_t kAlbumW[] = u"专辑·アルバム";
const char16_t kTitleW[] = u"测试Ab";
// The same in UTF-8, as mutagen reports them.
const char kArtist8[] = u8"歌手テスト";
const char kAlbum8[] = u8"专辑·アルバム";
const char kTitle8[] = u8"测试Ab";
// And in code page 936 (this file's literals are stored in it).
const char kArtistAnsi[] = "歌手テスト";
const char kAlbumAnsi[] = "专辑·アルバム";
const char kTitleAnsi[] = "测试Ab";

std::string Text(const char* text)
{
    return text ? text : "(none)";
}

std::u16string Wide(const char16_t* text)
{
    return text ? text : u"(none)";
}

class TagTest : public EngineTest {
protected:
    // Loads a fixture and cuts a middle part of it into the output folder;
    // returns the new file's path.
    std::string LoadAndCut(const std::string& fixture, const std::string& name = "song.mp3")
    {
        const std::string source = CopyIn(FixturePath(fixture), name);
        Load(source);
        const std::string out = dir.File("out");
        MakeFolder(out);
        strcpy(g_state.szOutputFolder, out.c_str());
        Select(0.1f, 0.4f);
        MP3Split();
        const std::string made = g_state.szScratch;  // the name the cut chose
        EXPECT_TRUE(FileExists(made));
        return made;
    }

    static Id3v2Info TagOf(const std::string& path)
    {
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        return ReadId3v2(bytes.data(), bytes.size());
    }

    // The 30-byte title field of the file's ID3v1 tag, up to its first zero.
    static std::string Id3v1Title(const std::string& path)
    {
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        if (bytes.size() < 128 || memcmp(bytes.data() + bytes.size() - 128, "TAG", 3) != 0) return "(no ID3v1)";
        const char* title = reinterpret_cast<const char*>(bytes.data() + bytes.size() - 125);
        return std::string(title, strnlen(title, 30));
    }
};

TEST_F(TagTest, ASourceWithoutTagGivesDashes)
{
    const std::string made = LoadAndCut("cbr_v1_44100_128k.mp3");
    EXPECT_EQ(Text(g_state.szArtist), "-");
    EXPECT_EQ(Text(g_state.szAlbum), "-");
    EXPECT_EQ(Text(g_state.szTitle), "-");
    const Id3v2Info tag = TagOf(made);
    EXPECT_EQ(tag.artist.ansi, "-");
    EXPECT_EQ(tag.album.ansi, "-");
    EXPECT_EQ(tag.title.ansi, "-");
#ifndef _WIN32
    const std::map<std::string, std::string> expected = {{"TPE1", "-"}, {"TALB", "-"}, {"TIT2", "-"}};
    EXPECT_EQ(MutagenFrames(made), expected);
#endif
}

TEST_F(TagTest, AMissingTextBecomesADashAndTheOthersStay)
{
    const std::string made = LoadAndCut("tag_title_only.mp3");
    EXPECT_EQ(Text(g_state.szArtist), "-");
    EXPECT_EQ(Text(g_state.szAlbum), "-");
    EXPECT_EQ(Text(g_state.szTitle), "Only Title");
    EXPECT_EQ(TagOf(made).title.ansi, "Only Title");
}

TEST_F(TagTest, OnlyArtistAlbumAndTitleAreCarriedOver)
{
    // lame's tags with year, comment, genre (ID3v1 and v2) and a picture.
    for (const char* fixture : {"tag_v1v2.mp3", "tag_picture.mp3", "tag_v1only.mp3"}) {
        SCOPED_TRACE(fixture);
        const std::string made = LoadAndCut(fixture, std::string(fixture));
        EXPECT_EQ(Text(g_state.szArtist), "Test Artist");
        EXPECT_EQ(Text(g_state.szAlbum), "Test Album");
        EXPECT_EQ(Text(g_state.szTitle), "Test Title");
        const std::vector<uint8_t> bytes = ReadFileBytes(made);
        EXPECT_EQ(bytes.back(), 0xFF) << "ID3v1 genre: none";
#ifndef _WIN32
        const std::map<std::string, std::string> expected = {
            {"TPE1", "Test Artist"}, {"TALB", "Test Album"}, {"TIT2", "Test Title"}};
        EXPECT_EQ(MutagenFrames(made), expected);
#endif
    }
}

TEST_F(TagTest, CuttingTheSameSourceTwiceGivesIdenticalTags)
{
    const std::string first = LoadAndCut("tag_utf16_v23.mp3");
    const std::string second = LoadAndCut("tag_utf16_v23.mp3");
    ASSERT_NE(first, second);
    const std::vector<uint8_t> a = ReadFileBytes(first), b = ReadFileBytes(second);
    EXPECT_EQ(a, b);
}

// Unicode texts in every encoding and byte order: shown in code page 936,
// written back in UTF-16 exactly, and in ID3v1 in code page 936.
TEST_F(TagTest, UnicodeTextsSurviveTheCutExactly)
{
    for (const char* fixture : {"tag_utf16_v23.mp3", "tag_utf16bom_be_v23.mp3", "tag_utf16_v24.mp3",
                                "tag_utf16be_v24.mp3", "tag_utf8_v24.mp3", "tag_v24_and_v1.mp3"}) {
        SCOPED_TRACE(fixture);
        const std::string made = LoadAndCut(fixture, std::string(fixture));
        EXPECT_EQ(Text(g_state.szArtist), kArtistAnsi);
        EXPECT_EQ(Text(g_state.szAlbum), kAlbumAnsi);
        EXPECT_EQ(Text(g_state.szTitle), kTitleAnsi);
        EXPECT_EQ(Wide(g_state.wszArtist), kArtistW);
        EXPECT_EQ(Wide(g_state.wszAlbum), kAlbumW);
        EXPECT_EQ(Wide(g_state.wszTitle), kTitleW);

        const Id3v2Info tag = TagOf(made);
        EXPECT_EQ(tag.artist.wide, kArtistW);
        EXPECT_EQ(tag.album.wide, kAlbumW);
        EXPECT_EQ(tag.title.wide, kTitleW);
        EXPECT_EQ(Id3v1Title(made), kTitleAnsi);
#ifndef _WIN32
        const std::map<std::string, std::string> expected = {{"TPE1", kArtist8}, {"TALB", kAlbum8}, {"TIT2", kTitle8}};
        EXPECT_EQ(MutagenFrames(made), expected);
#endif
    }
}

TEST_F(TagTest, AnsiBytesInLatin1FramesAreCarriedAsTheyAre)
{
    const std::string made = LoadAndCut("tag_gbk_latin1.mp3");
    EXPECT_EQ(Text(g_state.szTitle), kTitleAnsi);
    EXPECT_EQ(g_state.wszTitle, nullptr);
    const Id3v2Info tag = TagOf(made);
    EXPECT_FALSE(tag.title.bUnicode);
    EXPECT_EQ(tag.title.ansi, kTitleAnsi);
    EXPECT_EQ(tag.artist.ansi, kArtistAnsi);
    EXPECT_EQ(Id3v1Title(made), kTitleAnsi);
}

// A long tag still goes in place: the frames follow the reserved room, and
// id3lib makes no temporary copy of the file beside it.
TEST_F(TagTest, TheTagIsWrittenInPlaceWhateverItsSize)
{
    const std::string made = LoadAndCut("tag_long_utf16.mp3");
    EXPECT_EQ(Wide(g_state.wszTitle), std::u16string(3000, u'长'));
    const Id3v2Info tag = TagOf(made);
    EXPECT_EQ(tag.title.wide, std::u16string(3000, u'长'));
    const std::vector<uint8_t> bytes = ReadFileBytes(made);
    ASSERT_GT(bytes.size(), static_cast<size_t>(tag.nTagBytes) + 2);
    EXPECT_EQ(bytes[static_cast<size_t>(tag.nTagBytes)], 0xFF) << "the first frame follows the tag";
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("out"))) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST_F(TagTest, TextsAreReplacedAtEachLoadAndReleased)
{
    Load(CopyIn(FixturePath("tag_utf8_v24.mp3"), "a.mp3"));
    EXPECT_EQ(Wide(g_state.wszTitle), kTitleW);
    Load(CopyIn(FixturePath("cbr_v1_44100_128k.mp3"), "b.mp3"));
    EXPECT_EQ(Text(g_state.szTitle), "-");
    EXPECT_EQ(g_state.wszTitle, nullptr);
    Load(CopyIn(FixturePath("tag_v1v2.mp3"), "c.mp3"));
    EXPECT_EQ(Text(g_state.szTitle), "Test Title");
    ClearTagTexts();
    EXPECT_EQ(g_state.szArtist, nullptr);
    EXPECT_EQ(g_state.szAlbum, nullptr);
    EXPECT_EQ(g_state.szTitle, nullptr);
}

// Tags of files made by others: the texts their catalogue gives.
TEST_F(TagTest, ReadsTheTagsOfFilesMadeByOthers)
{
    struct Expected {
        const char* name;
        const char* artist;
        const char* album;
        const char* title;
    } const files[] = {
        {"mp3agic__v1andv23andcustomtags.mp3", "ARTIST123456789012345678901234", "ALBUM1234567890123456789012345",
         "TITLE1234567890123456789012345"},
        {"mp3agic__v24tagswithalbumimage.mp3", "ARTIST123456789012345678901234", "ALBUM1234567890123456789012345",
         "TITLE1234567890123456789012345"},
        {"music-metadata__id3v2-xheader.mp3", "-", "-", "title"},
        {"mutagen__bad-POPM-frame.mp3", "she", "emit and exude", "Emit and exude"},
        // The album comes from its Lyrics3 v2 tag (every tag type is read).
        {"mutagen__apev2-lyricsv2.mp3", "Auth", "A song    EP", "A song   "},
    };
    for (const Expected& expected : files) {
        SCOPED_TRACE(expected.name);
        const std::string path = TestdataPath(expected.name);
        if (path.empty()) GTEST_SKIP() << "real-world files not present";
        Load(CopyIn(path, "other.mp3"));
        EXPECT_EQ(Text(g_state.szArtist), expected.artist);
        EXPECT_EQ(Text(g_state.szAlbum), expected.album);
        EXPECT_EQ(Text(g_state.szTitle), expected.title);
    }
}

}  // namespace
