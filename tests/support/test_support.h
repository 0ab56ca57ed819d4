// What the tests share: fixtures, real-world files, scratch folders, whole
// files; natively also hand-built bytes, a clean engine and the judge of cuts.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

std::string FixturePath(const std::string& name);   // made by tests/fixtures/make_fixtures.py
std::vector<std::string> TestdataFiles();  // the real-world .mp3 and .bit files present, sorted by name

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// A fresh, empty folder, removed with everything in it at the end of its life.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + kSep + name; }

private:
    std::string path_;
};

#ifndef _WIN32
#include "app_state.h"
#include "cutter.h"
#include "diag_log.h"
#include "engine_ui.h"
#include "frame_index.h"
#include "frame_scan.h"
#include "tag_carry.h"
#include "wide_paths.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

using Bytes = std::vector<uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Bytes Str(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline std::vector<FrameEntry> Scan(const Bytes& file)  // MP3ScanFrames over the whole file
{
    std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(file.data(), int64_t(file.size()), nullptr)));
    MP3ScanFrames(file.data(), static_cast<int64_t>(file.size()), frames.data());
    return frames;
}

// What tests/judge.py says of cuts of frames i..j-1 (-1: unknown), a JSON text each; levels as judge.py has them.
struct JudgeJob {
    std::string source, cut;
    int i, j, level;
    int64_t first = -1, end = -1;  // the source's samples the cut is to play exactly, if known
};
std::vector<std::string> JudgeCuts(const std::vector<JudgeJob>& jobs);
// For each file and levels (dB) of equal spans of its frames: Spearman's rho of them and mpg123's RMS of the same
// spans (judge.py) and, with a level a frame, the frames whose level is not mpg123's. One judge for all.
struct LevelsJudged {
    double rho = -2;
    std::vector<int64_t> off;
};
std::vector<LevelsJudged> JudgeLevels(const std::vector<std::pair<std::string, std::vector<double>>>& files);

inline std::string Box(const std::string& text, const char* caption, UINT flags)  // "text|caption|flags"
{
    return text + "|" + (caption ? caption : "(default)") + "|" + std::to_string(flags);
}

// A clean engine for each test: a fresh state, a log.txt of its own, a scratch
// folder with the output folder in it; the boxes shown, each question answered No.
class EngineTest : public ::testing::Test, public EngineUi {
protected:
    int ShowMessage(const char* text, const char* caption, UINT flags) override
    {
        messages.push_back(Box(text, caption, flags));
        return (flags & MB_YESNO) ? IDNO : IDOK;
    }
    void ShowAudioError(const char* text) override
    {
        char box[kAudioErrorTextBytes];
        FormatAudioError(box, text, 5);  // the audio library's code of a failed file operation
        ShowMessage(box, nullptr, MB_OK);
    }
    void PostOpenFileCommand() override { ADD_FAILURE() << "the open-file command posted after No"; }
    void SetUp() override
    {
        if (!g_state.szScratch) AllocTextBuffers();
        g_state.szSourcePath[0] = g_state.szFileTitle[0] = g_state.szScratch[0] = 0;
        ReplaceFrameIndex(0);
        ClearTagTexts();
        DropOriginal(&g_state.wszSourcePath);
        DropOriginal(&g_state.wszOutputFolder);
        g_state.bFolder = 0;
        std::filesystem::create_directory(dir.File("out"));
        strcpy(g_state.szOutputFolder, dir.File("out").c_str());
        g_log.Open(dir.File("log.txt").c_str());
        InstallEngineUi(this);
    }
    void TearDown() override
    {
        InstallEngineUi(nullptr);
        EXPECT_EQ(g_log.Level(), 0) << "every operation lowers the indentation it raised";
    }
    std::vector<std::string> LogLines(size_t first = 0) const  // of log.txt, from the first-th on
    {
        std::ifstream in(dir.File("log.txt"), std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line, '\r'); in.ignore()) lines.push_back(line);  // "\r\n" after each
        lines.erase(lines.begin(), lines.begin() + static_cast<long>(std::min(first, lines.size())));
        return lines;
    }
    // A copy loaded as the program loads it, but without the audio library: all of its frames x 1152 / 44100 s.
    std::string Load(const std::string& from, const std::string& name)
    {
        WriteFileBytes(dir.File(name), ReadFileBytes(from));
        strcpy(g_state.szSourcePath, dir.File(name).c_str());
        strcpy(g_state.szFileTitle, name.c_str());
        SourceTag tag;
        MP3GetFrames();
        ReadSourceTag(tag);
        FillMissingTagTexts();
        g_state.fDuration = g_state.fEnd = static_cast<float>(g_state.nFrames * 1152.0 / 44100.0);
        g_state.fStart = 0;
        return dir.File(name);
    }
    FrameSpan Span() const { return MP3MapSelection(StateIndex(), g_state.fStart, g_state.fEnd, g_state.fDuration); }
    void ExpectDone(size_t cuts = 1)  // only the question after each cut that succeeded
    {
        const std::string done = Box("完成!\n文件已经分割.\n\n打开新文件进行分割吗?", kMessageCaption, MB_ICONQUESTION | MB_YESNO);
        EXPECT_EQ(messages, std::vector<std::string>(cuts, done));
        messages.clear();
    }

    bool ExpectDoneOrNoAudio()  // the question after a cut, or the warning of a selection without audio
    {
        const bool done = messages.size() == 1 && messages[0].rfind("完成!", 0) == 0;
        EXPECT_TRUE(done || messages == std::vector<std::string>{Box(kNoAudio, kMessageCaption, MB_ICONWARNING)})
            << ::testing::PrintToString(messages);
        messages.clear();
        return done;
    }
    static constexpr const char* kNoAudio = "所选范围没有音频.\n\n请重新选择开始和结束时间.";

    TempDir dir;
    const std::string out = dir.File("out") + kSep;  // the output folder
    std::vector<std::string> messages;
};
#endif
