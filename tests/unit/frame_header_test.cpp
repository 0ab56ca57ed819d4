// MP3FrameLength against the header cases of the MPEG standards and against
// files made by a real encoder, counted by real decoders.
#include "frame_header.h"
#include "synthetic_mp3.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

int32_t LengthOf(uint32_t header)
{
    std::vector<uint8_t> bytes = HeaderBytes(header);
    return MP3FrameLength(bytes.data());
}

TEST(FrameHeader, AcceptedHeadersGiveTheirLength)
{
    EXPECT_EQ(LengthOf(0xFFFB9000), 417);   // MPEG 1, 128 kbit/s, 44,100 Hz
    EXPECT_EQ(LengthOf(0xFFFB9200), 418);   // the same with the padding bit
    EXPECT_EQ(LengthOf(0xFFFBE000), 1044);  // 320 kbit/s, 44,100 Hz
    EXPECT_EQ(LengthOf(0xFFFBEA00), 1441);  // 320 kbit/s, 32,000 Hz, padding: the largest
    EXPECT_EQ(LengthOf(0xFFF31000), 26);    // MPEG 2, 8 kbit/s, 22,050 Hz
    EXPECT_EQ(LengthOf(0xFFF31400), 24);    // MPEG 2, 8 kbit/s, 24,000 Hz: the smallest
    EXPECT_EQ(LengthOf(0xFFE31800), 72);    // MPEG 2.5, 8 kbit/s, 8,000 Hz
    EXPECT_EQ(LengthOf(0xFFE3E800), 1440);  // MPEG 2.5, 160 kbit/s, 8,000 Hz (no encoder makes it)
    EXPECT_EQ(LengthOf(0xFFF3E400), 480);   // MPEG 2, 160 kbit/s, 24,000 Hz
    EXPECT_EQ(LengthOf(0xFFFA9000), 417);   // protection bit clear: a CRC follows, same length
    EXPECT_EQ(LengthOf(0xFFFB9003), 417);   // emphasis 3 is accepted
    EXPECT_EQ(LengthOf(0xFFFB90FD), 417);   // mode, extension and flag bits are ignored
    EXPECT_EQ(LengthOf(0xFFFB9100), 417);   // the private bit is ignored
}

TEST(FrameHeader, RejectedHeadersGiveMinusOne)
{
    EXPECT_EQ(LengthOf(0xFFFD9000), -1);  // Layer II
    EXPECT_EQ(LengthOf(0xFFFF9000), -1);  // Layer I
    EXPECT_EQ(LengthOf(0xFFF99000), -1);  // layer bits 00 (reserved)
    EXPECT_EQ(LengthOf(0xFFEB9000), -1);  // reserved version
    EXPECT_EQ(LengthOf(0xFFFB0000), -1);  // free format
    EXPECT_EQ(LengthOf(0xFFFBF000), -1);  // bitrate index 15
    EXPECT_EQ(LengthOf(0xFFFB9C00), -1);  // sample-rate index 3
    EXPECT_EQ(LengthOf(0xFFFB9002), -1);  // emphasis 2
    EXPECT_EQ(LengthOf(0xFFDB9000), -1);  // only ten of the eleven sync bits
    EXPECT_EQ(LengthOf(0xFEFB9000), -1);  // first byte not 0xFF
    EXPECT_EQ(MP3FrameLength(nullptr), -1);
}

TEST(FrameHeader, EveryAcceptedHeaderLiesWithinTheFrameSizeBounds)
{
    for (uint32_t b1 = 0xE0; b1 <= 0xFF; ++b1)
        for (uint32_t b2 = 0; b2 <= 0xFF; ++b2)
            for (uint32_t b3 : {0x00u, 0x01u, 0x02u, 0x03u, 0xC4u}) {
                uint8_t h[4] = {0xFF, static_cast<uint8_t>(b1), static_cast<uint8_t>(b2), static_cast<uint8_t>(b3)};
                int32_t length = MP3FrameLength(h);
                if (length == -1) continue;
                EXPECT_GE(length, 24);
                EXPECT_LE(length, 1441);
                EXPECT_EQ((b1 >> 1) & 3, 1u) << "only Layer III is accepted";
            }
}

// Walking a real encoder's file from its first frame by MP3FrameLength lands
// exactly on the end of its audio, and finds as many frames as ffprobe and
// mpg123 decode (plus the encoder's Info/Xing frame, which they do not count
// as audio).
TEST(FrameHeader, WalkOfEncodedFilesMatchesTheDecoders)
{
    std::vector<FixtureInfo> fixtures = LoadFixtureManifest();
    ASSERT_GT(fixtures.size(), 120u);
    int versions[3] = {0, 0, 0};
    for (const FixtureInfo& f : fixtures) {
        SCOPED_TRACE(f.name);
        std::vector<uint8_t> data = ReadFileBytes(FixturePath(f.name));
        data.resize(data.size() + 4, 0);  // the last header test may read past the data
        int64_t p = f.audioStart;
        int frames = 0;
        while (p < f.audioEnd) {
            int32_t length = MP3FrameLength(&data[static_cast<size_t>(p)]);
            ASSERT_GT(length, 0) << "no frame at offset " << p;
            p += length;
            ++frames;
        }
        EXPECT_EQ(p, f.audioEnd);
        const int audioFrames = frames - (f.infoFrame ? 1 : 0);
        // ffprobe takes the frames inside an APEv2 tag followed by ID3v1 for audio.
        if (f.name != "tag_frames_in_tags.mp3") {
            EXPECT_EQ(audioFrames, f.ffprobePackets);
        }
        EXPECT_EQ(audioFrames, f.mpg123Frames);
        versions[f.version == "1" ? 0 : f.version == "2" ? 1 : 2]++;
    }
    EXPECT_GT(versions[0], 40);
    EXPECT_GT(versions[1], 40);
    EXPECT_GT(versions[2], 20);
}

}  // namespace
