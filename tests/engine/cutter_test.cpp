// The cutter: the mapping of a selection to frames, the size estimate, the
// names of new files, and whole cuts with their log lines, questions and
// failures. Every file that exists before a cut keeps its bytes.
#include "app_state.h"
#include "cutter.h"
#include "engine_fixture.h"
#include "frame_header.h"
#include "frame_index.h"
#include "frame_scan.h"
#include "output_name.h"
#include "path_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

TEST(SelectionMap, MapsByProportionAndNeverTakesTheLastFrame)
{
    auto map = [](int32_t n, float start, float end, float duration) {
        const FrameSpan span = MP3MapSelection(n, start, end, duration);
        return std::make_pair(span.i, span.j);
    };
    using Span = std::pair<int32_t, int32_t>;
    EXPECT_EQ(map(1000, 5.0f, 10.0f, 26.122f), Span(190, 382));
    EXPECT_EQ(map(1000, 0.0f, 26.122f, 26.122f), Span(0, 999));  // the whole file: all but the last frame
    EXPECT_EQ(map(100, 10.4f, 50.0f, 100.0f), Span(9, 50));      // starts one frame early
    EXPECT_EQ(map(100, 5.0f, 5.0f, 100.0f), Span(4, 5));         // start = end: one frame
    EXPECT_EQ(map(100, 0.5f, 0.5f, 100.0f), Span(0, 0));         // ... but none within the first frame
    EXPECT_EQ(map(100, 50.0f, 10.0f, 100.0f), Span(49, 10));     // reversed: nothing
    EXPECT_EQ(map(0, 0.0f, 10.0f, 10.0f), Span(0, -1));          // no frames
}

TEST(SelectionMap, DurationsAndTimesOutsideTheDesignGiveNoFrame)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float duration : {0.0f, -5.0f, nan}) {
        const FrameSpan span = MP3MapSelection(100, 1.0f, 50.0f, duration);
        EXPECT_EQ(span.i, 0);
        EXPECT_EQ(span.j, 0);
    }
    FrameSpan span = MP3MapSelection(100, nan, inf, 10.0f);
    EXPECT_EQ(span.i, 0);
    EXPECT_EQ(span.j, 99);
    span = MP3MapSelection(100, 1e30f, -1e30f, 1e-30f);
    EXPECT_GE(span.i, span.j);
}

class SelectionSizeTest : public EngineTest {};

// The selected frames, and for the frames a cut puts before them one frame
// of the first selected one's length and one of the length of the frame
// before it.
TEST_F(SelectionSizeTest, SumsTheLengthsOfTheFramesACutWouldWrite)
{
    EXPECT_EQ(MP3SelectionSize(), 0.0);  // no source
    ASSERT_TRUE(ReplaceFrameIndex(4));
    g_state.pFrames[0] = {0, 417};
    g_state.pFrames[1] = {417, 418};
    g_state.pFrames[2] = {835, 417};
    g_state.pFrames[3] = {1252, 417};
    g_state.fDuration = 4.0f;
    g_state.fStart = 0.0f;
    g_state.fEnd = 4.0f;
    EXPECT_EQ(MP3SelectionSize(), (417 + 418 + 417 + 417) / 1024.0);  // frames 0..2, from the start
    g_state.fStart = 2.5f;
    EXPECT_EQ(MP3SelectionSize(), (418 + 417 + 418 + 417) / 1024.0);  // frames 1..2
    g_state.fStart = g_state.fEnd = 0.5f;
    EXPECT_EQ(MP3SelectionSize(), 0.0);  // no frame
    g_state.fDuration = 0.0f;
    EXPECT_EQ(MP3SelectionSize(), 0.0);
}

TEST(OutputName, Mp3ExtensionInEitherCase)
{
    for (const char* name : {"a.mp3", "a.MP3", "a.Mp3", "a.mP3", ".mp3"}) EXPECT_TRUE(HasMp3Extension(name)) << name;
    for (const char* name : {"a.wav", "a.mp4", "a,mp3", "mp3", "a.mp3 ", "a.MP3x", ""})
        EXPECT_FALSE(HasMp3Extension(name)) << name;
}

TEST(OutputName, NumberedNamesKeepEveryOtherCharacter)
{
    EXPECT_EQ(NumberedName("C:\\a\\song.mp3", 1), "C:\\a\\song(1).mp3");
    EXPECT_EQ(NumberedName("D:\\out\\song.MP3", 12), "D:\\out\\song(12).mp3");
    EXPECT_EQ(NumberedName("D:\\50% off.mp3", 2), "D:\\50% off(2).mp3");
    EXPECT_EQ(NumberedName("D:\\歌曲.mp3", 3), "D:\\歌曲(3).mp3");
}

class CutTest : public EngineTest {
protected:
    // A source in a folder of its own, loaded, and an output folder.
    std::string LoadSource(const std::string& fixture, const std::string& name)
    {
        MakeFolder(dir.File("src"));
        const std::string path = CopyIn(FixturePath(fixture), std::string("src") + kSep + name);
        Load(path);
        return path;
    }
    std::string UseOutputFolder(const std::string& name)
    {
        const std::string folder = dir.File(name);
        MakeFolder(folder);
        strcpy(g_state.szOutputFolder, folder.c_str());
        g_state.bFolder = 0;
        return folder + kSep;
    }

};

TEST_F(CutTest, WithoutASourceItOffersToOpenOne)
{
    for (int answer : {IDNO, IDYES}) {
        ui.nAnswer = answer;
        MP3Split();
    }
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "无文件.\n\n打开文件进行分割吗?");
    EXPECT_EQ(ui.messages[0].caption, "Zor DU3 Vodizaro");
    EXPECT_EQ(ui.messages[0].flags, static_cast<UINT>(MB_ICONINFORMATION | MB_YESNO));
    EXPECT_EQ(ui.nPostedOpenFile, 1);
    const std::vector<std::string> lines = {"MP3Split", "    mp3 文件: ", "MP3Split", "    mp3 文件: "};
    EXPECT_EQ(LogLines(), lines);
}

TEST_F(CutTest, CopiesTheSelectedFramesByteForByteIntoTheOutputFolder)
{
    const std::string source = LoadSource("vbr_v1_44100_2ch.mp3", "song.mp3");
    const std::string out = UseOutputFolder("out");
    strcpy(g_state.szOutputFolder, out.substr(0, out.size() - 1).c_str());  // no separator yet
    Select(0.3f, 1.1f);
    const FrameSpan span = MP3MapSelection(g_state.nFrames, g_state.fStart, g_state.fEnd, g_state.fDuration);
    ASSERT_LT(span.i, span.j);
    const size_t before = LogLines().size();
    ui.nAnswer = IDYES;
    MP3Split();

    EXPECT_EQ(std::string(g_state.szOutputFolder), out) << "the folder keeps its new separator";
    const std::vector<uint8_t> sourceBytes = ReadFileBytes(source);
    EXPECT_EQ(CutProblems(AudioOf(ReadFileBytes(out + "song.mp3")), sourceBytes, span.i, span.j), "");
    const std::vector<std::string> lines = {
        "MP3Split", "    mp3 文件: " + source, "    大小: " + std::to_string(sourceBytes.size()),
        "    新文件: " + out + "song.mp3",
        "    i=" + std::to_string(span.i) + ", j=" + std::to_string(span.j)};
    EXPECT_EQ(LogLinesFrom(before), lines);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "完成!\n文件已经分割.\n\n打开新文件进行分割吗?");
    EXPECT_EQ(ui.messages[0].caption, "Zor DU3 Vodizaro");
    EXPECT_EQ(ui.messages[0].flags, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
    EXPECT_EQ(ui.nPostedOpenFile, 1);
}

TEST_F(CutTest, TheWholeSelectionTakesAllButTheLastFrame)
{
    const std::string source = LoadSource("cbr_v2_22050_64k.mp3", "song.mp3");
    const std::string out = UseOutputFolder("out");
    MP3Split();
    const std::vector<uint8_t> sourceBytes = ReadFileBytes(source);
    EXPECT_EQ(CutProblems(AudioOf(ReadFileBytes(out + "song.mp3")), sourceBytes, 0, g_state.nFrames - 1), "");
}

TEST_F(CutTest, BesideTheSourceNamesAreNumberedAndNoFileIsTouched)
{
    const std::string source = LoadSource("cbr_v1_44100_128k.mp3", "song.mp3");
    g_state.bFolder = 1;
    const std::string folder = dir.File("src") + kSep;
    WriteFileBytes(folder + "song(1).mp3", {'k', 'e', 'e', 'p'});
    const std::vector<uint8_t> sourceBefore = ReadFileBytes(source);
    const size_t before = LogLines().size();
    MP3Split();
    MP3Split();

    EXPECT_EQ(ReadFileBytes(source), sourceBefore);
    EXPECT_EQ(ReadFileBytes(folder + "song(1).mp3"), std::vector<uint8_t>({'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(FileExists(folder + "song(2).mp3"));
    EXPECT_TRUE(FileExists(folder + "song(3).mp3"));
    std::vector<std::string> lines = LogLinesFrom(before);
    ASSERT_GE(lines.size(), 7u);
    const std::vector<std::string> first = {"MP3Split", "    mp3 文件: " + source,
                                            "    大小: " + std::to_string(sourceBefore.size()),
                                            "    (?) 文件: " + folder + "song(1).mp3",
                                            "    (?) 文件: " + folder + "song(2).mp3",
                                            "    新文件: " + folder + "song(2).mp3"};
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6), first);
    EXPECT_EQ(lines[6].substr(0, 6), "    i=");
}

TEST_F(CutTest, NumberedNamesEndInLowerCaseAndKeepPerCentSigns)
{
    LoadSource("cbr_v1_44100_128k.mp3", "50% off.MP3");
    const std::string out = UseOutputFolder("out");
    WriteFileBytes(out + "50% off.MP3", {1});
    MP3Split();
    EXPECT_TRUE(FileExists(out + "50% off(1).mp3"));
    EXPECT_EQ(ReadFileBytes(out + "50% off.MP3"), std::vector<uint8_t>({1}));
}

TEST_F(CutTest, OtherExtensionsAreWrittenWhenFreeAndRefusedWhenTaken)
{
    const std::string source = LoadSource("cbr_v1_44100_128k.mp3", "track.wav");
    const std::string out = UseOutputFolder("out");
    MP3Split();
    EXPECT_TRUE(FileExists(out + "track.wav"));
    ASSERT_EQ(ui.messages.size(), 1u);

    // Taken, as the source itself always is beside the source.
    g_state.bFolder = 1;
    const size_t before = LogLines().size();
    MP3Split();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, "错误: 8001\n不支持的文件格式.");
    EXPECT_EQ(ui.messages[1].caption, "Zor DU3 Vodizaro");
    EXPECT_EQ(ui.messages[1].flags, static_cast<UINT>(MB_ICONWARNING));
    const std::vector<std::string> lines = {"MP3Split", "    mp3 文件: " + source,
                                            "    大小: " + std::to_string(ReadFileBytes(source).size())};
    EXPECT_EQ(LogLinesFrom(before), lines);
}

TEST_F(CutTest, ASelectionOfNoFrameGivesATagOnlyFileAndStillAsks)
{
    LoadSource("cbr_v1_44100_128k.mp3", "song.mp3");
    const std::string out = UseOutputFolder("out");
    Select(0.0f, 0.0f);
    MP3Split();
    EXPECT_TRUE(AudioOf(ReadFileBytes(out + "song.mp3")).empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].flags, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
}

TEST_F(CutTest, ASourceChangedSinceItWasLoadedIsCutAsItIsNow)
{
    const std::string source = LoadSource("vbr_v1_44100_2ch.mp3", "song.mp3");
    const int32_t loadedFrames = g_state.nFrames;
    // Another program replaces the file by a much shorter one.
    WriteFileBytes(source, ReadFileBytes(FixturePath("cbr_v2_22050_64k.mp3")));
    const std::string out = UseOutputFolder("out");
    MP3Split();

    const std::vector<uint8_t> now = ReadFileBytes(source);
    ASSERT_NE(g_state.nFrames, loadedFrames) << "the index describes the file as it is now";
    const FrameSpan span = MP3MapSelection(g_state.nFrames, g_state.fStart, g_state.fEnd, g_state.fDuration);
    EXPECT_EQ(CutProblems(AudioOf(ReadFileBytes(out + "song.mp3")), now, span.i, span.j), "");
}

// Changes that keep the file's size: new sound in the same frames is cut as
// it is now; frames moved by a tag of another size are indexed anew.
TEST_F(CutTest, ASourceChangedInPlaceIsCutAsItIsNow)
{
    const std::string source = LoadSource("tag_v2only.mp3", "song.mp3");
    const std::string out = UseOutputFolder("out");
    Select(0.1f, 0.5f);
    std::vector<uint8_t> bytes = ReadFileBytes(source);
    const FrameSpan span = MP3MapSelection(g_state.nFrames, g_state.fStart, g_state.fEnd, g_state.fDuration);
    for (int32_t k = span.i; k < span.j; ++k) bytes[g_state.pFrames[k].nOffset + 200] ^= 0x5A;  // new sound
    WriteFileBytes(source, bytes);
    MP3Split();
    EXPECT_EQ(CutProblems(AudioOf(ReadFileBytes(out + "song.mp3")), bytes, span.i, span.j), "");

    // The tag grows by 10 bytes and the file loses its last 10: every frame moves.
    const int32_t firstBefore = g_state.pFrames[0].nOffset;
    std::vector<uint8_t> moved(bytes.begin(), bytes.begin() + 10);
    moved[9] = static_cast<uint8_t>(moved[9] + 10);  // the tag's size (no carry in this fixture)
    moved.insert(moved.end(), bytes.begin() + 10, bytes.begin() + firstBefore);
    moved.insert(moved.end(), 10, 0);
    moved.insert(moved.end(), bytes.begin() + firstBefore, bytes.end() - 10);
    ASSERT_EQ(moved.size(), bytes.size());
    WriteFileBytes(source, moved);
    MP3Split();
    EXPECT_EQ(g_state.pFrames[0].nOffset, firstBefore + 10) << "indexed anew";
    const FrameSpan now = MP3MapSelection(g_state.nFrames, g_state.fStart, g_state.fEnd, g_state.fDuration);
    EXPECT_EQ(CutProblems(AudioOf(ReadFileBytes(out + "song(1).mp3")), moved, now.i, now.j), "");
}

TEST_F(CutTest, ASourceGoneSinceItWasLoadedIsLoggedAndNothingIsShown)
{
    const std::string source = LoadSource("cbr_v1_44100_128k.mp3", "song.mp3");
    UseOutputFolder("out");
    ASSERT_EQ(std::remove(source.c_str()), 0);
    const size_t before = LogLines().size();
    MP3Split();
    const std::vector<std::string> lines = {"MP3Split", "    mp3 文件: " + source, "    无文件."};
    EXPECT_EQ(LogLinesFrom(before), lines);
    EXPECT_TRUE(ui.messages.empty());
}

// A source that cannot be opened for writing: held open by a player that
// lets others only read it, or read-only.
TEST_F(CutTest, ASourceThatCannotBeWrittenIsCutLikeAnyOther)
{
    const std::string source = LoadSource("cbr_v1_44100_128k.mp3", "song.mp3");
    const std::string out = UseOutputFolder("out");
    bool prevented = false;
    {
        ReadShareLock player(source);
        prevented |= player.Held();
        MP3Split();
    }
    prevented |= MakeReadOnly(source);
    MP3Split();
    MakeWritable(source);
    EXPECT_TRUE(FileExists(out + "song.mp3"));
    EXPECT_TRUE(FileExists(out + "song(1).mp3"));
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const RecordingUi::Message& message : ui.messages)
        EXPECT_EQ(message.flags, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
    if (!prevented) GTEST_SKIP() << "nothing stops this user from writing the file here";
}

TEST_F(CutTest, AnOutputFolderThatCannotTakeFilesIsReportedAtOnce)
{
    const std::string source = LoadSource("cbr_v1_44100_128k.mp3", "song.mp3");
    const std::string missing = dir.File("no such folder");
    strcpy(g_state.szOutputFolder, missing.c_str());
    const size_t before = LogLines().size();
    MP3Split();
    const std::vector<std::string> lines = {"MP3Split", "    mp3 文件: " + source,
                                            "    大小: " + std::to_string(ReadFileBytes(source).size()),
                                            "    不能创建新的 MP3 文件"};
    EXPECT_EQ(LogLinesFrom(before), lines);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "不能创建文件\n(错误码: 5)");
    EXPECT_EQ(ui.messages[0].caption, "(default)");
    EXPECT_EQ(ui.messages[0].flags, static_cast<UINT>(MB_OK));
    EXPECT_EQ(ui.nPostedOpenFile, 0);
}

TEST_F(CutTest, AFolderOfTheCandidateNameCountsAsTaken)
{
    LoadSource("cbr_v1_44100_128k.mp3", "song.mp3");
    const std::string out = UseOutputFolder("out");
    MakeFolder(out + "song.mp3");
    MP3Split();
    EXPECT_TRUE(FileExists(out + "song(1).mp3"));
}

// Faults on the way to the disk, injected once the cut has written and tagged
// the file: each makes the file read back otherwise than written, and the cut
// removes it and reports the failure instead of its success.
TEST_F(CutTest, AFileThatDoesNotReadBackAsWrittenIsRemovedAndReported)
{
    struct Fault {
        const char* what;
        void (*damage)(std::vector<uint8_t>& bytes, size_t audio);
    };
    static size_t s_audio = 0;  // where the audio of the new file starts
    static void (*s_damage)(std::vector<uint8_t>&, size_t) = nullptr;
    const Fault faults[] = {
        {"a frame lost", [](std::vector<uint8_t>& b, size_t a) { b.erase(b.begin() + static_cast<long>(a) + 2000, b.begin() + static_cast<long>(a) + 2417); }},
        {"a byte of sound changed", [](std::vector<uint8_t>& b, size_t a) { b[a + 3000] ^= 0x10; }},
        {"a frame header broken", [](std::vector<uint8_t>& b, size_t a) { b[a + MP3FrameLength(b.data() + a) + 1] = 0; }},
        {"the Xing/Info frame's count", [](std::vector<uint8_t>& b, size_t a) { b[a + 4 + 32 + 11] ^= 1; }},
        {"the end cut off", [](std::vector<uint8_t>& b, size_t) { b.resize(b.size() - 300); }},
    };
    const std::string source = LoadSource("cbr_v1_44100_128k.mp3", "song.mp3");
    const std::string out = UseOutputFolder("out");
    Select(0.5f, 1.5f);
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        ui.messages.clear();
        s_damage = fault.damage;
        SetCutWrittenHook([](const char* path) {
            std::vector<uint8_t> bytes = ReadFileBytes(path);
            s_audio = static_cast<size_t>(MP3FindAudioRange(bytes.data(), static_cast<int64_t>(bytes.size())).nStart);
            s_damage(bytes, s_audio);
            WriteFileBytes(path, bytes);
        });
        const size_t before = LogLines().size();
        MP3Split();
        SetCutWrittenHook(nullptr);
        EXPECT_FALSE(FileExists(out + "song.mp3"));
        const std::vector<std::string> lines = LogLinesFrom(before);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "    新文件校验失败");
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, "不能写入文件\n(错误码: 5)");
        EXPECT_EQ(ui.nPostedOpenFile, 0);
    }
    // Undamaged, the same cut succeeds.
    ui.messages.clear();
    MP3Split();
    EXPECT_TRUE(FileExists(out + "song.mp3"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].flags, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
}

#ifndef _WIN32
// A file-size limit makes every write past it fail, as a full disk does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_;
    void (*previous_)(int);
};

TEST_F(CutTest, AWriteErrorRemovesTheNewFileAndIsReported)
{
    const std::string source = LoadSource("tag_picture.mp3", "song.mp3");
    const std::string out = UseOutputFolder("out");
    const size_t before = LogLines().size();
    {
        FileSizeLimit limit(8192);
        MP3Split();
    }
    EXPECT_FALSE(FileExists(out + "song.mp3"));
    const std::vector<std::string> lines = LogLinesFrom(before);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "    不能写入新的 MP3 文件");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "不能写入文件\n(错误码: 5)");
    EXPECT_EQ(ui.messages[0].flags, static_cast<UINT>(MB_OK));
    EXPECT_EQ(ui.nPostedOpenFile, 0);
}
#endif

}  // namespace
