// The cutter: the selection's frames, cuts with their names, log, boxes, failures
// and tags; cuts of every kind of file judged by tests/judge.py.
#include "cutter.h"
#include "decoded_levels.h"
#include "id3lib_guard.h"
#include "id3v2_text.h"
#include "side_info.h"
#include "sound_level.h"
#include "test_support.h"

#include <cmath>
#include <csignal>
#include <fstream>
#include <map>
#include <sstream>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Times to the samples a gapless decoder plays (here after 1,634 of delay, or all) and the frames that hold them.
TEST(SelectionMap, TimesToSamplesOnTheSourcesTimelineAndTheFramesThatHoldThem)
{
    FrameIndex lame, plain, none;
    lame.frames.resize(1000);
    lame.timeline = {44100, 1152, 1634, 1150000};
    plain.frames.resize(100);
    plain.timeline = {22050, 576, 0, 57600};
    const std::tuple<const FrameIndex*, float, float, float, int32_t, int32_t, int64_t, int64_t> cases[] = {
        // index, start, end, duration: i, j, first sample, end sample
        {&lame, 0, 10, 26.04f, 1, 385, 1634, 442634},       {&lame, 0, 26.04f, 26.04f, 1, 999, 1634, 1150000},
        {&lame, -3, 1e30f, 30, 1, 999, 1634, 1150000},      {&lame, NAN, 1, NAN, 1, 40, 1634, 45734},
        {&plain, 1, 2, 2.6f, 38, 77, 22050, 44100},         {&plain, 0.5f, 2.6f, 2.6f, 19, 100, 11025, 57600},
        {&plain, 1.75f / 22050, 1, 2.6f, 0, 39, 2, 22050},  // the nearest sample, not the one before
        {&lame, 5, 5, 26, 0, 0, 0, 0},                      {&lame, 10, 5, 26, 0, 0, 0, 0},
        {&lame, 27, 30, 26.04f, 0, 0, 0, 0},                {&none, 0, 10, 10, 0, 0, 0, 0}};
    for (const auto& [index, start, end, duration, i, j, first, last] : cases) {
        const FrameSpan span = MP3MapSelection(*index, start, end, duration);
        const auto got = std::make_tuple(span.i, span.j, span.nFirstSample, span.nEndSample);
        EXPECT_EQ(got, std::make_tuple(i, j, first, last)) << start << " " << end;
    }
}

class CutTest : public EngineTest {};

// Numbered names from (1), a folder taken, the log of a cut; another extension
// refused when taken; no frame selected: no file, a warning.
TEST_F(CutTest, NamesAndTheLogOfCuts)
{
    const std::string source = Load(FixturePath("cbr_v1_44100_128k.mp3"), "50% off.MP3");
    WriteFileBytes(out + "50% off.MP3", {1});
    MP3Split();
    std::filesystem::create_directory(out + "50% off(2).mp3");
    const size_t before = LogLines().size();
    MP3Split();
    ExpectDone(2);
    EXPECT_EQ(ReadFileBytes(out + "50% off.MP3"), Bytes{1});
    const std::string tried = "    (?) 文件: " + out + "50% off(";
    EXPECT_EQ(LogLines(before), std::vector<std::string>({"MP3Split", "    mp3 文件: " + source,
                                                          "    大小: " + std::to_string(ReadFileBytes(source).size()),
                                                          tried + "1).mp3", tried + "2).mp3", tried + "3).mp3",
                                                          "    新文件: " + out + "50% off(3).mp3",
                                                          "    i=0, j=" + std::to_string(g_state.nFrames)}));
    // A leftover of a run that did not end takes no name; a file that takes the name while the cut is being
    // written stays as it is, and the cut takes the next free one.
    WriteFileBytes(out + "50% off(4).mp3.partial", {2});
    SetCutWrittenHook([](const char* path) {
        WriteFileBytes(std::string(path).substr(0, std::string(path).find(".mp3") + 4), {3});
    });
    MP3Split();
    SetCutWrittenHook(nullptr);
    ExpectDone();
    EXPECT_EQ(LogLines().back(), tried + "5).mp3");
    EXPECT_EQ(ReadFileBytes(out + "50% off(4).mp3"), Bytes{3});
    EXPECT_EQ(ReadFileBytes(out + "50% off(4).mp3.partial"), Bytes{2});
    EXPECT_FALSE(std::filesystem::exists(out + "50% off(4).mp3.1.partial"));
    EXPECT_EQ(Scan(ReadFileBytes(out + "50% off(5).mp3")).size(), size_t(g_state.nFrames + 1));

    Load(FixturePath("cbr_v1_44100_128k.mp3"), "track.wav");
    g_state.fEnd = 0;
    MP3Split();
    EXPECT_FALSE(ExpectDoneOrNoAudio());
    EXPECT_EQ(LogLines().back(), "    所选范围没有音频");
    EXPECT_FALSE(std::filesystem::exists(out + "track.wav"));
    Bytes tiny = ReadFileBytes(FixturePath("cbr_v1_44100_128k.mp3"));  // the Info frame and one more
    tiny.resize(size_t(g_state.pFrames[1].nOffset));
    WriteFileBytes(dir.File("tiny"), tiny);
    Load(dir.File("tiny"), "tiny.mp3");
    MP3Split();
    ExpectDone();
    EXPECT_EQ(Scan(ReadFileBytes(out + "tiny.mp3")).size(), 2u) << "a source of one frame cut whole";
    Load(FixturePath("cbr_v1_44100_128k.mp3"), "track.wav");
    g_state.bFolder = 1;
    MP3Split();
    EXPECT_EQ(messages, std::vector<std::string>{Box("错误: 8001\n不支持的文件格式.", kMessageCaption, MB_ICONWARNING)});

    // The size estimate: the selected frames, and as many bytes again as the first and the one before (MPEG 1).
    ASSERT_TRUE(ReplaceFrameIndex(4));
    const FrameEntry frames[] = {{0, 417, {0xFF, 0xFB, 0x90, 0}}, {417, 418, {0xFF, 0xFB, 0x92, 0}},
                                 {835, 417, {0xFF, 0xFB, 0x90, 0}}, {1252, 417, {0xFF, 0xFB, 0x90, 0}}};
    std::copy(frames, frames + 4, g_state.pFrames);
    StateIndex().timeline = {1152, 1152, 0, 4 * 1152};  // a frame a second
    const std::tuple<float, float, float, double> sizes[] = {
        {0, 4, 4, 417 + 418 + 417 + 417 + 417}, {2.5f, 4, 4, 417 + 417 + 417 + 418}, {0.5f, 0.5f, 4, 0}};
    for (const auto& [start, end, duration, bytes] : sizes) {
        std::tie(g_state.fStart, g_state.fEnd, g_state.fDuration) = std::tie(start, end, duration);
        EXPECT_EQ(MP3SelectionSize(), bytes / 1024.0) << start;
    }
}

// A source changed since the load (sound, frames moved, shorter), read-only or
// gone is cut as it is now; one that cannot be read (or too large) leaves no index.
TEST_F(CutTest, ASourceChangedGoneOrUnreadableIsTakenAsItIsNow)
{
    // Same size, frames moved where the cut finds them only while it copies them: cut again, one new file, one
    // set of lines.
    const std::string moved = Load(FixturePath("cut_song.mp3"), "moved.mp3");
    Bytes song = ReadFileBytes(moved);
    const int64_t at = g_state.pFrames[g_state.nFrames * 3 / 4].nOffset;
    song.insert(song.begin() + at, 10, 0);
    WriteFileBytes(moved, Bytes(song.begin(), song.end() - 10));
    const size_t start = LogLines().size();
    MP3Split();
    ExpectDone();
    const std::vector<std::string> lines = LogLines(start);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find("新文件") < l.npos; }),
              1);
    const std::string judged = JudgeCuts({{moved, g_state.szScratch, Span().i, Span().j, 0}})[0];
    EXPECT_NE(judged.find("\"problems\": []"), std::string::npos) << judged;
    EXPECT_TRUE(std::filesystem::remove(g_state.szScratch) && std::filesystem::is_empty(dir.File("out")));

    const std::string source = Load(FixturePath("tag_v2only.mp3"), "song.mp3");
    auto ExpectCutOf = [&] {  // the last cut holds exactly the selected frames
        const std::string judged = JudgeCuts({{source, g_state.szScratch, Span().i, Span().j, 0}})[0];
        EXPECT_NE(judged.find("\"problems\": []"), std::string::npos) << judged;
    };
    std::tie(g_state.fStart, g_state.fEnd) = std::make_pair(0.1f, 0.5f);
    Bytes bytes = ReadFileBytes(source);
    for (int32_t k = Span().i; k < Span().j; ++k) bytes[size_t(g_state.pFrames[k].nOffset + 200)] ^= 0x5A;
    WriteFileBytes(source, bytes);
    MP3Split();
    ExpectCutOf();
    const int32_t first = g_state.pFrames[0].nOffset;
    bytes[9] = static_cast<uint8_t>(bytes[9] + 10);  // the tag's size (no carry in this fixture)
    bytes.insert(bytes.begin() + first, 10, 0);
    WriteFileBytes(source, Bytes(bytes.begin(), bytes.end() - 10));
    MP3Split();
    EXPECT_EQ(g_state.pFrames[0].nOffset, first + 10) << "indexed anew";
    ExpectCutOf();
    WriteFileBytes(source, ReadFileBytes(FixturePath("cbr_v2_22050_64k.mp3")));
    MP3Split();
    ExpectCutOf();
    std::system(("chmod 444 '" + source + "'; chattr +i '" + source + "' 2>/dev/null").c_str());  // stops root too
    const bool prevented = access(source.c_str(), W_OK) != 0;
    MP3Split();
    std::system(("chattr -i '" + source + "' 2>/dev/null; chmod 644 '" + source + "'").c_str());
    ExpectDone(4);
    ExpectCutOf();
    ASSERT_TRUE(std::filesystem::remove(source));
    const size_t before = LogLines().size();
    MP3Split();
    EXPECT_EQ(LogLines(before), std::vector<std::string>({"MP3Split", "    mp3 文件: " + source, "    无文件."}));
    EXPECT_TRUE(messages.empty() && g_state.nFrames > 0) << "no box; the index of the file before kept";

    const std::string huge = dir.File("huge.mp3"), empty = dir.File("empty.mp3");
    std::ofstream(huge, std::ios::binary).seekp(kSourceLimitBytes - 1).put('\0');
    WriteFileBytes(empty, {});
    for (const std::string& path : {source, dir.Path(), huge, empty}) {
        const size_t before = LogLines().size();
        strcpy(g_state.szSourcePath, path.c_str());
        MP3GetFrames();
        EXPECT_TRUE(g_state.nFrames == 0 && !g_state.pFrames) << path;
        std::vector<std::string> lines = {"MP3GetFrames", "    mp3 文件: " + path};
        if (path == empty) lines.insert(lines.end(), {"    大小: 0", "    帧数: 0", "    帧数: 0"});
        EXPECT_EQ(LogLines(before), lines);
    }
    if (!prevented) GTEST_SKIP() << "nothing stops this user from writing the file here";
}

// No folder, a file damaged on its way to the disk, a failed write (a file-size
// limit, as a full disk): no new file, the failure reported.
TEST_F(CutTest, FailuresRemoveTheNewFileAndAreReported)
{
    Load(FixturePath("cbr_v1_44100_128k.mp3"), "song.mp3");
    auto ExpectFailed = [&](const std::string& lastLine, const std::string& box) {  // and no new file
        EXPECT_FALSE(std::filesystem::exists(out + "song.mp3"));
        EXPECT_EQ(LogLines().back(), lastLine);
        EXPECT_EQ(messages, std::vector<std::string>{Box(box, nullptr, MB_OK)});
        messages.clear();
    };
    strcpy(g_state.szOutputFolder, dir.File("no such folder").c_str());
    MP3Split();
    ExpectFailed("    不能创建新的 MP3 文件", "不能创建文件\n(No such file or directory)");
    strcpy(g_state.szOutputFolder, out.c_str());
    std::tie(g_state.fStart, g_state.fEnd) = std::make_pair(0.1f, 0.5f);
    static void (*s_damage)(Bytes&, size_t);
    const std::pair<const char*, void (*)(Bytes&, size_t)> faults[] = {
        {"a frame lost", [](Bytes& b, size_t a) { b.erase(b.begin() + long(a) + 2000, b.begin() + long(a) + 2417); }},
        {"a byte of sound", [](Bytes& b, size_t a) { b[a + 3000] ^= 0x10; }},
        {"a frame header", [](Bytes& b, size_t a) { b[a + 418] = 0; }},
        {"the Xing/Info frame count", [](Bytes& b, size_t a) { b[a + 4 + 32 + 11] ^= 1; }},
        {"the end cut off", [](Bytes& b, size_t) { b.resize(b.size() - 300); }}};
    for (const auto& [what, damage] : faults) {
        SCOPED_TRACE(what);
        s_damage = damage;
        SetCutWrittenHook([](const char* path) {
            Bytes bytes = ReadFileBytes(path);
            s_damage(bytes, size_t(MP3FindAudioRange(bytes.data(), int64_t(bytes.size())).nStart));
            WriteFileBytes(path, bytes);
        });
        MP3Split();
        SetCutWrittenHook(nullptr);
        ExpectFailed("    新文件校验失败", "不能写入文件\n(错误码: 5)");
    }
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit = {8192, saved.rlim_max};
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    MP3Split();
    setrlimit(RLIMIT_FSIZE, &saved);
    ExpectFailed("    不能写入新的 MP3 文件", "不能写入文件\n(File too large)");
    MP3Split();
    ExpectDone();
}

// The texts shown (code page 936) and, as mutagen reads them, in each cut, in
// Unicode where the source had them; the title in ID3v1 in code page 936.
TEST_F(CutTest, ArtistAlbumAndTitleGoIntoEveryNewFileExactly)
{
    const std::vector<std::string> none = {"-", "-", "-"}, title = {"-", "-", "Only Title"},
                                   lame = {"Test Artist", "Test Album", "Test Title"},
                                   cjk = {"歌手テスト", "专辑·アルバム", "测试Ab"},
                                   cjkUtf8 = {u8"歌手テスト", u8"专辑·アルバム", u8"测试Ab"};
    const std::tuple<const char*, const std::vector<std::string>&, bool> cases[] = {
        {"cbr_v1_44100_128k.mp3", none, false},     {"tag_title_only.mp3", title, false},
        {"tag_v1v2.mp3", lame, true},               {"tag_picture.mp3", lame, true},
        {"tag_utf16_v23.mp3", cjk, true},           {"tag_v1only.mp3", lame, false},
        {"tag_utf16bom_be_v23.mp3", cjk, true},     {"tag_utf16_v24.mp3", cjk, true},
        {"tag_utf16be_v24.mp3", cjk, true},         {"tag_utf8_v24.mp3", cjk, true},
        {"tag_v24_and_v1.mp3", cjk, true},          {"tag_gbk_latin1.mp3", cjk, false}};  // GBK bytes as they are
    std::vector<JudgeJob> jobs;
    for (const auto& [fixture, texts, unicode] : cases) {
        SCOPED_TRACE(fixture);
        Load(FixturePath(fixture), fixture);
        EXPECT_EQ(std::vector<std::string>({g_state.szArtist, g_state.szAlbum, g_state.szTitle}), texts);
        std::tie(g_state.fStart, g_state.fEnd) = std::make_pair(0.1f, 0.4f);
        MP3Split();
        jobs.push_back({g_state.szSourcePath, g_state.szScratch, -1, -1, 0});
        const Bytes made = ReadFileBytes(g_state.szScratch);
        EXPECT_EQ(std::string(made.end() - 125, made.end() - 125 + long(texts[2].size())), texts[2]) << "ID3v1 title";
        const Id3v2Info tag = ReadId3v2(made.data(), made.size());
        EXPECT_EQ(tag.title.ansi, unicode ? "" : texts[2]) << "in Unicode where the source had it";
    }
    const std::vector<std::string> judged = JudgeCuts(jobs);
    for (size_t k = 0; k + 1 < judged.size(); ++k) {  // mutagen reads the GBK bytes of the last as ISO-8859-1
        const std::vector<std::string>& t = &std::get<1>(cases[k]) == &cjk ? cjkUtf8 : std::get<1>(cases[k]);
        for (const auto& [id, text] : {std::pair{"TPE1", t[0]}, {"TALB", t[1]}, {"TIT2", t[2]}})
            EXPECT_NE(judged[k].find("\"" + std::string(id) + "\": \"" + text + "\""), std::string::npos) << judged[k];
    }

    // The whole tag of a song in each version, cut from 2 to 8 s: every frame as mutagen reads it, the cover's bytes
    // too, but those tied to the old audio (the length anew), the texts in the cut's tag and in the log.
    jobs.clear();
    const std::pair<const char*, const char*> wholes[] = {
        {"tag_whole_v22.mp3", "ETC SLT"}, {"tag_whole_v23.mp3", "ETCO SYLT"}, {"tag_whole_v24.mp3", "ETCO SYLT"}};
    for (const auto& [fixture, dropped] : wholes) {
        Load(FixturePath(fixture), fixture);
        std::tie(g_state.fStart, g_state.fEnd) = std::make_pair(2.0f, 8.0f);
        MP3Split();
        EXPECT_EQ(LogLines().back(), std::string("    舍弃的标签帧: ") + dropped) << fixture;
        jobs.push_back({g_state.szSourcePath, g_state.szScratch, -1, -1, 0});
    }
    for (const std::string& judged : JudgeCuts(jobs)) {
        EXPECT_NE(judged.find(R"("dropped": ["ETCO", "SYLT::eng"])"), std::string::npos) << judged;
        for (const char* text : {R"("problems": [])", R"("TLEN": "6000")", R"("TRCK": "3/12")", u8"\"TPE1\": \"歌手テスト\""})
            EXPECT_NE(judged.find(text), std::string::npos) << text << " in " << judged;
    }

    // The same bytes twice; a long tag in place, no temporary file beside.
    Load(FixturePath("tag_long_utf16.mp3"), "long.mp3");
    MP3Split();
    const Bytes first = ReadFileBytes(g_state.szScratch);
    MP3Split();
    EXPECT_EQ(ReadFileBytes(g_state.szScratch), first);
    const Id3v2Info tag = ReadId3v2(first.data(), first.size());
    EXPECT_EQ(tag.title.wide, std::u16string(3000, u'长'));
    EXPECT_EQ(first[static_cast<size_t>(tag.nTagBytes)], 0xFF) << "the first frame follows the tag";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), long(std::size(cases) + std::size(wholes) + 2));
}

// Tags of files made by others: a broken frame, an extended header, a Lyrics3 v2 album (every type is read).
TEST_F(CutTest, TagsOfFilesMadeByOthers)
{
    const std::vector<std::string> others = TestdataFiles();  // their folder
    if (others.empty()) GTEST_SKIP() << "no real-world files beside the repository";
    const std::map<std::string, std::vector<std::string>> files = {
        {"mutagen__bad-POPM-frame.mp3", {"she", "emit and exude", "Emit and exude"}},
        {"music-metadata__id3v2-xheader.mp3", {"-", "-", "title"}},
        {"mutagen__apev2-lyricsv2.mp3", {"Auth", "A song    EP", "A song   "}}};
    for (const auto& [name, texts] : files) {
        Load(others[0].substr(0, others[0].rfind('/') + 1) + name, "other.mp3");
        EXPECT_EQ(std::vector<std::string>({g_state.szArtist, g_state.szAlbum, g_state.szTitle}), texts) << name;
    }
}

// An output folder code page 936 cannot hold: the same cuts, numbered, named by the UTF-16 original.
TEST_F(CutTest, AFolderCodePage936CannotHoldGetsTheSameCuts)
{
    Load(FixturePath("tag_utf16_v23.mp3"), "song.mp3");
    MP3Split();
    const std::string folder = dir.File(u8"출력");
    std::filesystem::create_directory(folder);
    SetStatePath(g_state.szOutputFolder, &g_state.wszOutputFolder, OsAnsiToUtf16(dir.File("").c_str()) + u"출력");
    MP3Split();
    MP3Split();
    ExpectDone(3);
    for (const char* name : {"/song.mp3", "/song(1).mp3"})
        EXPECT_EQ(ReadFileBytes(folder + name), ReadFileBytes(out + "song.mp3")) << name;
    EXPECT_EQ(LogLines().back(), "    i=0, j=" + std::to_string(g_state.nFrames));
    EXPECT_NE(LogLines(LogLines().size() - 2)[0].find("/?" "?/song(1).mp3"), std::string::npos) << "as code page 936 has it";
    const std::string artist = g_state.szArtist;
    Load(folder + "/song.mp3", "again.mp3");
    EXPECT_EQ(g_state.szArtist, artist) << "a cut's Unicode tag read back";
}

// Every input a fuzzer once failed on loads and cuts; id3lib never sees those it choked on.
TEST_F(CutTest, InputsTheFuzzersFoundLoadAndCutWithoutHarm)
{
    ASSERT_GT(std::distance(std::filesystem::recursive_directory_iterator(ZDV_FUZZ_FOUND_DIR), {}), 3);
    for (const auto& target : std::filesystem::directory_iterator(ZDV_FUZZ_FOUND_DIR))
        for (const auto& input : std::filesystem::directory_iterator(target.path())) {
            SCOPED_TRACE(input.path().string());
            const Bytes bytes = ReadFileBytes(input.path().string());
            EXPECT_TRUE(target.path().filename() != "fuzz_id3lib" || !(Id3libSafeTagTypes(bytes) & ID3TT_ID3V2));
            Load(input.path().string(), "found.mp3");
            MP3Split();
            ExpectDoneOrNoAudio();
        }
}

#ifndef ZDV_SANITIZED
// Parts of every lame file and every file made by others, judged by
// tests/judge.py: the selected frames after a Xing/Info frame and at most
// three priming frames; a gapless decode of exactly the selection's samples,
// by mpg123 (but for its rounding, which follows its filter bank's phase) and
// by ffmpeg (to the bit).
class JudgedCuts : public CutTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(JudgedCuts, CopyTheSelectedFramesAndPlayExactlyTheirSamples)
{
    const std::string group = GetParam();
    const bool others = group.rfind("others", 0) == 0;
    // Every third file made by others; lame's of the group with mpg123's count,
    // decoded where their bitrate is among the lowest and highest, VBR, CRC or tagged.
    std::vector<std::tuple<std::string, int, int>> sources;
    const std::vector<std::string> names = others ? TestdataFiles() : std::vector<std::string>();
    for (size_t k = static_cast<size_t>(group.back() - '0'); others && k < names.size(); k += 3)
        sources.push_back({names[k], 1, -1});
    const std::vector<int> decoded = {0, 8, 32, 64, 160, 320};
    std::ifstream manifest(FixturePath("manifest.tsv"));  // rows of make_fixtures.py, mpg123's count last
    for (std::string line, name, version, rate; !others && std::getline(manifest, line);) {
        int bitrate = 0, channels = 0, crc = 0;
        std::istringstream(line) >> name >> version >> rate >> bitrate >> channels >> crc;
        const int level = crc || group == "tag_" || std::count(decoded.begin(), decoded.end(), bitrate);
        if (name.find(group) != std::string::npos)
            sources.push_back({FixturePath(name), level, std::stoi(line.substr(line.rfind('\t')))});
    }
    if (others && sources.empty()) GTEST_SKIP() << "no real-world files beside the repository";
    ASSERT_FALSE(sources.empty()) << "no fixtures of " << group;
    std::vector<std::pair<float, float>> parts = {{0.25f, 0.75f}, {0, 0.5f}, {0.5f, 1}};
    if (others) parts = {{0.25f, 0.75f}, {0, 1}};
    std::vector<JudgeJob> jobs;
    for (const auto& [from, level, frames] : sources) {
        Load(from, from.substr(from.find_last_of('/') + 1) + ".mp3");
        EXPECT_TRUE(others || g_state.nFrames == frames) << from << " " << g_state.nFrames;
        const Bytes bytes = ReadFileBytes(from);  // lame's CRCs of protected frames: those of their side information
        for (int32_t k = 0; from.find("/crc_") != std::string::npos && k < g_state.nFrames; ++k) {
            const uint8_t* frame = &bytes[static_cast<size_t>(g_state.pFrames[k].nOffset)];
            EXPECT_EQ(MP3FrameCrc(frame), frame[4] << 8 | frame[5]) << from << " " << k;
        }
        for (const auto& [start, end] : parts) {
            std::tie(g_state.fStart, g_state.fEnd) = std::make_pair(g_state.fDuration * start, g_state.fDuration * end);
            MP3Split();
            const bool done = ExpectDoneOrNoAudio();
            // The whole file by its bytes; the first cut of lame's also by ffprobe.
            const int judges = end - start == 1 ? 0 : (level && jobs.empty() && !others ? 2 : level);
            const FrameSpan span = Span();
            if (done)
                jobs.push_back({g_state.szSourcePath, g_state.szScratch, span.i, span.j, judges, span.nFirstSample,
                                span.nEndSample});
        }
    }
    const std::vector<std::string> judged = JudgeCuts(jobs);
    for (size_t k = 0; k < judged.size(); ++k) {
        EXPECT_NE(judged[k].find("\"problems\": []"), std::string::npos) << jobs[k].source << " " << judged[k];
        // mpg123 takes the frames in the tags of one fixture for audio.
        if (others || !jobs[k].level || jobs[k].source.find("frames_in_tags") != std::string::npos) continue;
        EXPECT_NE(judged[k].find("\"compared\": true"), std::string::npos) << jobs[k].source << " " << judged[k];
    }
}

INSTANTIATE_TEST_SUITE_P(Files, JudgedCuts,
                         ::testing::Values("_v1_", "_v2_", "_v2.5_", "tag_", "others0", "others1", "others2"));

// A file made by others that goes from one channel to two at frame 10 and back at frame 110: the reservoir runs
// on across each change, so a part that starts in the frame before one primes the frames after it, to the bit.
TEST_F(CutTest, PartsAfterAChangeOfChannelsPlayTheirSamplesExactly)
{
    const std::vector<std::string> others = TestdataFiles();
    const auto found = std::find_if(others.begin(), others.end(), [](auto& f) { return f.find("l3-he_mode") != f.npos; });
    if (found == others.end()) GTEST_SKIP() << "no real-world files beside the repository";
    const std::string source = *found;
    std::vector<JudgeJob> jobs;
    for (const double frame : {9.5, 109.5}) {
        Load(source, "mode" + std::to_string(int(frame)) + ".mp3");
        std::tie(g_state.fStart, g_state.fEnd) = std::make_pair(frame * 1152 / 44100, (frame + 8) * 1152 / 44100);
        MP3Split();
        ExpectDone();
        jobs.push_back({source, g_state.szScratch, Span().i, Span().j, 1, Span().nFirstSample, Span().nEndSample});
    }
    for (const std::string& judged : JudgeCuts(jobs))  // mpg123 warns of the change, as it does for the source
        for (const char* text : {"\"differing\": 0,", "\"ffmpeg_differing\": 0}"})
            EXPECT_NE(judged.find(text), std::string::npos) << judged;
}
#endif

// The levels of the frames: the silences of silence_parts.mp3 (make_fixtures.py) found to a frame and silent,
// its cuts at their middles are the parts between them, one after the other, each decoded by mpg123 without a
// complaint; the levels of 400 columns follow mpg123's RMS of the same spans (Spearman, tests/judge.py).
TEST_F(CutTest, SilencesSplitAndLevelsFollowTheSound)
{
    const double kSilences[][2] = {{60, 120}, {165, 195}, {235, 255}};  // seconds
    const double framesPerSecond = 44100.0 / 1152;
    const std::string source = Load(FixturePath("silence_parts.mp3"), "parts.mp3");
    SourceFile file;
    FrameIndex index;
    int32_t counted = 0;
    ASSERT_TRUE(file.Open(source.c_str()) == SourceRead::Ok && MP3IndexFile(file, index, &counted, nullptr, true));
    const std::vector<uint8_t>& levels = index.levels;
    ASSERT_EQ(levels.size(), StateIndex().frames.size());
    EXPECT_TRUE(StateIndex().levels.empty()) << "the window's load scans without them";
    const std::vector<SilentSpan> silences = FindSilences(levels, -50, static_cast<int32_t>(framesPerSecond));
    ASSERT_EQ(silences.size(), 3u);
    for (size_t k = 0; k < 3; ++k) {  // where lame's delay of 1105 samples puts each second, to a frame
        EXPECT_NEAR(silences[k].first, (kSilences[k][0] * 44100 + 1105) / 1152, 1.0) << k;
        EXPECT_NEAR(silences[k].end, (kSilences[k][1] * 44100 + 1105) / 1152, 1.0) << k;
        const int32_t first = static_cast<int32_t>(kSilences[k][0] * framesPerSecond) + 2;
        EXPECT_EQ(SpanLevel(levels, first, static_cast<int32_t>(kSilences[k][1] * framesPerSecond)), kLevelSilent);
    }
    const std::vector<std::pair<int64_t, int64_t>> parts = SplitAtSilences(silences, StateIndex());
    ASSERT_EQ(parts.size(), 4u);
    std::vector<JudgeJob> jobs;
    CutJob job;
    StateOutputRule(job.rule);
    for (size_t k = 0; k < parts.size(); ++k) {
        std::tie(job.nFirstSample, job.nEndSample) = parts[k];
        const CutResult cut = MP3CutSource(job, StateIndex(), [](const std::string&) {});
        const int32_t first = jobs.empty() ? int32_t(StateIndex().timeline.nFirstSample / 1152) : jobs.back().j;
        const int32_t end = k < 3 ? (silences[k].first + silences[k].end) / 2 + 1 : g_state.nFrames;
        EXPECT_EQ(std::make_tuple(cut.status, cut.span.i, cut.span.j), std::make_tuple(CutStatus::Done, first, end)) << k;
        jobs.push_back({source, cut.made.path, cut.span.i, cut.span.j, 1, cut.span.nFirstSample, cut.span.nEndSample});
    }
    for (const std::string& judged : JudgeCuts(jobs)) EXPECT_NE(judged.find("\"problems\": []"), std::string::npos) << judged;
}

// The levels of the window's overview, decoded: each frame's are those of mpg123's decode of its samples (tests/
// judge.py), handed over in order, on silence_parts.mp3 and the real-world files but two whose format changes
// midway (the decoder keeps the first frame's channels and ends at a change of rate, as the playback does); 400
// columns of silence_parts.mp3 follow mpg123's RMS of the same spans.
TEST(DecodedLevels, AreThoseOfEachFramesDecodedSamples)
{
    std::vector<std::string> files = TestdataFiles();
    files.insert(files.begin(), FixturePath("silence_parts.mp3"));
    std::vector<std::pair<std::string, std::vector<double>>> judged;  // the fixture's frames and columns first
    for (const std::string& path : files) {
        SourceFile file;
        FrameIndex index;
        int32_t n = 0;
        if (path.find("he_mode") != std::string::npos || path.find("he_44_48khz") != std::string::npos ||
            file.Open(path.c_str()) != SourceRead::Ok || !MP3IndexFile(file, index, &n) || n < 20)
            continue;
        std::vector<uint8_t> levels;
        const auto take = [&](int64_t first, const uint8_t* l, int64_t count) {
            EXPECT_EQ(first, int64_t(levels.size())) << path;
            levels.insert(levels.end(), l, l + count);
            return true;
        };
        EXPECT_TRUE(DecodeFrameLevels(path.c_str(), index.timeline.nSamplesPerFrame, n, take)) << path;
        ASSERT_EQ(levels.size(), size_t(n)) << path;
        std::vector<double> frames;
        for (uint8_t level : levels) frames.push_back(LevelDb(level));
        judged.push_back({path, frames});
        if (path != files.front()) continue;
        std::vector<double> columns;
        for (uint8_t level : ColumnLevels(levels, 400)) columns.push_back(LevelDb(level));
        judged.push_back({path, columns});
    }
    const std::vector<LevelsJudged> found = JudgeLevels(judged);
    ASSERT_EQ(found.size(), judged.size());
    for (size_t k = 0; k < found.size(); ++k) {
        if (k == 1) {
            EXPECT_GE(found[k].rho, 0.9) << "the columns";
        }
        EXPECT_TRUE(found[k].off.empty()) << judged[k].first << " " << ::testing::PrintToString(found[k].off);
    }
}

}  // namespace
