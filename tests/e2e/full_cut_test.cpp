// A full cut as a user does it, through the program's window (its
// window-test build, whose state record the test reads): the source opened
// through the open-file dialog, 5 s to 10 s marked with the time editors,
// "剪切文件" pressed and the completion question answered. The new file's
// frames are checked against the source's bytes here (its own Xing/Info
// frame and priming frames, then the selected frames byte for byte);
// judge_cut.py then lets mpg123 and mutagen judge the copies this test leaves
// in the artifact folder.
#include "command_driver.h"
#include "cutter.h"
#include "frame_scan.h"
#include "harness.h"
#include "info_frame.h"
#include "program_files.h"
#include "resource.h"
#include "test_support.h"
#include "window_driver.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

void SaveArtifact(const std::string& name, const std::string& bytes)
{
    WriteFileBytes(Cp936(ArtifactFolder()) + "\\" + name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

// The new file holds, between its tags, its own Xing/Info frame that counts
// the frames after it and their bytes, at most two priming frames, and the
// source's audio frames i to j - 1 byte for byte, and nothing else.
void ExpectFramesOfSpan(const std::string& cut, const std::string& source, FrameSpan span)
{
    const std::vector<FrameEntry> sourceFrames = AudioFramesOf(source);
    const std::vector<FrameEntry> cutFrames = FramesOf(cut);
    ASSERT_GT(span.j, span.i);
    const size_t selected = static_cast<size_t>(span.j - span.i);
    ASSERT_GE(cutFrames.size(), selected + 1);
    const size_t lead = cutFrames.size() - 1 - selected;
    EXPECT_LE(lead, 2u) << "priming frames";
    const auto* bytes = reinterpret_cast<const uint8_t*>(cut.data());
    const AudioRange range = MP3FindAudioRange(bytes, static_cast<int64_t>(cut.size()));
    EXPECT_EQ(range.nStart, cutFrames.front().nOffset) << "the frames follow the tag at once";
    EXPECT_EQ(range.nEnd, cutFrames.back().nOffset + cutFrames.back().nLength) << "and nothing follows them";
    const InfoFrameFacts info = MP3ReadInfoFrame(bytes + cutFrames[0].nOffset, cutFrames[0].nLength);
    EXPECT_TRUE(info.kind == InfoFrameKind::Info || info.kind == InfoFrameKind::Xing);
    EXPECT_EQ(info.nFrames, static_cast<int32_t>(cutFrames.size() - 1));
    EXPECT_EQ(info.nBytes, range.nEnd - range.nStart);
    for (size_t k = 0; k < selected; ++k) {
        const FrameEntry& want = sourceFrames[static_cast<size_t>(span.i) + k];
        const FrameEntry& got = cutFrames[1 + lead + k];
        ASSERT_EQ(got.nLength, want.nLength) << "frame " << k;
        const size_t length = static_cast<size_t>(want.nLength);
        EXPECT_EQ(cut.compare(got.nOffset, length, source, want.nOffset, length), 0)
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
