// Cuts of every lame-made fixture and every file made by others: the new
// file holds exactly the selected frames of its source, and (natively) the
// mpg123 decoder and the mutagen tag reader find nothing wrong with it.
#include "app_state.h"
#include "bit_reservoir.h"
#include "cutter.h"
#include "engine_fixture.h"
#include "frame_index.h"
#include "frame_scan.h"
#include "judges.h"
#include "vbr_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

class CutJudgesTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        MakeFolder(dir.File("out"));
    }

    // Loads a copy of the file, cuts the given share of it and checks the new
    // file's frames; returns the new file's path ("" when nothing was made).
    std::string Cut(const std::string& from, float startShare, float endShare)
    {
        const std::string source = CopyIn(from, "source.mp3");
        Load(source);
        strcpy(g_state.szOutputFolder, dir.File("out").c_str());
        Select(g_state.fDuration * startShare, g_state.fDuration * endShare);
        const FrameSpan span = MP3MapSelection(g_state.nFrames, g_state.fStart, g_state.fEnd, g_state.fDuration);
        ui.messages.clear();
        MP3Split();
        if (ui.messages.size() != 1 || ui.messages[0].flags != (MB_ICONQUESTION | MB_YESNO)) {
            ADD_FAILURE() << "the cut did not finish";
            return "";
        }
        const std::string made = g_state.szScratch;
        EXPECT_EQ(AudioOf(ReadFileBytes(made)), FramesOf(ReadFileBytes(source), span.i, span.j));
        return made;
    }
};

TEST_F(CutJudgesTest, LameFilesOfEveryVersionRateAndMode)
{
    for (const FixtureInfo& info : LoadFixtureManifest()) {
        SCOPED_TRACE(info.name);
        // A middle part, and a part from the start, which would take the
        // encoder's Info frame along.
        for (float start : {0.25f, 0.0f}) {
            const std::string made = Cut(FixturePath(info.name), start, start + 0.5f);
            if (made.empty()) continue;
#ifndef _WIN32
            EXPECT_EQ(Mpg123Complaints(made), "");
            if (info.name.rfind("tag_", 0) == 0 && start == 0.0f) {
                const auto frames = MutagenFrames(made);
                EXPECT_EQ(frames.size(), 3u);
                EXPECT_EQ(frames.count("TPE1") + frames.count("TALB") + frames.count("TIT2"), 3u);
            }
#endif
            std::remove(made.c_str());  // the next cut takes the same name again
        }
    }
}

TEST_F(CutJudgesTest, FilesMadeByOthers)
{
    const std::vector<std::string> names = TestdataFiles({".mp3", ".bit"});
    if (names.empty()) GTEST_SKIP() << "real-world files not present";
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string made = Cut(TestdataPath(name), 0.25f, 0.75f);
        if (made.empty()) continue;
#ifndef _WIN32
        // What decodes cleanly must still decode cleanly when cut. (A cut of a
        // file without Layer III audio holds nothing to decode; and after a
        // single frame mpg123 takes the ID3v1 tag for a broken frame, as it does
        // with the source's own frame and tag.)
        const std::vector<uint8_t> audio = AudioOf(ReadFileBytes(made));
        if (MP3ScanFrames(audio.data(), static_cast<int64_t>(audio.size()), nullptr) >= 2 &&
            Mpg123Complaints(TestdataPath(name)).empty()) {
            EXPECT_EQ(Mpg123Complaints(made), "");
        }
#endif
        std::remove(made.c_str());
    }
}

TEST(VbrHeader, TheEncodersHeaderFramesAreKnownAndAudioIsNot)
{
    for (const FixtureInfo& info : LoadFixtureManifest()) {
        SCOPED_TRACE(info.name);
        const std::vector<uint8_t> file = ReadFileBytes(FixturePath(info.name));
        const int32_t count = MP3ScanFrames(file.data(), static_cast<int64_t>(file.size()), nullptr);
        std::vector<FrameEntry> frames(static_cast<size_t>(count));
        MP3ScanFrames(file.data(), static_cast<int64_t>(file.size()), frames.data());
        for (size_t k = 0; k < frames.size(); ++k) {
            const int32_t length = std::min<int32_t>(frames[k].nLength, static_cast<int32_t>(file.size()) - frames[k].nOffset);
            EXPECT_EQ(IsVbrHeaderFrame(file.data() + frames[k].nOffset, length), k == 0 && info.infoFrame) << k;
        }
    }
    // A Fraunhofer VBRI header, 32 bytes after the frame header.
    std::vector<uint8_t> vbri(417, 0);
    vbri[0] = 0xFF, vbri[1] = 0xFB, vbri[2] = 0x90, vbri[3] = 0x00;
    memcpy(vbri.data() + 36, "VBRI", 4);
    EXPECT_TRUE(IsVbrHeaderFrame(vbri.data(), 417));
    EXPECT_FALSE(IsVbrHeaderFrame(vbri.data(), 39)) << "only bytes of the frame are read";
}

// The first frame of a cut draws on frames that are not copied: it becomes a
// frame of silence with its data bytes kept, and its CRC made right by the
// same rule lame follows.
TEST(BitReservoir, AFirstFrameThatNeedsEarlierBytesBecomesSilence)
{
    for (const char* fixture : {"crc_v1_44100_2ch.mp3", "crc_v2_22050_1ch.mp3", "cbr_v2.5_8000_24k.mp3"}) {
        SCOPED_TRACE(fixture);
        const std::vector<uint8_t> file = ReadFileBytes(FixturePath(fixture));
        std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(file.data(), static_cast<int64_t>(file.size()), nullptr)));
        MP3ScanFrames(file.data(), static_cast<int64_t>(file.size()), frames.data());
        ASSERT_GT(frames.size(), 4u);
        const bool crc = MP3CrcBytes(file.data() + frames[2].nOffset) != 0;
        for (size_t k = 1; k + 1 < frames.size() && crc; ++k) {
            const uint8_t* f = file.data() + frames[k].nOffset;
            EXPECT_EQ(MP3FrameCrc(f), f[4] << 8 | f[5]) << "the CRC lame wrote, frame " << k;
        }
        const FrameEntry& second = frames[2];
        ASSERT_GT(MP3MainDataBegin(file.data() + second.nOffset, second.nLength), 0);
        std::vector<uint8_t> frame(file.begin() + second.nOffset, file.begin() + second.nOffset + second.nLength);
        ASSERT_TRUE(MP3MakeSilentFrame(frame.data(), second.nLength));
        const int32_t side = 4 + MP3CrcBytes(frame.data());
        const int32_t data = side + MP3SideInfoBytes(frame.data());
        EXPECT_EQ(MP3MainDataBegin(frame.data(), second.nLength), 0);
        EXPECT_TRUE(std::all_of(frame.begin() + side, frame.begin() + data, [](uint8_t b) { return b == 0; }));
        EXPECT_TRUE(std::equal(frame.begin(), frame.begin() + 4, file.begin() + second.nOffset)) << "header kept";
        EXPECT_TRUE(std::equal(frame.begin() + data, frame.end(), file.begin() + second.nOffset + data)) << "data kept";
        if (crc) {
            EXPECT_EQ(MP3FrameCrc(frame.data()), frame[4] << 8 | frame[5]);
        }
    }
    uint8_t tooShort[8] = {0xFF, 0xFB, 0x90, 0x00};
    EXPECT_FALSE(MP3MakeSilentFrame(tooShort, 8));
}

}  // namespace
