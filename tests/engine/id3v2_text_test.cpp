// Our own reading of ID3v2 texts: versions, encodings, byte orders,
// unsynchronisation and the frame flags, over hand-built tags.
#include "id3v2_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Syncsafe(size_t n)
{
    return {static_cast<uint8_t>(n >> 21 & 0x7F), static_cast<uint8_t>(n >> 14 & 0x7F),
            static_cast<uint8_t>(n >> 7 & 0x7F), static_cast<uint8_t>(n & 0x7F)};
}

Bytes BigEndian(size_t n, int bytes)
{
    Bytes out;
    for (int k = bytes - 1; k >= 0; --k) out.push_back(static_cast<uint8_t>(n >> (8 * k)));
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Str(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

// A frame of the given version: id, size, flags (v2.3/v2.4), content.
Bytes Frame(int major, const std::string& id, const Bytes& content, uint8_t flags = 0)
{
    if (major == 2) return Cat({Str(id), BigEndian(content.size(), 3), content});
    return Cat({Str(id), major == 4 ? Syncsafe(content.size()) : BigEndian(content.size(), 4), {0, flags}, content});
}

Bytes Tag(int major, const Bytes& body, uint8_t flags = 0)
{
    return Cat({Str("ID3"), {static_cast<uint8_t>(major), 0, flags}, Syncsafe(body.size()), body});
}

// Text content: encoding byte and bytes.
Bytes Latin1(const std::string& text)
{
    return Cat({{0}, Str(text)});
}

Id3v2Info Read(const Bytes& bytes)
{
    return ReadId3v2(bytes.data(), bytes.size());
}

TEST(Id3v2Text, EveryEncodingAndByteOrder)
{
    const Bytes le = {1, 0xFF, 0xFE, 0x4B, 0x6D, 0xD5, 0x8B, 'A', 0, 0, 0};  // 测试A, terminated
    const Bytes be = {1, 0xFE, 0xFF, 0x6D, 0x4B, 0x8B, 0xD5, 0, 'A'};
    const Bytes noBom = {1, 0x6D, 0x4B, 0x8B, 0xD5, 0, 'A'};        // big-endian, as the standard says
    const Bytes utf16be = {2, 0x6D, 0x4B, 0x8B, 0xD5, 0, 'A'};
    const Bytes utf8 = Cat({{3}, Str(u8"测试A"), {0}, Str("second value")});
    for (const Bytes& content : {le, be, noBom, utf16be, utf8}) {
        const Id3v2Info info = Read(Tag(4, Frame(4, "TIT2", content)));
        EXPECT_EQ(info.nMajor, 4);
        EXPECT_TRUE(info.title.bFound);
        EXPECT_TRUE(info.title.bUnicode);
        EXPECT_EQ(info.title.wide, u"测试A");
    }
    const Id3v2Info latin = Read(Tag(3, Frame(3, "TIT2", Cat({Latin1("\xB2\xE2\xCA\xD4"), {0}, Str("x")}))));
    EXPECT_FALSE(latin.title.bUnicode);
    EXPECT_EQ(latin.title.ansi, "\xB2\xE2\xCA\xD4");
    EXPECT_FALSE(Read(Tag(3, Frame(3, "TIT2", {7, 'x'}))).title.bFound) << "no such encoding";
}

TEST(Id3v2Text, VersionsFrameIdsAndTheArtistsOrder)
{
    const Id3v2Info v22 = Read(Tag(2, Cat({Frame(2, "TT2", Latin1("Title")), Frame(2, "TP1", Latin1("Artist")),
                                            Frame(2, "TAL", Latin1("Album"))})));
    EXPECT_EQ(v22.title.ansi, "Title");
    EXPECT_EQ(v22.artist.ansi, "Artist");
    EXPECT_EQ(v22.album.ansi, "Album");

    // TPE1 wins over TPE2 wherever it stands; without it, TPE2 over TCOM.
    EXPECT_EQ(Read(Tag(3, Cat({Frame(3, "TCOM", Latin1("C")), Frame(3, "TPE2", Latin1("B")),
                               Frame(3, "TPE1", Latin1("A"))}))).artist.ansi, "A");
    EXPECT_EQ(Read(Tag(3, Cat({Frame(3, "TCOM", Latin1("C")), Frame(3, "TPE2", Latin1("B"))}))).artist.ansi, "B");
    // The first of two title frames counts.
    EXPECT_EQ(Read(Tag(3, Cat({Frame(3, "TIT2", Latin1("1")), Frame(3, "TIT2", Latin1("2"))}))).title.ansi, "1");
}

TEST(Id3v2Text, UnsynchronisationExtendedHeadersAndFrameFlags)
{
    // v2.3: the whole tag unsynchronised; FF 00 stands for FF.
    const Bytes title = Latin1("\xFF\xE0x");
    Bytes body = Frame(3, "TIT2", title);
    Bytes unsynced;
    for (uint8_t b : body) {
        unsynced.push_back(b);
        if (b == 0xFF) unsynced.push_back(0);
    }
    EXPECT_EQ(Read(Tag(3, unsynced, 0x80)).title.ansi, "\xFF\xE0x");

    // v2.4: per frame, with a data length indicator before the content.
    const Bytes content = {0, 0xFF, 0, 0xE0, 'y'};
    const Bytes v24 = Frame(4, "TIT2", Cat({Syncsafe(4), content}), 0x03);
    EXPECT_EQ(Read(Tag(4, v24)).title.ansi, "\xFF\xE0y");

    // Extended headers are stepped over.
    const Bytes ext3 = Cat({BigEndian(6, 4), {0, 0, 0, 0, 0, 0}});
    EXPECT_EQ(Read(Tag(3, Cat({ext3, Frame(3, "TIT2", Latin1("e3"))}), 0x40)).title.ansi, "e3");
    const Bytes ext4 = Cat({Syncsafe(6), {1, 0}});
    EXPECT_EQ(Read(Tag(4, Cat({ext4, Frame(4, "TIT2", Latin1("e4"))}), 0x40)).title.ansi, "e4");

    // Compressed and encrypted frames are passed over; the next one counts.
    const Id3v2Info passed = Read(Tag(3, Cat({Frame(3, "TIT2", Latin1("zzz"), 0x80), Frame(3, "TIT2", Latin1("plain"))})));
    EXPECT_EQ(passed.title.ansi, "plain");
    EXPECT_EQ(Read(Tag(4, Frame(4, "TIT2", Latin1("enc"), 0x04))).title.bFound, false);
    // Grouped: one byte before the content.
    EXPECT_EQ(Read(Tag(3, Frame(3, "TALB", Cat({{9}, Latin1("g")}), 0x20))).album.ansi, "g");
}

TEST(Id3v2Text, BrokenTagsAreReadAsFarAsTheyGo)
{
    EXPECT_EQ(Read(Str("ID3")).nMajor, 0);
    EXPECT_EQ(Read(Tag(5, {})).nMajor, 0);
    const Bytes badSize = {'I', 'D', '3', 3, 0, 0, 0, 0, 1, 0x80};
    EXPECT_EQ(Id3v2TagSize(badSize.data()), -1);
    // A frame larger than the tag ends the reading.
    Bytes tag = Tag(3, Cat({Frame(3, "TIT2", Latin1("ok")), Str("TALB"), BigEndian(1000, 4), {0, 0}, Latin1("x")}));
    Id3v2Info info = Read(tag);
    EXPECT_EQ(info.title.ansi, "ok");
    EXPECT_FALSE(info.album.bFound);
    EXPECT_FALSE(info.bWellFormed);
    // A tag cut short: what is there is read.
    tag = Tag(3, Cat({Frame(3, "TIT2", Latin1("first")), Frame(3, "TALB", Latin1("second"))}));
    tag.resize(tag.size() - 4);
    info = Read(tag);
    EXPECT_EQ(info.title.ansi, "first");
    EXPECT_FALSE(info.album.bFound);
    EXPECT_EQ(info.nTagBytes, static_cast<int64_t>(tag.size() + 4));
}

TEST(Id3v2Text, Utf8MalformedSequencesBecomeReplacementCharacters)
{
    EXPECT_EQ(Utf8ToUtf16(u8"a\u00E9\u6D4B\U0001D11E"), u"a\u00E9\u6D4B\U0001D11E");  // up to a surrogate pair
    EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), u"\xFFFD\xFFFD");  // overlong
    EXPECT_EQ(Utf8ToUtf16("\xE6\xB5"), u"\xFFFD");        // cut short
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\xFFFD");    // a surrogate
    EXPECT_EQ(Utf8ToUtf16("\xF5\x80\x80\x80"), u"\xFFFD\xFFFD\xFFFD\xFFFD");
    EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\xFFFDz");
}

}  // namespace
