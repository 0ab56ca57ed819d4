// The frame index: exact offsets of synthetic frames, tags that are not
// audio, files made by lame and by others, and MP3GetFrames with its log.
#include "app_state.h"
#include "engine_fixture.h"
#include "frame_header.h"
#include "frame_index.h"
#include "frame_scan.h"
#include "synthetic_mp3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

std::vector<FrameEntry> Scan(const std::vector<uint8_t>& file)
{
    std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(file.data(), static_cast<int64_t>(file.size()), nullptr)));
    EXPECT_EQ(MP3ScanFrames(file.data(), static_cast<int64_t>(file.size()), frames.data()), static_cast<int32_t>(frames.size()));
    return frames;
}

void Append(std::vector<uint8_t>& file, const std::vector<uint8_t>& bytes)
{
    file.insert(file.end(), bytes.begin(), bytes.end());
}

std::vector<uint8_t> Text(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Bytes that hold one acceptable frame header after another: what a picture
// or a binary tag item can contain.
std::vector<uint8_t> FalseFrames()
{
    std::vector<uint8_t> bytes;
    AppendFrames(bytes, kMpeg2_8k_24000, 8);
    return bytes;
}

TEST(FrameScan, BackToBackFramesAreIndexedCompletely)
{
    std::vector<uint8_t> file;
    AppendFrames(file, kMpeg1_128k_44100, 3);
    AppendFrames(file, kMpeg1_128k_44100_Padded, 2);
    AppendFrames(file, kMpeg2_8k_24000, 2);
    AppendFrames(file, kMpeg25_8k_8000, 1);
    const std::vector<FrameEntry> frames = Scan(file);
    const int32_t lengths[] = {417, 417, 417, 418, 418, 24, 24, 72};
    ASSERT_EQ(frames.size(), 8u);
    int32_t offset = 0;
    for (size_t k = 0; k < frames.size(); ++k) {
        EXPECT_EQ(frames[k].nOffset, offset) << k;
        EXPECT_EQ(frames[k].nLength, lengths[k]) << k;
        offset += lengths[k];
    }
}

TEST(FrameScan, FilesWithoutFramesAndCutOffEnds)
{
    EXPECT_TRUE(Scan({}).empty());
    EXPECT_TRUE(Scan(Text("This is a text file, not an MP3 file.\r\n")).empty());

    // Junk before the first frame is skipped byte by byte.
    std::vector<uint8_t> file = Text("junk\xFF\xE0");
    AppendFrames(file, kMpeg1_128k_44100, 2);
    std::vector<FrameEntry> frames = Scan(file);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].nOffset, 6);

    // A last frame cut off in the middle still counts; its end lies past the file.
    file.resize(file.size() - 100);
    frames = Scan(file);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_GT(frames[1].nOffset + frames[1].nLength, static_cast<int32_t>(file.size()));

    // A header cut off in the last three bytes reads zeros beyond them: FF FB 90
    // then 00 is a header, FF FB then 00 00 is not (bitrate index 0).
    std::vector<uint8_t> tail;
    AppendFrames(tail, kMpeg1_128k_44100, 1);
    Append(tail, {0xFF, 0xFB, 0x90});
    EXPECT_EQ(Scan(tail).size(), 2u);
    tail.pop_back();
    EXPECT_EQ(Scan(tail).size(), 1u);
}

TEST(FrameScan, FramesInsideTagsAreNotAudio)
{
    std::vector<uint8_t> audio;
    AppendFrames(audio, kMpeg1_128k_44100, 4);

    // Two ID3v2 tags in front, each holding what looks like frames.
    std::vector<uint8_t> file = Id3v2Tag(400, FalseFrames());
    Append(file, Id3v2Tag(300, FalseFrames()));
    const int32_t audioStart = static_cast<int32_t>(file.size());
    Append(file, audio);
    // At the end: an APEv2 tag with header and footer, a Lyrics3 v2 tag and
    // an ID3v1 tag, all holding frame headers.
    const std::vector<uint8_t> items = FalseFrames();
    auto apeBlock = [&](uint32_t flags) {
        std::vector<uint8_t> block = Text("APETAGEX");
        const uint32_t size = static_cast<uint32_t>(items.size() + 32), fields[] = {2000, size, 1, flags};
        for (uint32_t v : fields)
            for (int k = 0; k < 4; ++k) block.push_back(static_cast<uint8_t>(v >> (8 * k)));
        block.resize(32, 0);
        return block;
    };
    Append(file, apeBlock(0xA0000000u));
    Append(file, items);
    Append(file, apeBlock(0x80000000u));
    std::vector<uint8_t> lyrics = Text("LYRICSBEGININD0000200");
    Append(lyrics, FalseFrames());
    Append(file, lyrics);
    char size[8];
    snprintf(size, sizeof size, "%06zu", lyrics.size());
    Append(file, Text(std::string(size) + "LYRICS200"));
    std::vector<uint8_t> v1 = Text("TAG");
    Append(v1, HeaderBytes(kMpeg2_8k_24000));
    v1.resize(128, 0);
    Append(file, v1);

    const AudioRange range = MP3FindAudioRange(file.data(), static_cast<int64_t>(file.size()));
    EXPECT_EQ(range.nStart, audioStart);
    EXPECT_EQ(range.nEnd, audioStart + static_cast<int64_t>(audio.size()));
    const std::vector<FrameEntry> frames = Scan(file);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].nOffset, audioStart);

    // An ID3v2 tag appended with a footer ("3DI") at the very end.
    std::vector<uint8_t> appended = audio;
    std::vector<uint8_t> tag = Id3v2Tag(200, FalseFrames());
    tag[3] = 4;
    tag[5] = 0x10;  // footer present
    std::vector<uint8_t> footer(tag.begin(), tag.begin() + 10);
    footer[0] = '3', footer[1] = 'D', footer[2] = 'I';
    Append(appended, tag);
    Append(appended, footer);
    EXPECT_EQ(Scan(appended).size(), 4u);
}

TEST(FrameScan, TagsThatDoNotAddUpAreScannedAsData)
{
    std::vector<uint8_t> audio;
    AppendFrames(audio, kMpeg1_128k_44100, 4);

    // An APEv2 footer claiming more bytes than the file has is not a tag.
    std::vector<uint8_t> file = audio;
    std::vector<uint8_t> footer = Text("APETAGEX");
    const uint8_t fields[] = {0xD0, 0x07, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    footer.insert(footer.end(), fields, fields + sizeof fields);
    footer.resize(32, 0);
    Append(file, footer);
    EXPECT_EQ(MP3FindAudioRange(file.data(), static_cast<int64_t>(file.size())).nEnd, static_cast<int64_t>(file.size()));

    // An ID3v2 tag claiming more bytes than the file has leaves no audio.
    std::vector<uint8_t> huge = Id3v2Tag(20);
    huge[6] = 0x7F;
    Append(huge, audio);
    EXPECT_TRUE(Scan(huge).empty());

    // A header with a size byte above 0x7F is not an ID3v2 header.
    std::vector<uint8_t> bad = Id3v2Tag(20);
    bad[9] = 0x80;
    Append(bad, audio);
    EXPECT_EQ(MP3FindAudioRange(bad.data(), static_cast<int64_t>(bad.size())).nStart, 0);
    EXPECT_EQ(Scan(bad).size(), 4u);
}

// Bytes arriving in chunks of any size are scanned to the same frames as the
// whole file: tags and frames cut by the chunks' ends, a header within the
// last three bytes of the audio, trailing tags holding frame headers.
TEST(FrameScan, ChunksFindTheSameFramesAsTheWholeFile)
{
    std::vector<std::vector<uint8_t>> files;
    std::vector<uint8_t> file = Id3v2Tag(300, FalseFrames());
    Append(file, Id3v2Tag(50, FalseFrames()));
    AppendFrames(file, kMpeg1_128k_44100, 3);
    Append(file, {0xFF, 0xFB, 0x90});  // cut-off header right at the end of the audio
    std::vector<uint8_t> v1 = Text("TAG");
    Append(v1, HeaderBytes(kMpeg2_8k_24000));
    v1.resize(128, 0);
    Append(file, v1);
    files.push_back(file);
    files.push_back(ReadFileBytes(FixturePath("tag_frames_in_tags.mp3")));
    files.push_back(ReadFileBytes(FixturePath("vbr_v2.5_11025_1ch.mp3")));
    for (const std::vector<uint8_t>& bytes : files) {
        const std::vector<FrameEntry> whole = Scan(bytes);
        for (int64_t chunk : {1, 3, 7, 64, 417, 4096}) {
            SCOPED_TRACE(chunk);
            FrameScanner scanner(bytes.data(), static_cast<int64_t>(bytes.size()));
            for (int64_t end = 0; end < static_cast<int64_t>(bytes.size());) {
                end = std::min<int64_t>(static_cast<int64_t>(bytes.size()), end + chunk);
                scanner.Advance(end);
            }
            std::vector<FrameEntry> chunked(static_cast<size_t>(scanner.Finish()));
            scanner.CopyTo(chunked.data());
            ASSERT_EQ(chunked.size(), whole.size());
            EXPECT_EQ(memcmp(chunked.data(), whole.data(), whole.size() * sizeof(FrameEntry)), 0);
        }
    }
}

// Files made by lame, every version, rate, bitrate and mode: the index starts
// where the tags end, runs frame by frame to where the tags begin, and holds
// the frames the judges count plus lame's Info frame.
TEST(FrameScan, AgreesWithTheJudgesOnLameFiles)
{
    for (const FixtureInfo& info : LoadFixtureManifest()) {
        SCOPED_TRACE(info.name);
        const std::vector<uint8_t> file = ReadFileBytes(FixturePath(info.name));
        const std::vector<FrameEntry> frames = Scan(file);
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.front().nOffset, info.audioStart);
        EXPECT_EQ(frames.back().nOffset + frames.back().nLength, info.audioEnd);
        for (size_t k = 1; k < frames.size(); ++k)
            ASSERT_EQ(frames[k].nOffset, frames[k - 1].nOffset + frames[k - 1].nLength) << k;
        EXPECT_EQ(static_cast<int>(frames.size()), info.mpg123Frames + (info.infoFrame ? 1 : 0));
    }
}

// Files made by others, with what their catalogue says: tags full of false
// frame headers, APEv2, Lyrics3 and appended ID3v2 tags.
TEST(FrameScan, AgreesWithTheCatalogueOnTaggedFilesOfOthers)
{
    struct Expected {
        const char* name;
        size_t frames;
        int32_t first;
        int32_t end;  // end of the last frame
    } const files[] = {
        {"mp3agic__v1andv23tagswithalbumimage-utf16le.mp3", 7, 3147, 6016},  // 24 false headers in its tag
        {"mp3agic__v24tagswithalbumimage.mp3", 7, 3147, 6016},
        {"mutagen__apev2-lyricsv2.mp3", 76, 1280, 49511},                   // APEv2, Lyrics3 v2, ID3v1
        {"mutagen__audacious-trailing-id32-apev2.mp3", 31, 0, 2556},        // APEv2, appended ID3v2
        {"mutagen__audacious-trailing-id32-id31.mp3", 143, 0, 14942},       // ID3v1, appended ID3v2
        {"music-metadata__id3v2-xheader.mp3", 19, 1050, 8991},
        {"mutagen__silence-44-s.mp3", 143, 1314, 16256},
    };
    for (const Expected& expected : files) {
        SCOPED_TRACE(expected.name);
        const std::string path = TestdataPath(expected.name);
        if (path.empty()) GTEST_SKIP() << "real-world files not present";
        const std::vector<FrameEntry> frames = Scan(ReadFileBytes(path));
        ASSERT_EQ(frames.size(), expected.frames);
        EXPECT_EQ(frames.front().nOffset, expected.first);
        EXPECT_EQ(frames.back().nOffset + frames.back().nLength, expected.end);
    }
}

class GetFramesTest : public EngineTest {};

// The index holds the audio frames; lame's Info frame, first in the file,
// is kept apart and counts in neither log line.
TEST_F(GetFramesTest, BuildsTheIndexWithItsLogLines)
{
    const std::string path = CopyIn(FixturePath("tag_v1v2.mp3"), "歌曲.mp3");
    strcpy(g_state.szSourcePath, path.c_str());
    MP3GetFrames();
    std::vector<FrameEntry> expected = Scan(ReadFileBytes(path));
    const FrameEntry info = expected.front();
    expected.erase(expected.begin());
    ASSERT_EQ(g_state.nFrames, static_cast<int32_t>(expected.size()));
    EXPECT_EQ(memcmp(g_state.pFrames, expected.data(), expected.size() * sizeof(FrameEntry)), 0);
    EXPECT_EQ(g_state.feInfoFrame.nOffset, info.nOffset);
    EXPECT_EQ(g_state.feInfoFrame.nLength, info.nLength);
    const std::string count = std::to_string(expected.size());
    const std::vector<std::string> lines = {"MP3GetFrames", "    mp3 文件: " + path,
                                            "    大小: " + std::to_string(ReadFileBytes(path).size()),
                                            "    帧数: " + count, "    帧数: " + count};
    EXPECT_EQ(LogLines(), lines);
}

// Every lame file: the index holds as many frames as mpg123 decodes, and the
// Info frame apart exactly when lame wrote one.
TEST_F(GetFramesTest, TheIndexHoldsTheFramesADecoderPlays)
{
    for (const FixtureInfo& info : LoadFixtureManifest()) {
        SCOPED_TRACE(info.name);
        strcpy(g_state.szSourcePath, FixturePath(info.name).c_str());
        MP3GetFrames();
        EXPECT_EQ(g_state.nFrames, info.mpg123Frames);
        EXPECT_EQ(g_state.feInfoFrame.nLength > 0, info.infoFrame);
        if (info.infoFrame) {
            EXPECT_EQ(g_state.feInfoFrame.nOffset, info.audioStart);
        }
    }
}

TEST_F(GetFramesTest, AnEmptyFileGivesAnEmptyIndex)
{
    const std::string path = dir.File("empty.mp3");
    WriteFileBytes(path, {});
    strcpy(g_state.szSourcePath, path.c_str());
    MP3GetFrames();
    EXPECT_EQ(g_state.nFrames, 0);
    const std::vector<std::string> lines = {"MP3GetFrames", "    mp3 文件: " + path, "    大小: 0", "    帧数: 0",
                                            "    帧数: 0"};
    EXPECT_EQ(LogLines(), lines);
}

// A source that cannot be opened for writing: read-only, or held open by a
// player that lets others only read it.
TEST_F(GetFramesTest, ASourceThatCannotBeWrittenIsIndexedLikeAnyOther)
{
    const std::string path = CopyIn(FixturePath("cbr_v1_44100_128k.mp3"), "readonly.mp3");
    const int32_t expected = static_cast<int32_t>(Scan(ReadFileBytes(path)).size()) - 1;  // lame's Info frame
    strcpy(g_state.szSourcePath, path.c_str());
    bool prevented = false;
    {
        ReadShareLock player(path);
        prevented |= player.Held();
        MP3GetFrames();
        EXPECT_EQ(g_state.nFrames, expected);
    }
    ReplaceFrameIndex(0);
    prevented |= MakeReadOnly(path);
    MP3GetFrames();
    MakeWritable(path);
    EXPECT_EQ(g_state.nFrames, expected);
    if (!prevented) GTEST_SKIP() << "nothing stops this user from writing the file here";
}

TEST_F(GetFramesTest, ASourceThatCannotBeReadLeavesNoIndexOfAnotherFile)
{
    strcpy(g_state.szSourcePath, CopyIn(FixturePath("cbr_v1_44100_128k.mp3"), "first.mp3").c_str());
    MP3GetFrames();
    ASSERT_GT(g_state.nFrames, 0);

    for (const std::string& path : {dir.File("missing.mp3"), dir.Path()}) {
        SCOPED_TRACE(path);
        const size_t before = LogLines().size();
        strcpy(g_state.szSourcePath, path.c_str());
        MP3GetFrames();
        EXPECT_EQ(g_state.nFrames, 0);
        EXPECT_EQ(g_state.pFrames, nullptr);
        const std::vector<std::string> lines = {"MP3GetFrames", "    mp3 文件: " + path};
        EXPECT_EQ(LogLinesFrom(before), lines);
    }
}

TEST_F(GetFramesTest, ASourceOf2GiBOrMoreIsRejectedWithoutReadingIt)
{
    // A sparse file: 2 GiB of size, hardly any disk.
    const std::string path = dir.File("huge.mp3");
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp((int64_t(1) << 31) - 1);
        out.put('\0');
        ASSERT_TRUE(out.good()) << "cannot make a 2 GiB sparse file here";
    }
    strcpy(g_state.szSourcePath, path.c_str());
    MP3GetFrames();
    EXPECT_EQ(g_state.nFrames, 0);
    const std::vector<std::string> lines = {"MP3GetFrames", "    mp3 文件: " + path};
    EXPECT_EQ(LogLines(), lines);
}

}  // namespace
