// The decoding core against the mpg123 program's own decode of the same
// files: lengths, every sample, and what comes out right after a seek.
#include "mp3_decoder.h"

#include "audio_test_files.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

// Largest difference between two decodes of the same stream by libmpg123
// (the same version, possibly another of its CPU-specific synthesis paths).
constexpr int kMaxSampleDifference = 2;

std::vector<int16_t> ReadAll(Mp3Decoder& d, size_t chunkBytes = 4096 + 2)
{
    std::vector<int16_t> out;
    std::vector<int16_t> buf(chunkBytes / 2 + 1);
    for (;;) {
        size_t got = d.Read(buf.data(), chunkBytes);
        out.insert(out.end(), buf.begin(), buf.begin() + static_cast<long>(got / 2));
        if (got == 0) break;
    }
    return out;
}

int MaxDifference(const int16_t* a, const int16_t* b, size_t n)
{
    int worst = 0;
    for (size_t i = 0; i < n; ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

// The shift (in sample frames) of got against ref around frame at that fits
// best, searched in -range..range: 0 when the seek landed exactly.
long BestLag(const std::vector<int16_t>& ref, size_t frameAt, const std::vector<int16_t>& got, int channels,
             long range)
{
    long best = 0;
    long long bestCost = -1;
    for (long lag = -range; lag <= range; ++lag) {
        long long start = static_cast<long long>(frameAt) + lag;
        if (start < 0) continue;
        size_t s = static_cast<size_t>(start) * channels;
        size_t n = std::min(got.size(), ref.size() > s ? ref.size() - s : 0);
        if (n < got.size() / 2) continue;
        long long cost = 0;
        for (size_t i = 0; i < n; ++i) cost += std::abs(got[i] - ref[s + i]);
        cost = cost * static_cast<long long>(got.size()) / static_cast<long long>(n);
        if (bestCost < 0 || cost < bestCost) {
            bestCost = cost;
            best = lag;
        }
    }
    return best;
}

std::string VersionOf(const std::string& name)
{
    for (const char* v : {"v2.5", "v2", "v1"})
        if (name.find(std::string("_") + v + "_") != std::string::npos) return v;
    return "?";
}

TEST(Mp3Decoder, LengthAndSamplesMatchTheMpg123Program)
{
    std::vector<std::string> names = ReferenceDecodedFixtures();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::vector<int16_t> ref = ReferencePcm(name);
        ASSERT_FALSE(ref.empty());
        Mp3Decoder d;
        ASSERT_EQ(d.Open(FixturePath(name).c_str()), DecoderOpenResult::Ok);
        EXPECT_EQ(d.LengthBytes(), ref.size() * 2);
        EXPECT_EQ(d.BlockBytes(), static_cast<uint32_t>(d.Channels() * 2));
        std::vector<int16_t> all = ReadAll(d);
        ASSERT_EQ(all.size(), ref.size());
        EXPECT_LE(MaxDifference(all.data(), ref.data(), ref.size()), kMaxSampleDifference);
        EXPECT_EQ(d.PositionBytes(), d.LengthBytes());
        EXPECT_EQ(d.Read(all.data(), 1024), 0u);
    }
}

TEST(Mp3Decoder, FormatAndSecondsFollowTheFile)
{
    for (const FixtureInfo& f : LoadFixtureManifest()) {
        if (f.name.rfind("cbr_", 0) != 0 && f.name.rfind("vbr_", 0) != 0) continue;
        SCOPED_TRACE(f.name);
        Mp3Decoder d;
        ASSERT_EQ(d.Open(FixturePath(f.name).c_str()), DecoderOpenResult::Ok);
        EXPECT_EQ(d.RateHz(), f.rate);
        EXPECT_EQ(d.Channels(), f.channels);
        EXPECT_DOUBLE_EQ(d.BytesToSeconds(static_cast<uint64_t>(f.rate) * f.channels * 2), 1.0);
        // With a LAME tag the stream is exactly what was encoded: the
        // fixture script's 0.6 s (CBR) or 1.5 s (VBR) in whole samples.
        if (f.infoFrame) {
            uint64_t samples = static_cast<uint64_t>(f.rate * (f.vbr ? 1.5 : 0.6));
            EXPECT_EQ(d.LengthBytes(), samples * d.BlockBytes());
        }
    }
}

// After a seek to any byte, the next samples are exactly those of the full
// decode from that sample frame on. Prints what it measured per version.
TEST(Mp3Decoder, SeekIsSampleAccurate)
{
    std::map<std::string, int> worstLag;
    std::map<std::string, int> worstDiff;
    for (const std::string& name : ReferenceDecodedFixtures()) {
        SCOPED_TRACE(name);
        std::vector<int16_t> ref = ReferencePcm(name);
        Mp3Decoder d;
        ASSERT_EQ(d.Open(FixturePath(name).c_str()), DecoderOpenResult::Ok);
        const uint32_t block = d.BlockBytes();
        const int channels = d.Channels();
        const uint64_t frames = d.LengthBytes() / block;
        ASSERT_GT(frames, 4000u);
        // Frame starts, inside frames, odd bytes (rounded down), near the end.
        std::vector<uint64_t> targets = {1, 575, 576, 1151, 1152, 1153, 3001, frames / 2 + 7, frames - 1500};
        std::string version = VersionOf(name);
        for (uint64_t frame : targets) {
            SCOPED_TRACE(frame);
            uint64_t byte = frame * block + (frame % 2 ? block - 1 : 0);
            ASSERT_TRUE(d.SeekToByte(byte));
            EXPECT_EQ(d.PositionBytes(), frame * block);
            size_t want = std::min<uint64_t>(1200, frames - frame) * block;
            std::vector<int16_t> got(want / 2);
            ASSERT_EQ(d.Read(got.data(), want), want);
            long lag = BestLag(ref, frame, got, channels, 1152);
            int diff = MaxDifference(got.data(), ref.data() + frame * channels, got.size());
            worstLag[version] = std::max<int>(worstLag[version], static_cast<int>(std::labs(lag)));
            worstDiff[version] = std::max(worstDiff[version], diff);
            EXPECT_EQ(lag, 0);
            EXPECT_LE(diff, kMaxSampleDifference);
        }
        // To the very end, and back to the start.
        ASSERT_TRUE(d.SeekToByte(d.LengthBytes()));
        std::vector<int16_t> none(8);
        EXPECT_EQ(d.Read(none.data(), 16), 0u);
        ASSERT_TRUE(d.SeekToByte(0));
        EXPECT_EQ(ReadAll(d).size(), ref.size());
    }
    for (const auto& [version, lag] : worstLag)
        std::cout << "seek accuracy MPEG " << version.substr(1) << ": worst offset " << lag
                  << " samples, worst sample difference " << worstDiff[version] << " (of 32767)\n";
}

TEST(Mp3Decoder, ASeekBeyondTheEndChangesNothing)
{
    Mp3Decoder d;
    ASSERT_EQ(d.Open(FixturePath("cbr_v1_44100_128k.mp3").c_str()), DecoderOpenResult::Ok);
    ASSERT_TRUE(d.SeekToByte(4000));
    EXPECT_FALSE(d.SeekToByte(d.LengthBytes() + 4));
    EXPECT_EQ(d.PositionBytes(), 4000u);
}

TEST(Mp3Decoder, FilesThatCannotBePlayedAreRefused)
{
    TempDir dir;
    Mp3Decoder d;
    EXPECT_EQ(d.Open(dir.File("missing.mp3").c_str()), DecoderOpenResult::FileNotOpened);
    EXPECT_EQ(d.Open(nullptr), DecoderOpenResult::FileNotOpened);
    WriteFileBytes(dir.File("empty.mp3"), {});
    EXPECT_EQ(d.Open(dir.File("empty.mp3").c_str()), DecoderOpenResult::NotDecodable);
    std::string text = "This is a text file, not an MP3.\r\n";
    std::vector<uint8_t> textBytes;
    for (int i = 0; i < 200; ++i) textBytes.insert(textBytes.end(), text.begin(), text.end());
    WriteFileBytes(dir.File("text.mp3"), textBytes);
    EXPECT_EQ(d.Open(dir.File("text.mp3").c_str()), DecoderOpenResult::NotDecodable);
    EXPECT_FALSE(d.IsOpen());
    EXPECT_EQ(d.LengthBytes(), 0u);
    EXPECT_EQ(d.BytesToSeconds(1000), 0.0);
    EXPECT_FALSE(d.SeekToByte(0));
    int16_t buf[4];
    EXPECT_EQ(d.Read(buf, sizeof buf), 0u);
}

TEST(Mp3Decoder, OpensAPathInTheProgramsCodePage)
{
    TempDir dir;
    // The literal is stored in code page 936, as every path of the program.
    std::string path = dir.File("测试音乐.mp3");
    WriteFileBytes(path, ReadFileBytes(FixturePath("vbr_v2_22050_2ch.mp3")));
    Mp3Decoder d;
    ASSERT_EQ(d.Open(path.c_str()), DecoderOpenResult::Ok);
    EXPECT_EQ(d.LengthBytes(), ReferencePcm("vbr_v2_22050_2ch.mp3").size() * 2);
}

// Real-world files made by others, damaged ones included: each either opens
// and then decodes to exactly its reported length (a file that ends early,
// like one that changes its sample rate midway, shortens its length to what
// it gave), or is refused; nothing crashes or hangs, positions stay inside.
TEST(Mp3Decoder, RealWorldFilesDecodeToTheirReportedLength)
{
    std::vector<std::string> files = TestdataFiles({".mp3", ".bit"});
    if (files.empty()) GTEST_SKIP() << "no real-world files here";
    int opened = 0;
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        Mp3Decoder d;
        if (d.Open(TestdataPath(name).c_str()) != DecoderOpenResult::Ok) continue;
        ++opened;
        uint64_t promised = d.LengthBytes();
        uint64_t total = ReadAll(d, 65536).size() * 2;
        EXPECT_EQ(total, d.LengthBytes());
        EXPECT_LE(total, promised);
        uint64_t middle = d.LengthBytes() / 2 / d.BlockBytes() * d.BlockBytes();
        bool landed = d.SeekToByte(middle);
        EXPECT_LE(d.PositionBytes(), d.LengthBytes());
        uint64_t from = d.PositionBytes();
        uint64_t rest = ReadAll(d, 65536).size() * 2;
        EXPECT_LE(from + rest, total);
        if (landed && total == promised) {
            EXPECT_EQ(rest, total - middle);
        }
    }
    EXPECT_GT(opened, 0);
}

}  // namespace
