// The pieces of a cut's start, held against what lame writes: the describing
// frame it puts first (recognised, read, and ours built to the same layout
// with CRCs lame would compute), the side information of its frames, and the
// priming frames that carry a cut's reservoir.
#include "frame_header.h"
#include "frame_scan.h"
#include "info_frame.h"
#include "reservoir.h"
#include "side_info.h"
#include "source_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

struct ScannedFile {
    std::vector<uint8_t> bytes;
    std::vector<FrameEntry> frames;
    const uint8_t* At(size_t k) const { return bytes.data() + frames[k].nOffset; }
};

ScannedFile Scan(const std::string& path)
{
    ScannedFile file;
    file.bytes = ReadFileBytes(path);
    const int64_t size = static_cast<int64_t>(file.bytes.size());
    file.frames.resize(static_cast<size_t>(MP3ScanFrames(file.bytes.data(), size, nullptr)));
    MP3ScanFrames(file.bytes.data(), size, file.frames.data());
    return file;
}

uint32_t Be(const uint8_t* p, int bytes)
{
    uint32_t value = 0;
    for (int k = 0; k < bytes; ++k) value = value << 8 | p[k];
    return value;
}

// lame's own first frame: found where it wrote one, read to the counts of the
// file, and its two CRCs are those our CRC computes.
TEST(InfoFrame, LamesDescribingFrameIsReadAndItsCrcsAgree)
{
    for (const FixtureInfo& info : LoadFixtureManifest()) {
        SCOPED_TRACE(info.name);
        const ScannedFile file = Scan(FixturePath(info.name));
        ASSERT_GT(file.frames.size(), 2u);
        for (size_t k = 0; k < 3; ++k) {
            const int32_t held = std::min<int32_t>(file.frames[k].nLength, static_cast<int32_t>(file.bytes.size()) - file.frames[k].nOffset);
            EXPECT_EQ(MP3IsInfoFrame(file.At(k), held), k == 0 && info.infoFrame) << k;
        }
        if (!info.infoFrame) continue;
        const FrameEntry& first = file.frames[0];
        const InfoFrameFacts facts = MP3ReadInfoFrame(file.At(0), first.nLength);
        EXPECT_EQ(facts.kind, info.vbr ? InfoFrameKind::Xing : InfoFrameKind::Info);
        EXPECT_EQ(facts.nFrames, info.mpg123Frames);
        EXPECT_EQ(facts.nBytes, info.audioEnd - info.audioStart);
        ASSERT_TRUE(facts.bLame);
        EXPECT_EQ(memcmp(facts.lame, "LAME", 4), 0);
        EXPECT_GT(facts.nDelay, 0);
        EXPECT_TRUE(facts.bTagCrcHolds);
        EXPECT_EQ(facts.nMusicLength, info.audioEnd - info.audioStart);
        const size_t music = static_cast<size_t>(info.audioEnd - info.audioStart - first.nLength);
        EXPECT_EQ(facts.nMusicCrc, MP3LameCrc(file.At(0) + first.nLength, music));
    }
}

// The LAME extension's CRC is CRC-16/ARC: its check value, and the same
// result whether the bytes come at once or piece by piece.
TEST(InfoFrame, TheCrcIsCrc16ArcInAnyPieces)
{
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(MP3LameCrc(check, sizeof check), 0xBB3D);
    std::vector<uint8_t> bytes(1000);
    for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<uint8_t>(k * 7 + (k >> 3));
    const uint16_t whole = MP3LameCrc(bytes.data(), bytes.size());
    for (size_t split : {1u, 7u, 8u, 9u, 333u, 999u})
        EXPECT_EQ(MP3LameCrc(bytes.data() + split, bytes.size() - split, MP3LameCrc(bytes.data(), split)), whole) << split;
}

TEST(InfoFrame, VbriIsKnownAtItsPlaceAndOnlyBytesOfTheFrameAreRead)
{
    std::vector<uint8_t> vbri(417, 0);
    vbri[0] = 0xFF, vbri[1] = 0xFB, vbri[2] = 0x90, vbri[3] = 0x00;
    memcpy(vbri.data() + 36, "VBRI", 4);
    EXPECT_EQ(MP3InfoFrameKind(vbri.data(), 417), InfoFrameKind::Vbri);
    EXPECT_EQ(MP3InfoFrameKind(vbri.data(), 39), InfoFrameKind::None);
    // A Xing tag cut off by the frame's end, and one whose fields run past it.
    std::vector<uint8_t> xing(vbri.begin(), vbri.end());
    memset(xing.data() + 36, 0, 4);
    memcpy(xing.data() + 36, "Xing", 4);
    xing[43] = 0x0F;
    EXPECT_EQ(MP3InfoFrameKind(xing.data(), 39), InfoFrameKind::None);
    const InfoFrameFacts facts = MP3ReadInfoFrame(xing.data(), 60);
    EXPECT_EQ(facts.kind, InfoFrameKind::Xing);
    EXPECT_FALSE(facts.bLame);
}

// Ours, for the frames of every version and mode: it reads back with the
// counts, delay and padding given, the source's encoder string and settings,
// a table of contents that rises with the bytes, and CRCs that hold.
TEST(InfoFrame, TheCutsOwnFrameReadsBackAsBuilt)
{
    for (const char* name : {"vbr_v1_44100_2ch.mp3", "vbr_v2_22050_1ch.mp3", "cbr_v2.5_8000_8k.mp3", "crc_v1_44100_2ch.mp3",
                             "noinfo_v2_22050_2ch.mp3"}) {
        SCOPED_TRACE(name);
        const ScannedFile file = Scan(FixturePath(name));
        const InfoFrameFacts source = MP3ReadInfoFrame(file.At(0), file.frames[0].nLength);
        InfoFrameContent content;
        content.pModel = file.At(1);
        for (size_t k = 1; k + 1 < file.frames.size(); ++k) content.frameBytes.push_back(file.frames[k].nLength);
        content.bConstantBitrate = name[0] == 'c' && name[1] == 'b';
        content.nDelay = 1234;
        content.nPadding = 4095;
        content.nMusicCrc = 0xBEEF;
        content.pSource = &source;
        const std::vector<uint8_t> frame = MP3BuildInfoFrame(content);
        const int32_t length = static_cast<int32_t>(frame.size());
        ASSERT_EQ(MP3FrameLength(frame.data()), length);
        EXPECT_TRUE(MP3SameStream(frame.data(), file.At(1)));
        EXPECT_EQ(MP3CrcBytes(frame.data()), 0);
        if (content.bConstantBitrate && MP3FrameLength(file.At(1)) >= 4 + 32 + 120 + kLameExtensionBytes) {
            EXPECT_EQ(MP3BitrateIndex(frame.data()), MP3BitrateIndex(file.At(1)));
        }

        const InfoFrameFacts facts = MP3ReadInfoFrame(frame.data(), length);
        EXPECT_EQ(facts.kind, content.bConstantBitrate ? InfoFrameKind::Info : InfoFrameKind::Xing);
        EXPECT_EQ(facts.nFrames, static_cast<int32_t>(content.frameBytes.size()));
        int64_t bytes = length;
        for (int32_t b : content.frameBytes) bytes += b;
        EXPECT_EQ(facts.nBytes, bytes);
        ASSERT_TRUE(facts.bLame);
        EXPECT_EQ(facts.nDelay, 1234);
        EXPECT_EQ(facts.nPadding, 4095);
        if (source.bLame) {
            EXPECT_EQ(memcmp(facts.lame, source.lame, 9), 0) << "the encoder string carried over";
        } else {
            EXPECT_EQ(memcmp(facts.lame, "LAME", 4), 0);
        }
        EXPECT_EQ(facts.nMusicLength, bytes);
        EXPECT_EQ(facts.nMusicCrc, 0xBEEF);
        EXPECT_TRUE(facts.bTagCrcHolds);
        const uint8_t* toc = frame.data() + facts.nLameOffset - kTocEntries - 4;
        EXPECT_EQ(toc[0], 0);
        EXPECT_TRUE(std::is_sorted(toc, toc + kTocEntries));
        EXPECT_GT(toc[kTocEntries - 1], 200);
        // Side information all zero: a decoder that does not know the tag
        // plays the frame as silence.
        EXPECT_EQ(MP3MainDataBytes(frame.data(), length), 0);
    }
}

// lame's CRCs of protected frames are those of the side information as
// ours computes them; made silent, a frame keeps its header and main data
// area, has no audio data, and its CRC is made right again.
TEST(SideInfo, CrcsAndSilentFramesAgreeWithLame)
{
    for (const char* name : {"crc_v1_44100_2ch.mp3", "crc_v2_22050_1ch.mp3", "crc_v2.5_11025_2ch.mp3", "cbr_v2.5_8000_24k.mp3"}) {
        SCOPED_TRACE(name);
        const ScannedFile file = Scan(FixturePath(name));
        ASSERT_GT(file.frames.size(), 4u);
        const bool crc = MP3CrcBytes(file.At(2)) != 0;
        EXPECT_EQ(crc, name[0] == 'c' && name[1] == 'r');
        for (size_t k = 1; k + 1 < file.frames.size() && crc; ++k)
            EXPECT_EQ(MP3FrameCrc(file.At(k)), Be(file.At(k) + 4, 2)) << "the CRC lame wrote, frame " << k;
        for (size_t k = 1; k + 1 < file.frames.size(); ++k) {
            const int32_t length = file.frames[k].nLength;
            ASSERT_GE(MP3MainDataBegin(file.At(k), length), 0);
            EXPECT_LE(MP3MainDataBytes(file.At(k), length),
                      length - MP3MainDataOffset(file.At(k)) + MP3MainDataBegin(file.At(k), length));
        }
        const FrameEntry& second = file.frames[2];
        std::vector<uint8_t> frame(file.At(2), file.At(2) + second.nLength);
        MP3MakeSilent(frame.data(), 77);
        const int32_t data = MP3MainDataOffset(frame.data());
        EXPECT_EQ(MP3MainDataBegin(frame.data(), second.nLength), 77);
        EXPECT_EQ(MP3MainDataBytes(frame.data(), second.nLength), 0);
        EXPECT_TRUE(std::equal(frame.begin(), frame.begin() + 4, file.At(2))) << "header kept";
        EXPECT_TRUE(std::equal(frame.begin() + data, frame.end(), file.At(2) + data)) << "main data area kept";
        if (crc) {
            EXPECT_EQ(MP3FrameCrc(frame.data()), Be(frame.data() + 4, 2));
        }
    }
    uint8_t tooShort[8] = {0xFF, 0xFB, 0x90, 0x00};
    EXPECT_EQ(MP3MainDataBegin(tooShort, 8), -1);
}

// The priming frame gives the first selected frame the very bytes of the
// reservoir it points to, ends where the copied frames begin, and needs no
// byte before it.
TEST(Reservoir, ThePrimingFrameCarriesTheBytesTheFirstFramePointsTo)
{
    for (const char* name : {"vbr_v1_44100_2ch.mp3", "vbr_v2_22050_2ch.mp3", "vbr_v2.5_11025_1ch.mp3", "crc_v1_44100_1ch.mp3"}) {
        SCOPED_TRACE(name);
        const ScannedFile file = Scan(FixturePath(name));
        SourceBytes source;
        source.pData.reset(static_cast<uint8_t*>(OsAllocBuffer(file.bytes.size())));
        memcpy(source.pData.get(), file.bytes.data(), file.bytes.size());
        source.nBase = 0;
        source.nSize = static_cast<int32_t>(file.bytes.size());
        // Audio frames only: lame's Info frame apart.
        const std::vector<FrameEntry> frames(file.frames.begin() + 1, file.frames.end());
        int checked = 0;
        for (int32_t i = 1; i + 10 < static_cast<int32_t>(frames.size()); i += 7) {
            const uint8_t* first = file.bytes.data() + frames[static_cast<size_t>(i)].nOffset;
            const int32_t begin = MP3MainDataBegin(first, frames[static_cast<size_t>(i)].nLength);
            const Priming priming = MP3PrimeCut(frames.data(), i, i + 10, source, true);
            ASSERT_EQ(priming.frames.size(), 1u) << i;
            EXPECT_TRUE(priming.silenced.empty());
            const std::vector<uint8_t>& made = priming.frames[0];
            ASSERT_EQ(MP3FrameLength(made.data()), static_cast<int32_t>(made.size()));
            EXPECT_TRUE(MP3SameStream(made.data(), first));
            EXPECT_EQ(MP3MainDataBegin(made.data(), static_cast<int32_t>(made.size())), 0);
            // Its area ends with the begin bytes before the first copied frame's area.
            const int32_t copied = priming.nFirstCopied;
            const uint8_t* firstCopied = file.bytes.data() + frames[static_cast<size_t>(copied)].nOffset;
            const int32_t needed = MP3MainDataBegin(firstCopied, frames[static_cast<size_t>(copied)].nLength);
            ASSERT_LE(needed, static_cast<int32_t>(made.size()) - MP3MainDataOffset(made.data()));
            // The main data stream of the source before that frame.
            std::vector<uint8_t> stream;
            for (int32_t m = 0; m < copied; ++m) {
                const uint8_t* f = file.bytes.data() + frames[static_cast<size_t>(m)].nOffset;
                stream.insert(stream.end(), f + MP3MainDataOffset(f), f + frames[static_cast<size_t>(m)].nLength);
            }
            ASSERT_GE(static_cast<int32_t>(stream.size()), needed);
            EXPECT_TRUE(std::equal(made.end() - needed, made.end(), stream.end() - needed)) << "frame " << i;
            if (begin > 0) ++checked;
        }
        EXPECT_GT(checked, 0) << "some first frames draw on the reservoir";
    }
}

}  // namespace
