// The audio library's decoder against the mpg123 program's decode of the same files (every MPEG version, mono
// and stereo, CBR and VBR, with and without a LAME tag), and on the real-world files.
#include "mp3_decoder.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Equal but for 2 (another synthesis path of the same libmpg123).
bool Same(const int16_t* a, const uint8_t* b, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (std::abs(a[i] - static_cast<int16_t>(b[2 * i] | (b[2 * i + 1] << 8))) > 2) return false;
    return true;
}

// The whole stream, then after seeks to frame starts, inside frames, odd
// bytes (rounded down to a sample frame) and near the end, the samples of
// the full decode from there on.
TEST(Mp3Decoder, LengthSamplesAndSeeksMatchTheMpg123Program)
{
    for (const std::string name : {"cbr_v1_44100_128k", "crc_v1_44100_1ch", "vbr_v1_44100_2ch", "cbr_v2_22050_64k",
                                   "vbr_v2_22050_1ch", "cbr_v2.5_11025_32k", "vbr_v2.5_11025_2ch",
                                   "noinfo_v1_44100_2ch", "noinfo_v2.5_11025_2ch"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> ref = ReadFileBytes(FixturePath(name + ".pcm"));
        Mp3Decoder d;
        ASSERT_EQ(d.Open(FixturePath(name + ".mp3").c_str()), DecoderOpenResult::Ok);
        ASSERT_EQ(d.LengthBytes(), ref.size());
        std::vector<int16_t> all(ref.size() / 2 + 64);
        size_t got = 0;
        for (size_t n; (n = d.Read(all.data() + got / 2, 4098)) > 0;) got += n;
        ASSERT_EQ(got, ref.size());
        EXPECT_TRUE(Same(all.data(), ref.data(), ref.size() / 2));
        const uint32_t block = d.BlockBytes();
        const uint64_t blocks = ref.size() / block;
        for (const uint64_t frame : {uint64_t{1}, uint64_t{575}, uint64_t{1152}, uint64_t{1153}, blocks / 2 + 7,
                                     blocks - 1500}) {
            ASSERT_TRUE(d.SeekToByte(frame * block + (frame % 2 ? block - 1 : 0))) << frame;
            EXPECT_EQ(d.PositionBytes(), frame * block);
            ASSERT_EQ(d.Read(all.data(), 1200 * block), 1200 * block);
            EXPECT_TRUE(Same(all.data(), ref.data() + frame * block, 600 * block)) << frame;
        }
    }
}

// Real-world files, damaged ones included, open and then decode to exactly the length they report (a file that
// ends early shortens it to what it gave), seeks staying inside, or are refused; none crashes or hangs.
TEST(Mp3Decoder, RealWorldFilesDecodeToTheLengthTheyReport)
{
    if (TestdataFiles().empty()) GTEST_SKIP() << "no real-world files beside the repository";
    Mp3Decoder d;
    std::vector<int16_t> buffer(32768);
    const auto readAll = [&] {
        uint64_t total = 0;
        for (size_t n; (n = d.Read(buffer.data(), buffer.size() * 2)) > 0;) total += n;
        return total;
    };
    for (const std::string& name : TestdataFiles()) {
        SCOPED_TRACE(name);
        if (d.Open(name.c_str()) != DecoderOpenResult::Ok) continue;
        const uint64_t promised = d.LengthBytes();
        const uint64_t total = readAll();
        EXPECT_TRUE(total == d.LengthBytes() && total <= promised) << total << " of " << promised;
        const uint64_t middle = total / 2 / d.BlockBytes() * d.BlockBytes();
        const bool landed = d.SeekToByte(middle);
        const uint64_t from = d.PositionBytes();
        const uint64_t rest = readAll();
        EXPECT_LE(from + rest, total);
        EXPECT_TRUE(!landed || total != promised || rest == total - middle) << rest;
    }
}

}  // namespace
