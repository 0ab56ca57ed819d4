// A full cut as a user does it, through the program's window (its
// window-test build, whose state record the test reads): the source opened
// through the open-file dialog, 5 s to 10 s marked with the time editors,
// "剪切文件" pressed and the completion question answered. The new file's
// frames are checked against the source's bytes here; judge_cut.py then
// lets mpg123 and mutagen judge the copies this test leaves in the artifact
// folder.
#include "command_driver.h"
#include "cutter.h"
#include "frame_scan.h"
#include "harness.h"
#include "program_files.h"
#include "resource.h"
#include "test_support.h"
#include "window_driver.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

// The frames of a file held in a string.
std::vector<FrameEntry> FramesOf(const std::string& bytes)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const auto size = static_cast<int64_t>(bytes.size());
    std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(data, size, nullptr)));
    MP3ScanFrames(data, size, frames.data());
    return frames;
}

void SaveArtifact(const std::string& name, const std::string& bytes)
{
    WriteFileBytes(Cp936(ArtifactFolder()) + "\\" + name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

// The new file holds, between its tags, source frames i to j - 1 and
// nothing else: the first one with the source's header and length (its
// audio may have been silenced), the others byte for byte.
void ExpectFramesOfSpan(const std::string& cut, const std::string& source, FrameSpan span)
{
    const std::vector<FrameEntry> sourceFrames = FramesOf(source);
    const std::vector<FrameEntry> cutFrames = FramesOf(cut);
    ASSERT_GT(span.j, span.i);
    ASSERT_EQ(cutFrames.size(), static_cast<size_t>(span.j - span.i));
    const AudioRange range = MP3FindAudioRange(reinterpret_cast<const uint8_t*>(cut.data()), cut.size());
    EXPECT_EQ(range.nStart, cutFrames.front().nOffset) << "the frames follow the tag at once";
    EXPECT_EQ(range.nEnd, cutFrames.back().nOffset + cutFrames.back().nLength) << "and nothing follows them";
    for (size_t k = 0; k < cutFrames.size(); ++k) {
        const FrameEntry& want = sourceFrames[span.i + k];
        const FrameEntry& got = cutFrames[k];
        ASSERT_EQ(got.nLength, want.nLength) << "frame " << k;
        const size_t compared = k == 0 ? 4 : static_cast<size_t>(want.nLength);
        EXPECT_EQ(cut.compare(got.nOffset, compared, source, want.nOffset, compared), 0)
            << "frame " << k << " differs from source frame " << span.i + k;
    }
}

TEST(FullCut, AUserOpensAFileMarks5To10WithTheEditorsCutsAndGetsExactlyThoseFrames)
{
    ProgramCopy copy(WindowTestBuild());
    const std::wstring output = copy.PathOf(L"剪切 输出");
    ASSERT_TRUE(CreateDirectoryW(output.c_str(), nullptr));
    const std::string outputText = Cp936(output) + "\\";
    const std::wstring name = L"歌曲 剪切.mp3";
    const std::string source = ReadWholeFile(CutSongPath());
    ASSERT_FALSE(source.empty());
    copy.Write(name, source);
    const std::string sourcePath = Cp936(copy.PathOf(name));
    copy.Write(L"settings.ini", SettingsFile(0, "", "", outputText));
    std::vector<std::string> log = StartupLogLines(copy, outputText);

    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    OpenSource(program, main, sourcePath);
    ASSERT_TRUE(ShowsSource(main, Cp936(name), sourcePath));
    log.push_back("    Button: OPEN FILE");
    Append(log, LoadLogLines(sourcePath, source));

    TypeTime(main, IDC_TIME_END, 0, 0, 10);
    TypeTime(main, IDC_TIME_START, 0, 0, 5);
    const AppState state = ReadState(main);
    ASSERT_EQ(state.fStart, 5.0f);
    ASSERT_EQ(state.fEnd, 10.0f);
    const FrameSpan span = MP3MapSelection(state.nFrames, 5.0f, 10.0f, state.fDuration);
    Screenshot(main, "cut_5_to_10_marked");

    // No: the question goes and nothing else opens.
    ASSERT_TRUE(NoAnswersTheQuestion(program, main, IDC_BUTTON_CUT, kCutDoneQuestion));
    Sleep(500);
    EXPECT_EQ(FindOpenFileDialog(program), nullptr);
    const std::string cutPath = outputText + Cp936(name);
    const std::string cut = copy.Read(L"剪切 输出\\" + name);
    ExpectFramesOfSpan(cut, source, span);
    SaveArtifact("cut_source.mp3", source);
    SaveArtifact("cut_5_to_10.mp3", cut);
    const std::string ij = "        i=" + std::to_string(span.i) + ", j=" + std::to_string(span.j);
    const std::string size = "        大小: " + std::to_string(source.size());
    Append(log, {"    Button: SPLIT", "    MP3Split", "        mp3 文件: " + sourcePath, size, "        新文件: " + cutPath, ij});

    // The same cut again gets the first numbered name; Yes opens the dialog.
    EXPECT_TRUE(YesOpensTheOpenFileDialog(program, main, IDC_BUTTON_CUT, kCutDoneQuestion));
    const std::string numbered = outputText + "歌曲 剪切(1).mp3";
    EXPECT_EQ(copy.Read(L"剪切 输出\\歌曲 剪切(1).mp3"), cut);
    Append(log, {"    Button: SPLIT", "    MP3Split", "        mp3 文件: " + sourcePath, size, "        (?) 文件: " + numbered,
                 "        新文件: " + numbered, ij, "    Button: OPEN FILE"});

    EXPECT_TRUE(program.CloseNormally(main));
    Append(log, NormalEndLogLines());
    ExpectLog(copy.Read(L"log.txt"), log);
}

}  // namespace
}  // namespace e2e
