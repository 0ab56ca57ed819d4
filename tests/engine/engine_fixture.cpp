#include "engine_fixture.h"

#include "app_state.h"
#include "cut_layout.h"
#include "diag_log.h"
#include "frame_header.h"
#include "frame_index.h"
#include "id3v2_text.h"
#include "info_frame.h"
#include "side_info.h"
#include "tag_carry.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

int RecordingUi::ShowMessage(const char* text, const char* caption, UINT flags)
{
    messages.push_back({text, caption ? caption : "(default)", flags});
    return (flags & MB_YESNO) ? nAnswer : IDOK;
}

void RecordingUi::ShowAudioError(const char* text)
{
    char box[kAudioErrorTextBytes];
    FormatAudioError(box, text, nAudioErrorCode);
    messages.push_back({box, "(default)", MB_OK});
}

void EngineTest::SetUp()
{
    if (!g_state.szScratch) AllocTextBuffers();
    char* buffers[] = {g_state.szAppFolder, g_state.szSourcePath, g_state.szFileTitle,
                       g_state.szOutputFolder, g_state.szIniPath, g_state.szScratch};
    for (char* buffer : buffers) memset(buffer, 0, kTextBufferBytes);
    ReplaceFrameIndex(0);
    ClearTagTexts();
    g_state.fDuration = g_state.fPosition = g_state.fStart = g_state.fEnd = 0;
    g_state.bFolder = 0;
    g_log.Open(dir.File("log.txt").c_str());
    InstallEngineUi(&ui);
}

void EngineTest::TearDown()
{
    InstallEngineUi(nullptr);
    EXPECT_EQ(g_log.Level(), 0) << "every operation lowers the indentation it raised";
    ReplaceFrameIndex(0);
    ClearTagTexts();
}

std::vector<std::string> EngineTest::LogLines() const
{
    return LogLinesFrom(0);
}

std::vector<std::string> EngineTest::LogLinesFrom(size_t first) const
{
    std::vector<uint8_t> bytes = ReadFileBytes(dir.File("log.txt"));
    std::string text(bytes.begin(), bytes.end());
    std::vector<std::string> lines;
    size_t at = 0;
    while (!text.empty()) {
        size_t end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) break;
        at = end + 2;
    }
    if (first >= lines.size()) return {};
    return std::vector<std::string>(lines.begin() + static_cast<long>(first), lines.end());
}

std::string EngineTest::CopyIn(const std::string& from, const std::string& name) const
{
    const std::string path = dir.File(name);
    WriteFileBytes(path, ReadFileBytes(from));
    return path;
}

void EngineTest::Load(const std::string& path, float durationSeconds)
{
    strcpy(g_state.szSourcePath, path.c_str());
    strcpy(g_state.szFileTitle, FileTitleOf(path).c_str());
    SourceTag tag;
    MP3GetFrames();
    ReadSourceTag(tag);
    FillMissingTagTexts();
    // Without the audio library: one frame is 1152 samples at 44,100 Hz.
    g_state.fDuration = durationSeconds > 0 ? durationSeconds : static_cast<float>(g_state.nFrames * 1152.0 / 44100.0);
    g_state.fStart = 0;
    g_state.fEnd = g_state.fDuration;
}

void EngineTest::Select(float startSeconds, float endSeconds)
{
    g_state.fStart = startSeconds;
    g_state.fEnd = endSeconds;
}

std::vector<uint8_t> AudioOf(const std::vector<uint8_t>& file)
{
    const Id3v2Info tag = ReadId3v2(file.data(), file.size());
    EXPECT_EQ(tag.nMajor, 3) << "an ID3v2.3 tag in front";
    const bool v1 = file.size() >= 128 && memcmp(file.data() + file.size() - 128, "TAG", 3) == 0;
    EXPECT_TRUE(v1) << "an ID3v1 tag at the end";
    if (tag.nMajor == 0 || !v1 || static_cast<size_t>(tag.nTagBytes) + 128 > file.size()) return {};
    return Slice(file, tag.nTagBytes, static_cast<int64_t>(file.size()) - 128);
}

std::string CutProblems(const std::vector<uint8_t>& audio, const std::vector<uint8_t>& source, int32_t i, int32_t j)
{
    if (i >= j) return audio.empty() ? "" : "frames in a cut of none";
    // Whole frames, back to back.
    std::vector<size_t> starts;
    for (size_t p = 0; p < audio.size();) {
        const int32_t length = p + 4 <= audio.size() ? MP3FrameLength(audio.data() + p) : -1;
        if (length < 0 || p + static_cast<size_t>(length) > audio.size())
            return "no whole frame at byte " + std::to_string(p);
        starts.push_back(p);
        p += static_cast<size_t>(length);
    }
    const InfoFrameFacts info = MP3ReadInfoFrame(audio.data(), static_cast<int32_t>(starts.size() > 1 ? starts[1] : audio.size()));
    if (info.kind != InfoFrameKind::Xing && info.kind != InfoFrameKind::Info) return "no Xing/Info frame first";
    if (info.nFrames != static_cast<int32_t>(starts.size()) - 1) return "frame count " + std::to_string(info.nFrames);
    if (info.nBytes != static_cast<int32_t>(audio.size())) return "byte count " + std::to_string(info.nBytes);
    // The selected frames last, each as it is or as a frame of silence.
    const size_t lead = starts.size() - 1 - static_cast<size_t>(j - i);
    if (starts.size() < static_cast<size_t>(j - i) + 1 || lead > 2) return std::to_string(lead) + " priming frames";
    for (int32_t k = i; k < j; ++k) {
        const FrameEntry& f = g_state.pFrames[k];
        const size_t at = starts[1 + lead + static_cast<size_t>(k - i)];
        const std::vector<uint8_t> mine(audio.begin() + static_cast<long>(at), audio.begin() + static_cast<long>(at) + f.nLength);
        const std::vector<uint8_t> theirs(source.begin() + f.nOffset, source.begin() + f.nOffset + f.nLength);
        if (mine != theirs && mine != MP3SilentCopy(theirs.data(), f.nLength, MP3MainDataBegin(mine.data(), f.nLength)))
            return "selected frame " + std::to_string(k) + " not as in the source";
    }
    return "";
}

void MakeFolder(const std::string& path)
{
    std::filesystem::create_directories(path);
}

std::string FileTitleOf(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, int64_t begin, int64_t end)
{
    return std::vector<uint8_t>(bytes.begin() + begin, bytes.begin() + end);
}
