// Reading an MP3 file over hand-built bytes: frame headers, the frame scan
// between the tags, describing frames and the texts of ID3v2 tags.
#include "frame_header.h"
#include "id3v2_text.h"
#include "info_frame.h"
#include "test_support.h"

namespace {

Bytes Frames(uint32_t header, int count)  // each the header (b0 first) and zeros
{
    Bytes frame = {uint8_t(header >> 24), uint8_t(header >> 16), uint8_t(header >> 8), uint8_t(header)};
    frame.resize(static_cast<size_t>(std::max(4, MP3FrameLength(frame.data()))), 0);
    Bytes out;
    for (int k = 0; k < count; ++k) out = Cat({out, frame});
    return out;
}

Bytes Size(size_t n, int major)  // syncsafe in v2.4 and in tag headers, big-endian otherwise
{
    const int shift = major == 4 ? 7 : 8;
    return {uint8_t(n >> 3 * shift & 0xFF), uint8_t(n >> 2 * shift & 0xFF), uint8_t(n >> shift & 0xFF),
            uint8_t(n & (major == 4 ? 0x7F : 0xFF))};
}

Bytes Tag(int major, const Bytes& body, uint8_t flags = 0)
{
    return Cat({Str("ID3"), {uint8_t(major), 0, flags}, Size(body.size(), 4), body});
}

Bytes Frame(int major, const std::string& id, const Bytes& content, uint8_t flags = 0)  // v2.2: 3-byte sizes, no flags
{
    const Bytes size = Size(content.size(), major == 2 ? 3 : major);
    return major == 2 ? Cat({Str(id), Bytes(size.begin() + 1, size.end()), content})
                      : Cat({Str(id), size, {0, flags}, content});
}

Bytes Text(int major, const std::string& id, const std::string& text, uint8_t flags = 0)  // ISO-8859-1
{
    return Frame(major, id, Cat({{0}, Str(text)}), flags);
}

TEST(FrameHeader, LengthsFollowTheStandardsAndOtherHeadersAreRejected)
{
    const std::pair<uint32_t, int32_t> cases[] = {
        {0xFFFB9000, 417},  {0xFFFB9200, 418},                      // MPEG 1, 128 kbit/s, 44,100 Hz; padded
        {0xFFFBE000, 1044}, {0xFFFBEA00, 1441}, {0xFFFB1400, 96},   // 320 at 44.1 and 32 kHz, 32 at 48 kHz
        {0xFFF31000, 26},   {0xFFF31400, 24},   {0xFFF3E400, 480},  // MPEG 2
        {0xFFE31800, 72},   {0xFFE3E800, 1440}, {0xFFE38200, 418},  // MPEG 2.5
        {0xFFFA9000, 417},  {0xFFFB9003, 417},  {0xFFFB91FD, 417},  // CRC; emphasis 3; private, mode, flags
        {0xFFFD9000, -1},   {0xFFFF9000, -1},   {0xFFF99000, -1},   // Layer II, I, reserved
        {0xFFEB9000, -1},   {0xFFFB0000, -1},   {0xFFFBF000, -1},   // reserved version, free format, index 15
        {0xFFFB9C00, -1},   {0xFFFB9002, -1},   {0xFFDB9000, -1},  {0xFEFB9000, -1},  // rate 3, emphasis 2, sync
    };
    for (const auto& [header, length] : cases) EXPECT_EQ(MP3FrameLength(Frames(header, 1).data()), length) << header;
}

// Tags at both ends holding frame headers, junk, a stream that changes
// version and rate, a cut-off last frame; tags that do not add up are data.
TEST(FrameScan, FramesLieBetweenTheTagsOnly)
{
    const Bytes audio = Cat({Str("junk\xFF\xE0"), Frames(0xFFFB9000, 3), Frames(0xFFFB9200, 1), Frames(0xFFF31400, 4),
                             Frames(0xFFE31800, 1)});
    const Bytes items = Frames(0xFFF31400, 5);
    auto ape = [](const Bytes& items, uint8_t flags) {  // APEv2 header or footer: version 2000, size, one item, flags
        const size_t n = items.size() + 32;
        return Cat({Str("APETAGEX"), {0xD0, 7, 0, 0, uint8_t(n), uint8_t(n >> 8), 0, 0, 1, 0, 0, 0, 0, 0, 0, flags},
                    Bytes(8, 0)});
    };
    const Bytes lyrics = Cat({Str("LYRICSBEGININD0000200"), Frames(0xFFF31400, 2), Str("000069LYRICS200")});
    const Bytes v1 = Cat({Str("TAG"), {0xFF, 0xF3, 0x14}, Bytes(122, 0)});
    const Bytes inside = Frames(0xFFF31400, 17);  // for tags of frames, the last one cut off
    const Bytes front = Cat({Tag(3, Bytes(inside.begin(), inside.begin() + 390), 0x80),
                             Tag(4, Bytes(inside.begin(), inside.begin() + 290), 0x40)});
    const Bytes file = Cat({front, audio, ape(items, 0xA0), items, ape(items, 0x80), lyrics, v1});
    const AudioRange range = MP3FindAudioRange(file.data(), static_cast<int64_t>(file.size()));
    EXPECT_EQ(range.nStart, static_cast<int64_t>(front.size()));
    EXPECT_EQ(range.nEnd, static_cast<int64_t>(front.size() + audio.size()));
    std::string found;
    for (const FrameEntry& frame : Scan(file))
        found += std::to_string(frame.nOffset - range.nStart) + "+" + std::to_string(frame.nLength) + " ";
    EXPECT_EQ(found, "6+417 423+417 840+417 1257+418 1675+24 1699+24 1723+24 1747+24 1771+72 ");

    // An appended ID3v2 tag; a header in the last three bytes, zeros after them; tags claiming more than the file;
    // a size byte above 0x7F (no tag). A stream starts with four frames chained, each where the one before ends and
    // of its version and rate, or fewer that end where the audio does (cut off only where a stream goes on); so a
    // false header (MPEG 2, 208 bytes) or three frames after junk, or one cut off, are junk. A describing frame
    // (here Fraunhofer's VBRI at its place, a tag the frame cuts off none) starts a stream by itself.
    const Bytes appended = Tag(4, Frames(0xFFF31400, 8), 0x10), junk = Str("\x01junk"), false22 = Frames(0xFFF380C4, 1);
    Bytes vbri = Frames(0xFFFB9000, 1);
    memcpy(vbri.data() + 36, "VBRI", 4);
    EXPECT_EQ(MP3InfoFrameKind(vbri.data(), 417), InfoFrameKind::Vbri);
    EXPECT_EQ(MP3InfoFrameKind(vbri.data(), 39), InfoFrameKind::None);
    Bytes huge = Cat({Tag(3, {}), Frames(0xFFFB9000, 4)}), badSize = huge;
    huge[6] = 0x7F;
    badSize[9] = 0x80;
    const std::pair<Bytes, size_t> files[] = {
        {Cat({Frames(0xFFFB9000, 2), appended, Str("3DI"), Bytes(appended.begin() + 3, appended.begin() + 10)}), 2},
        {Cat({Frames(0xFFFB9000, 1), {0xFF, 0xFB, 0x90}}), 2}, {Cat({Frames(0xFFFB9000, 4), {0xFF, 0xFB}}), 4},
        {Str("This is a text file, not an MP3 file.\r\n"), 0}, {huge, 0}, {badSize, 4},
        {Cat({false22, junk, Frames(0xFFFB9000, 3), junk, Frames(0xFFFB9000, 4)}), 4},
        {Cat({Frames(0xFFFB9000, 4), junk, false22, junk, Frames(0xFFFB9000, 1)}), 5},
        {Cat({Frames(0xFFFB9000, 4), junk, Bytes(false22.begin(), false22.end() - 9)}), 4},
        {Cat({junk, vbri, Frames(0xFFFB9000, 1), junk}), 2}};
    for (size_t k = 0; k < std::size(files); ++k) EXPECT_EQ(Scan(files[k].first).size(), files[k].second) << k;
    Bytes tooBig = Cat({Frames(0xFFFB9000, 4), ape(items, 0x80)});
    tooBig[tooBig.size() - 19] = 0xFF;
    EXPECT_EQ(MP3FindAudioRange(tooBig.data(), int64_t(tooBig.size())).nEnd, static_cast<int64_t>(tooBig.size()));

    // Bytes arriving in chunks of any size give the same frames, the scanner reading none yet to come; also where
    // a stream changes rate just before an APE tag (no header) whose bytes go on with the frame cut off there.
    const Bytes body = Cat({{0x54, 0x13}, Bytes(188, 0), Frames(0xFFFB9400, 12)});  // FF FB 54 13: 192 bytes
    const Bytes apeEnd = Cat({Frames(0xFFFB9000, 12), Frames(0xFFFB9400, 1), {0xFF, 0xFB}, body, ape(body, 0)});
    for (const Bytes& bytes : {file, ReadFileBytes(FixturePath("tag_frames_in_tags.mp3")), files[7].first,
                               ReadFileBytes(FixturePath("junk_v1_44100_inside.mp3")), apeEnd}) {
        const std::vector<FrameEntry> whole = Scan(bytes);
        for (int64_t chunk : {1, 3, 7, 64, 417, 2000, 4096}) {
            Bytes arriving(bytes.size(), 0);
            FrameScanner scanner(static_cast<int64_t>(bytes.size()), true);  // levels read side information too
            for (size_t end = 0; end < bytes.size();) {  // the bytes before Needed() given up (zeroed)
                const size_t from = std::exchange(end, std::min(bytes.size(), end + size_t(chunk)));
                std::copy(bytes.begin() + long(from), bytes.begin() + long(end), arriving.begin() + long(from));
                const int64_t keep = std::min<int64_t>(scanner.Needed(), int64_t(end));
                std::fill(arriving.begin(), arriving.begin() + keep, 0);
                scanner.Advance(arriving.data() + keep, keep, int64_t(end));
            }
            scanner.Finish([&](int64_t from, int64_t) { return bytes.data() + from; });
            const std::vector<FrameEntry> chunked = scanner.Take();
            ASSERT_EQ(chunked.size(), whole.size()) << chunk;
            for (size_t k = 0; k < whole.size(); ++k)
                EXPECT_TRUE(chunked[k].nOffset == whole[k].nOffset && chunked[k].nLength == whole[k].nLength) << k;
        }
    }
}

std::string Texts(const Id3v2Info& info)  // artist|album|title|, "-" for none, "!" when the frames do not add up
{
    std::string texts;
    for (const Id3Text* text : {&info.artist, &info.album, &info.title})
        texts += (text->bFound ? text->ansi : "-") + "|";
    return texts + (info.bWellFormed ? "" : "!");
}

// A cut's own Xing/Info frame reads back as built, whatever its size: its 32-bit byte counts are left out (not
// wrapped) from 4 GiB on, the fields after them moved up.
TEST(InfoFrame, ReadsBackAsBuiltAndLeavesOutByteCountsBeyond32Bits)
{
    const uint8_t model[4] = {0xFF, 0xFB, 0x90, 0x00};
    for (const int64_t music : {int64_t(4180), int64_t(0xFFFFFFFF) - 417, int64_t(5) << 30}) {
        InfoFrameContent content;
        content.pModel = model;
        MP3MeasureMusic(static_cast<int32_t>(music / 418), [](int32_t) { return 418; }, content);
        std::tie(content.nDelay, content.nPadding, content.nMusicCrc) = std::make_tuple(1105, 2000, 0xBEEF);
        const std::vector<uint8_t> frame = MP3BuildInfoFrame(content);
        const InfoFrameFacts facts = MP3ReadInfoFrame(frame.data(), static_cast<int32_t>(frame.size()));
        const int64_t total = int64_t(frame.size()) + content.nMusicBytes;
        const bool fits = total <= 0xFFFFFFFF;
        EXPECT_EQ(facts.kind, InfoFrameKind::Xing) << music;
        EXPECT_EQ(std::make_tuple(facts.nFrames, facts.bLame, facts.bTagCrcHolds, facts.nDelay, facts.nPadding),
                  std::make_tuple(content.nFrames, true, true, 1105, 2000)) << music;
        EXPECT_EQ(std::make_tuple(int64_t(facts.nBytes), facts.nMusicLength, facts.nMusicCrc),
                  std::make_tuple(fits ? total : -1, fits ? total : 0, 0xBEEF)) << music;
    }
}

// The music CRC is taken over whole files a fold of 64 bytes at a time: every
// length of the fold's steps and tails, at every alignment, continued from
// any start, as the CRC taken a bit at a time.
TEST(LameCrc, FoldedOverAnyLengthAndStartAsBitByBit)
{
    Bytes data(2000);
    for (size_t k = 0; k < data.size(); ++k) data[k] = uint8_t(k * 2654435761u >> 13);
    const auto bitwise = [](const uint8_t* p, size_t n, uint16_t crc) {
        for (size_t k = 0; k < n; ++k)
            for (int bit = 0, b = p[k]; bit < 8; ++bit, b >>= 1)
                crc = uint16_t(((crc ^ b) & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
        return crc;
    };
    for (size_t at = 0; at < 16; at += 5)
        for (size_t n = 0; at + n <= data.size(); n += n < 400 ? 1 : 97)
            for (const uint16_t start : {0, 0xBEEF})
                ASSERT_EQ(MP3LameCrc(data.data() + at, n, start), bitwise(data.data() + at, n, start)) << at << " " << n;
}

TEST(Id3v2Text, EncodingsVersionsFlagsAndBrokenTags)
{
    // 测试A𝄞 in every encoding and byte order, terminated or followed by more.
    for (const Bytes& content : {Bytes{1, 0xFF, 0xFE, 0x4B, 0x6D, 0xD5, 0x8B, 'A', 0, 0x34, 0xD8, 0x1E, 0xDD, 0, 0, 0},
                                 Bytes{1, 0xFE, 0xFF, 0x6D, 0x4B, 0x8B, 0xD5, 0, 'A', 0xD8, 0x34, 0xDD, 0x1E},
                                 Bytes{1, 0x6D, 0x4B, 0x8B, 0xD5, 0, 'A', 0xD8, 0x34, 0xDD, 0x1E},
                                 Bytes{2, 0x6D, 0x4B, 0x8B, 0xD5, 0, 'A', 0xD8, 0x34, 0xDD, 0x1E},
                                 Cat({{3}, Str(u8"测试A\U0001D11E"), {0}, Str("second value")})}) {
        const Bytes tag = Tag(4, Frame(4, "TIT2", content));
        const Id3Text title = ReadId3v2(tag.data(), tag.size()).title;
        EXPECT_TRUE(title.bFound && title.bUnicode);
        EXPECT_EQ(title.wide, u"测试A\U0001D11E");
    }
    Bytes unsynced;
    for (uint8_t b : Text(3, "TIT2", "\xFF\xE0x")) unsynced = Cat({unsynced, {b}, Bytes(b == 0xFF, 0)});
    Bytes cutShort = Tag(3, Cat({Text(3, "TIT2", "first"), Text(3, "TALB", "second")}));
    cutShort.resize(cutShort.size() - 4);
    const std::pair<Bytes, const char*> cases[] = {
        {Tag(3, Text(3, "TIT2", std::string("\xB2\xE2\xCA\xD4\0x", 6))), "-|-|\xB2\xE2\xCA\xD4|"},
        {Tag(3, Frame(3, "TIT2", {7, 'x'})), "-|-|-|"},  // no such encoding
        {Tag(2, Cat({Text(2, "TT2", "T"), Text(2, "TP1", "P"), Text(2, "TAL", "A")})), "P|A|T|"},
        // TPE1 before TPE2 wherever it stands, TPE2 before TCOM; the first title counts.
        {Tag(3, Cat({Text(3, "TCOM", "C"), Text(3, "TPE2", "B"), Text(3, "TPE1", "A")})), "A|-|-|"},
        {Tag(3, Cat({Text(3, "TCOM", "C"), Text(3, "TPE2", "B")})), "B|-|-|"},
        {Tag(3, Cat({Text(3, "TIT2", "1"), Text(3, "TIT2", "2")})), "-|-|1|"},
        // Unsynchronisation of the whole v2.3 tag; per v2.4 frame, with a data length.
        {Tag(3, unsynced, 0x80), "-|-|\xFF\xE0x|"},
        {Tag(4, Frame(4, "TIT2", Cat({Size(4, 4), {0, 0xFF, 0, 0xE0, 'y'}}), 0x03)), "-|-|\xFF\xE0y|"},
        // Extended headers stepped over; compressed and encrypted frames passed over; grouped ones read.
        {Tag(3, Cat({Size(6, 3), Bytes(6, 0), Text(3, "TIT2", "e3")}), 0x40), "-|-|e3|"},
        {Tag(4, Cat({Size(6, 4), {1, 0}, Text(4, "TIT2", "e4")}), 0x40), "-|-|e4|"},
        {Tag(3, Cat({Text(3, "TIT2", "zzz", 0x80), Text(3, "TIT2", "plain")})), "-|-|plain|"},
        {Tag(4, Text(4, "TIT2", "enc", 0x04)), "-|-|-|"},
        {Tag(3, Frame(3, "TALB", {9, 0, 'g'}, 0x20)), "-|g|-|"},
        // Broken: a frame larger than the tag; a tag cut short; no version 5.
        {Tag(3, Cat({Text(3, "TIT2", "ok"), Str("TALB"), Size(1000, 3), {0, 0, 0, 'x'}})), "-|-|ok|!"},
        {cutShort, "-|-|first|!"},
        {Tag(5, {}), "-|-|-|!"}};
    for (const auto& [tag, texts] : cases) EXPECT_EQ(Texts(ReadId3v2(tag.data(), tag.size())), texts);
    EXPECT_EQ(ReadId3v2(cutShort.data(), cutShort.size()).nTagBytes, 43);
    // Malformed UTF-8 becomes U+FFFD, the text around it stays.
    const std::pair<const char*, std::u16string> utf8[] = {
        {"\xC0\x80", u"\xFFFD\xFFFD"}, {"\xE6\xB5", u"\xFFFD"},   {"\xED\xA0\x80", u"\xFFFD"},
        {"a\x80z", u"a\xFFFDz"},       {"\xF5\x80\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"}};
    for (const auto& [bad, replaced] : utf8) EXPECT_EQ(Utf8ToUtf16(bad), replaced) << bad;
}

// A file longer than the scan's tail and a few chunks, indexed as it is read
// (the tail kept from the chunks, where it begins inside one and where at
// one's start; the first frame read again): the frames of the whole scan,
// the Info frame apart, and the progress told once a chunk.
TEST(FrameIndex, AFileLongerThanTheTailIsIndexedAsTheWholeScanFindsIt)
{
    const Bytes song = ReadFileBytes(FixturePath("cbr_v1_44100_128k.mp3"));  // its Info frame first
    const TempDir dir;
    for (const int64_t size : {FrameScanner::kTailBytes + 2 * kReadChunkBytes + 1001,
                               FrameScanner::kTailBytes + kReadChunkBytes}) {
        Bytes bytes = Tag(3, Text(3, "TIT2", "t"));
        while (int64_t(bytes.size()) < size) bytes.insert(bytes.end(), song.begin(), song.end());
        bytes.resize(size_t(size) - 128);  // the last frame cut off by an ID3v1 tag
        bytes = Cat({bytes, Str("TAG"), Bytes(125, 0)});
        WriteFileBytes(dir.File("long.mp3"), bytes);
        SourceFile file;
        FrameIndex index;
        int32_t counted = 0;
        std::vector<int> told;
        ASSERT_EQ(file.Open(dir.File("long.mp3").c_str()), SourceRead::Ok);
        ASSERT_TRUE(MP3IndexFile(file, index, &counted, [&](const char*, int percent) { told.push_back(percent); }));
        const std::vector<FrameEntry> whole = Scan(bytes);
        ASSERT_TRUE(index.info.nLength > 0 && index.frames.size() + 1 == whole.size()) << size;
        EXPECT_EQ(counted, int32_t(index.frames.size()));
        EXPECT_TRUE(index.info.nOffset == whole[0].nOffset && index.info.nLength == whole[0].nLength);
        for (size_t k = 0; k < index.frames.size(); ++k) {
            const FrameEntry& a = index.frames[k];
            ASSERT_TRUE(a.nOffset == whole[k + 1].nOffset && a.nLength == whole[k + 1].nLength) << size << " " << k;
        }
        EXPECT_EQ(int64_t(told.size()), (size + kReadChunkBytes - 1) / kReadChunkBytes);
        EXPECT_TRUE(std::is_sorted(told.begin(), told.end()) && told.back() == 100);
    }
}

}  // namespace
