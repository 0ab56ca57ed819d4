// Frame headers, the frame scan and the frame index: hand-built headers and
// files, every file lame made (walked to the frames the decoders count), and
// what lame's describing frame and CRCs say.
#include "app_state.h"
#include "frame_header.h"
#include "frame_index.h"
#include "frame_scan.h"
#include "info_frame.h"
#include "side_info.h"
#include "test_support.h"

#include <cstring>

namespace {

// Frames of one header word (b0 first), each the header and zeros.
Bytes Frames(uint32_t header, int count)
{
    Bytes frame = {uint8_t(header >> 24), uint8_t(header >> 16), uint8_t(header >> 8), uint8_t(header)};
    frame.resize(static_cast<size_t>(MP3FrameLength(frame.data())), 0);
    Bytes out;
    for (int k = 0; k < count; ++k) out.insert(out.end(), frame.begin(), frame.end());
    return out;
}

// An ID3v2 tag (version, flags) whose body is frame headers, 8 small frames.
Bytes Id3v2(size_t body, uint8_t version = 3, uint8_t flags = 0)
{
    Bytes tag = Cat({Str("ID3"),
                     {version, 0, flags, uint8_t(body >> 21 & 0x7F), uint8_t(body >> 14 & 0x7F),
                      uint8_t(body >> 7 & 0x7F), uint8_t(body & 0x7F)}});
    const Bytes inside = Frames(0xFFF31400, 8);
    for (size_t k = 0; k < body; ++k) tag.push_back(inside[k % inside.size()]);
    return tag;
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
    for (const auto& [header, length] : cases) {
        const uint8_t bytes[4] = {uint8_t(header >> 24), uint8_t(header >> 16), uint8_t(header >> 8), uint8_t(header)};
        EXPECT_EQ(MP3FrameLength(bytes), length) << std::hex << header;
    }
    EXPECT_EQ(MP3FrameLength(nullptr), -1);
}

// Tags at both ends holding frame headers, junk, four kinds of frames and a
// cut-off last one; then tags that do not add up, which are data.
TEST(FrameScan, FramesLieBetweenTheTagsOnly)
{
    const Bytes audio = Cat({Str("junk\xFF\xE0"), Frames(0xFFFB9000, 2), Frames(0xFFFB9200, 1), Frames(0xFFF31400, 2),
                             Frames(0xFFE31800, 1)});
    const int32_t lengths[] = {417, 417, 418, 24, 24, 72};
    const Bytes items = Frames(0xFFF31400, 5);
    auto ape = [&](uint8_t flags) {  // an APEv2 header or footer: version 2000, size, one item, flags
        return Cat({Str("APETAGEX"),
                    {0xD0, 7, 0, 0, uint8_t(items.size() + 32), 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, flags},
                    Bytes(8, 0)});
    };
    Bytes lyrics = Cat({Str("LYRICSBEGININD0000200"), Frames(0xFFF31400, 2)});
    lyrics = Cat({lyrics, Str(std::string(6 - std::to_string(lyrics.size()).size(), '0') +
                              std::to_string(lyrics.size()) + "LYRICS200")});
    Bytes v1 = Cat({Str("TAG"), {0xFF, 0xF3, 0x14, 0}});
    v1.resize(128, 0);
    const Bytes front = Cat({Id3v2(390, 3, 0x80), Id3v2(290, 4, 0x40)});
    const Bytes file = Cat({front, audio, ape(0xA0), items, ape(0x80), lyrics, v1});
    const AudioRange range = MP3FindAudioRange(file.data(), static_cast<int64_t>(file.size()));
    EXPECT_EQ(range.nStart, static_cast<int64_t>(front.size()));
    EXPECT_EQ(range.nEnd, static_cast<int64_t>(front.size() + audio.size()));
    std::vector<FrameEntry> frames = Scan(file);
    ASSERT_EQ(frames.size(), 6u);
    for (int32_t k = 0, at = static_cast<int32_t>(front.size()) + 6; k < 6; at += lengths[k++]) {
        EXPECT_EQ(frames[k].nOffset, at) << k;
        EXPECT_EQ(frames[k].nLength, lengths[k]) << k;
    }
    // An ID3v2 tag appended with a footer; a last frame cut off in the middle.
    const Bytes appended = Id3v2(190, 4, 0x10);
    const Bytes tagFooter = Cat({Str("3DI"), Bytes(appended.begin() + 3, appended.begin() + 10)});
    EXPECT_EQ(Scan(Cat({Frames(0xFFFB9000, 2), appended, tagFooter})).size(), 2u);
    Bytes cutOff = Frames(0xFFFB9000, 2);
    cutOff.resize(600);
    EXPECT_EQ(Scan(cutOff).size(), 2u);
    // A header in the last three bytes reads zeros after them: FF FB 90 is
    // one, FF FB (bitrate index 0) is none.
    EXPECT_EQ(Scan(Cat({Frames(0xFFFB9000, 1), {0xFF, 0xFB, 0x90}})).size(), 2u);
    EXPECT_EQ(Scan(Cat({Frames(0xFFFB9000, 1), {0xFF, 0xFB}})).size(), 1u);
    EXPECT_TRUE(Scan(Str("This is a text file, not an MP3 file.\r\n")).empty());
    // Sizes that do not add up: an APEv2 footer claiming more than the file,
    // an ID3v2 tag claiming more (no audio), a size byte above 0x7F (no tag).
    Bytes tooBig = Cat({Frames(0xFFFB9000, 4), ape(0x80)});
    tooBig[tooBig.size() - 19] = 0xFF;
    EXPECT_EQ(MP3FindAudioRange(tooBig.data(), static_cast<int64_t>(tooBig.size())).nEnd,
              static_cast<int64_t>(tooBig.size()));
    Bytes huge = Cat({Id3v2(10), Frames(0xFFFB9000, 4)});
    huge[6] = 0x7F;
    EXPECT_TRUE(Scan(huge).empty());
    huge[6] = 0;
    huge[9] = 0x80;
    EXPECT_EQ(Scan(huge).size(), 4u);

    // Bytes arriving in chunks of any size give the same frames.
    for (const Bytes& bytes : {file, ReadFileBytes(FixturePath("tag_frames_in_tags.mp3"))}) {
        const std::vector<FrameEntry> whole = Scan(bytes);
        for (int64_t chunk : {1, 3, 7, 64, 417, 4096}) {
            FrameScanner scanner(bytes.data(), static_cast<int64_t>(bytes.size()));
            for (int64_t end = 0; end < static_cast<int64_t>(bytes.size());)
                scanner.Advance(end = std::min<int64_t>(static_cast<int64_t>(bytes.size()), end + chunk));
            std::vector<FrameEntry> chunked(static_cast<size_t>(scanner.Finish()));
            scanner.CopyTo(chunked.data());
            ASSERT_EQ(chunked.size(), whole.size()) << chunk;
            EXPECT_EQ(memcmp(chunked.data(), whole.data(), whole.size() * sizeof(FrameEntry)), 0) << chunk;
        }
    }
}

class FrameIndexTest : public EngineTest {};

// Every lame file, every version, rate, bitrate and mode: frame by frame from
// where the tags end to where they begin, the frames the judges count, and
// lame's describing frame apart, read to the counts and CRCs of the file.
TEST_F(FrameIndexTest, LameFilesAreIndexedAsTheDecodersCountThem)
{
    const std::vector<FixtureInfo> fixtures = LoadFixtureManifest();
    ASSERT_GT(fixtures.size(), 140u);
    for (const FixtureInfo& f : fixtures) {
        SCOPED_TRACE(f.name);
        Bytes bytes = ReadFileBytes(FixturePath(f.name));
        const std::vector<FrameEntry> scanned = Scan(bytes);
        bytes.resize(bytes.size() + 4, 0);
        int64_t at = f.audioStart;
        for (size_t k = 0; at < f.audioEnd; ++k) {
            ASSERT_LT(k, scanned.size());
            ASSERT_EQ(scanned[k].nOffset, at);
            ASSERT_EQ(scanned[k].nLength, MP3FrameLength(&bytes[static_cast<size_t>(at)]));
            at += scanned[k].nLength;
        }
        EXPECT_EQ(at, f.audioEnd);
        strcpy(g_state.szSourcePath, FixturePath(f.name).c_str());
        MP3GetFrames();
        EXPECT_EQ(g_state.nFrames, f.mpg123Frames);
        if (f.name != "tag_frames_in_tags.mp3") {  // ffprobe takes the frames in its APEv2 tag for audio
            EXPECT_EQ(g_state.nFrames, f.ffprobePackets);
        }
        ASSERT_EQ(g_state.feInfoFrame.nLength > 0, f.infoFrame);
        if (!f.infoFrame) continue;
        EXPECT_EQ(g_state.feInfoFrame.nOffset, f.audioStart);
        const InfoFrameFacts facts =
            MP3ReadInfoFrame(&bytes[static_cast<size_t>(f.audioStart)], g_state.feInfoFrame.nLength);
        EXPECT_EQ(facts.kind, f.vbr ? InfoFrameKind::Xing : InfoFrameKind::Info);
        EXPECT_EQ(facts.nFrames, f.mpg123Frames);
        EXPECT_EQ(facts.nBytes, f.audioEnd - f.audioStart);
        EXPECT_EQ(facts.nMusicLength, f.audioEnd - f.audioStart);
        EXPECT_TRUE(facts.bLame && facts.bTagCrcHolds);
        EXPECT_EQ(facts.nDelay, 576);
        const int64_t music = g_state.pFrames[0].nOffset;
        EXPECT_EQ(facts.nMusicCrc,
                  MP3LameCrc(&bytes[static_cast<size_t>(music)], static_cast<size_t>(f.audioEnd - music)));
        // lame's CRCs of protected frames are those of their side information.
        for (int32_t k = 0; f.crc && k < g_state.nFrames; ++k) {
            const uint8_t* frame = &bytes[static_cast<size_t>(g_state.pFrames[k].nOffset)];
            ASSERT_EQ(MP3FrameCrc(frame), frame[4] << 8 | frame[5]) << k;
        }
    }
}

// Fraunhofer's VBRI frame at its place; a Xing tag the frame cuts off is none.
TEST(InfoFrame, VbriIsKnownAndOnlyBytesOfTheFrameAreRead)
{
    Bytes frame = Frames(0xFFFB9000, 1);
    memcpy(frame.data() + 36, "VBRI", 4);
    EXPECT_EQ(MP3InfoFrameKind(frame.data(), 417), InfoFrameKind::Vbri);
    EXPECT_EQ(MP3InfoFrameKind(frame.data(), 39), InfoFrameKind::None);
    memcpy(frame.data() + 36, "Xing", 4);
    EXPECT_EQ(MP3InfoFrameKind(frame.data(), 39), InfoFrameKind::None);
    EXPECT_EQ(MP3InfoFrameKind(frame.data(), 417), InfoFrameKind::Xing);
}

}  // namespace
