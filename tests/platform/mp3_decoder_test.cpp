// The audio library's portable cores: the decoder against the mpg123
// program's own decode of the same files (every MPEG version, mono and
// stereo, CBR and VBR, with and without a LAME tag), and the background tile.
#include "fill_texture.h"
#include "mp3_decoder.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The reference decode of a fixture (x.mp3 -> x.pcm): 16-bit samples.
std::vector<int16_t> ReferencePcm(const std::string& mp3)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(FixturePath(mp3.substr(0, mp3.rfind('.')) + ".pcm"));
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

// Two decodes by libmpg123 differ by at most 2 (another synthesis path).
bool SameSamples(const int16_t* a, const int16_t* b, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (std::abs(a[i] - b[i]) > 2) return false;
    return true;
}

// The whole stream, then after seeks to frame starts, inside frames, odd
// bytes (rounded down to a sample frame) and near the end, exactly the
// samples of the full decode from there on.
TEST(Mp3Decoder, LengthSamplesAndSeeksMatchTheMpg123Program)
{
    for (const char* name : {"cbr_v1_44100_128k.mp3", "crc_v1_44100_1ch.mp3", "vbr_v1_44100_2ch.mp3",
                             "cbr_v2_22050_64k.mp3", "vbr_v2_22050_1ch.mp3", "cbr_v2.5_11025_32k.mp3",
                             "vbr_v2.5_11025_2ch.mp3", "noinfo_v1_44100_2ch.mp3", "noinfo_v2.5_11025_2ch.mp3"}) {
        SCOPED_TRACE(name);
        const std::vector<int16_t> ref = ReferencePcm(name);
        Mp3Decoder d;
        ASSERT_EQ(d.Open(FixturePath(name).c_str()), DecoderOpenResult::Ok);
        const uint32_t block = d.BlockBytes();
        ASSERT_EQ(d.LengthBytes(), ref.size() * 2);
        std::vector<int16_t> all(ref.size() + 64);
        size_t got = 0;
        for (size_t n; (n = d.Read(all.data() + got / 2, 4098)) > 0;) got += n;
        ASSERT_EQ(got, ref.size() * 2);
        EXPECT_TRUE(SameSamples(all.data(), ref.data(), ref.size()));
        const uint64_t frames = d.LengthBytes() / block;
        for (uint64_t frame : {uint64_t{1}, uint64_t{575}, uint64_t{1152}, uint64_t{1153}, frames / 2 + 7, frames - 1500}) {
            ASSERT_TRUE(d.SeekToByte(frame * block + (frame % 2 ? block - 1 : 0))) << frame;
            EXPECT_EQ(d.PositionBytes(), frame * block);
            std::vector<int16_t> after(1200 * block / 2);
            ASSERT_EQ(d.Read(after.data(), after.size() * 2), after.size() * 2);
            EXPECT_TRUE(SameSamples(after.data(), ref.data() + frame * d.Channels(), after.size())) << frame;
        }
        EXPECT_FALSE(d.SeekToByte(d.LengthBytes() + block));
    }
}

// The tile repeats without a seam, is light and calm enough for black text,
// and yet is a texture.
TEST(FillTexture, TilesWithoutASeamAndStaysLightAndCalm)
{
    FillTextureParams p;  // what the program asks for
    const std::vector<uint32_t> px = MakeFillTexture(p);
    const auto at = [&](int x, int y) {
        const uint32_t v = px[static_cast<size_t>(y % p.heightPx) * p.widthPx + x % p.widthPx];
        return static_cast<int>(((v >> 16) & 0xFF) + ((v >> 8) & 0xFF) + (v & 0xFF)) / 3;
    };
    int inside = 0, across = 0, lo = 255, hi = 0;
    for (int y = 0; y < p.heightPx; ++y)
        for (int x = 0; x < p.widthPx; ++x) {
            const int step = std::max(std::abs(at(x, y) - at(x + 1, y)), std::abs(at(x, y) - at(x, y + 1)));
            (x == p.widthPx - 1 || y == p.heightPx - 1 ? across : inside) = std::max(x == p.widthPx - 1 || y == p.heightPx - 1 ? across : inside, step);
            lo = std::min(lo, at(x, y));
            hi = std::max(hi, at(x, y));
        }
    EXPECT_LE(across, inside);
    EXPECT_LE(inside, 8);
    EXPECT_GT(lo, 200);
    EXPECT_GE(hi - lo, 10);
    EXPECT_LE(hi - lo, 34);
}

}  // namespace
