// vodizaro-cut: the cut on the command line (cut_command_line.h). It shares
// the engine with the window and measures a source's duration as the window
// does, so that the same times give the same file. Paths are UTF-8 on Linux
// and UTF-16 on Windows.
#include "cut_command_line.h"
#include "cutter.h"
#include "frame_header.h"
#include "mp3_decoder.h"
#include "path_text.h"
#include "sound_level.h"
#include "wide_paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// A path given on the command line as the engine names it: on Windows its
// code-page-936 text and, where that loses characters, its UTF-16 original;
// on Linux the bytes as they are.
struct PathArgument {
    std::string text;
    std::u16string original;
    OsPath Path() const { return OsPath(text, original); }
    // As the command line prints it.
    std::string Shown() const { return original.empty() ? ShownText(text) : OsUtf16ToUtf8(original); }
    static std::string ShownText(const std::string& text)
    {
#ifdef _WIN32
        return OsUtf16ToUtf8(OsAnsiToUtf16(text.c_str()));
#else
        return text;
#endif
    }
};

PathArgument PathOf(std::string utf8)
{
    PathArgument path;
#ifdef _WIN32
    for (char& c : utf8) c = c == '/' ? '\\' : c;
    std::u16string wide(utf8.size() + 1, u'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1,
                                                        reinterpret_cast<wchar_t*>(&wide[0]), int(wide.size())) - 1));
    SplitPath(wide, path.text, path.original);
#else
    path.text = utf8;
#endif
    return path;
}

// A folder given on the command line, ending in a separator.
PathArgument FolderOf(std::string utf8)
{
    if (utf8.empty() || (utf8.back() != '/' && utf8.back() != kOsPathSeparator)) utf8 += kOsPathSeparator;
    return PathOf(utf8);
}

// A tag text as the command line prints it.
std::string Shown(const TagText& text)
{
    if (!text.wide.empty()) return OsUtf16ToUtf8(text.wide);
    return text.bPresent ? PathArgument::ShownText(text.text) : "-";
}

// What the window learns of a source when it loads it: the frame index, the
// duration from the decoder and the tag texts ("-" for none).
bool LoadSource(const PathArgument& source, FrameIndex& index, float& duration, TagTexts& texts, std::string& error)
{
    SourceFile file;
    int32_t counted = 0;
    const SourceRead opened = file.Open(source.Path());
    if (opened == SourceRead::TooLarge) error = "larger than the program supports";
    if (opened != SourceRead::Ok || !MP3IndexFile(file, index, &counted)) {
        if (error.empty()) error = "cannot be read: " + PathArgument::ShownText(OsErrorText(OsLastError()));
        return false;
    }
    Mp3Decoder decoder;
    if (decoder.Open(source.Path()) != DecoderOpenResult::Ok || index.frames.empty()) {
        error = "holds no MPEG audio a decoder can play";
        return false;
    }
    duration = static_cast<float>(decoder.BytesToSeconds(decoder.LengthBytes()));
    MP3ReadTagTexts(source.Path(), texts);
    for (TagText& text : texts.texts) {
        if (text.bPresent) continue;
        text.bPresent = true;
        text.text = "-";
    }
    return true;
}

int PrintInfo(const PathArgument& source, const FrameIndex& index, float duration, const TagTexts& texts)
{
    SourceBytes head;
    SourceFile file;
    const FrameEntry& first = index.frames.front();
    if (file.Open(source.Path()) != SourceRead::Ok || !file.Read(first.nOffset, 4, head)) return 1;
    const uint8_t* header = head.Bytes(first.nOffset, 4);
    const char* version = MP3IsMpeg1(header) ? "1" : MP3SampleRate(header) < 16000 ? "2.5" : "2";
    printf("frames: %zu\nduration: %.3f s\n", index.frames.size(), duration);
    const char* channels = MP3IsMono(header) ? "mono" : "stereo";
    printf("stream: MPEG %s Layer III, %d Hz, %s\n", version, MP3SampleRate(header), channels);
    printf("artist: %s\nalbum: %s\ntitle: %s\n", Shown(texts.texts[0]).c_str(), Shown(texts.texts[1]).c_str(),
           Shown(texts.texts[2]).c_str());
    return 0;
}

// A time as the command line takes it: h:mm:ss.fff.
std::string TimeText(double seconds)
{
    const long long ms = std::llround(seconds * 1000);
    char text[40];
    snprintf(text, sizeof text, "%lld:%02lld:%02lld.%03lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return text;
}

// The silences of a source by the options of the command, as frames.
std::vector<SilentSpan> SilencesOf(const FrameIndex& index, float duration, const CutCommandLine& command)
{
    const double frames = static_cast<double>(index.frames.size());
    const double minFrames = duration > 0 ? std::ceil(command.minSeconds * frames / duration) : 1;
    return FindSilences(index.levels, command.thresholdDb, static_cast<int32_t>(std::min(minFrames, frames)));
}

int PrintSilences(const FrameIndex& index, float duration, const CutCommandLine& command)
{
    const double secondsPerFrame = duration / static_cast<double>(index.frames.size());
    for (const SilentSpan& silence : SilencesOf(index, duration, command)) {
        printf("%s %s\n", TimeText(silence.first * secondsPerFrame).c_str(),
               TimeText(silence.end * secondsPerFrame).c_str());
    }
    return 0;
}

const char* ReasonOf(const CutResult& result)
{
    switch (result.status) {
    case CutStatus::Unreadable: return "the source cannot be read";
    case CutStatus::NoAudio: return "the range holds no audio";
    case CutStatus::NotMp3: return "the name is taken and does not end in .mp3";
    case CutStatus::CannotCreate: return "cannot be created";
    case CutStatus::CannotWrite: return "cannot be written";
    case CutStatus::CheckFailed: return "did not read back as written";
    case CutStatus::Done: break;
    }
    return "";
}

int Run(const std::vector<std::string>& words)
{
    CutCommandLine command;
    std::string error;
    if (!ParseCutCommandLine(words, command, error)) {
        fprintf(stderr, "vodizaro-cut: %s\n", error.empty() ? "see vodizaro-cut -h" : error.c_str());
        return 2;
    }
    if (command.kind == CutCommandLine::Kind::Help) {
        fputs(kCutCommandHelp, stdout);
        return 0;
    }
    const PathArgument source = PathOf(command.source);
    FrameIndex index;
    float duration = 0;
    TagTexts texts;
    if (!LoadSource(source, index, duration, texts, error)) {
        fprintf(stderr, "vodizaro-cut: %s: %s\n", source.Shown().c_str(), error.c_str());
        return 1;
    }
    if (command.kind == CutCommandLine::Kind::Info) return PrintInfo(source, index, duration, texts);
    if (command.kind == CutCommandLine::Kind::Silences) return PrintSilences(index, duration, command);
    if (command.kind == CutCommandLine::Kind::Split) {
        const int32_t frames = static_cast<int32_t>(index.frames.size());
        command.ranges = SplitAtSilences(SilencesOf(index, duration, command), frames, duration);
    }

    CutJob job;
    job.texts = texts;
    job.fDuration = duration;
    job.rule.source = source.text;
    job.rule.sourceOriginal = source.original;
    const char* title = FindLastSeparator(source.text.c_str(), kOsPathSeparator);
    job.rule.title = title ? title + 1 : source.text;
    job.rule.bBesideSource = command.folder.empty();
    if (!command.folder.empty()) {
        const PathArgument folder = FolderOf(command.folder);
        job.rule.folder = folder.text;
        job.rule.folderOriginal = folder.original;
    }
    int status = 0;
    for (const auto& [start, end] : command.ranges) {
        job.fStart = start;
        job.fEnd = end;
        const CutResult result = MP3CutSource(job, index, [](const std::string&) {});
        const PathArgument made = {result.made.path, result.made.original};
        if (result.status == CutStatus::Done) {
            printf("%s\n", made.Shown().c_str());
            continue;
        }
        const bool named = !result.made.path.empty();
        const std::string reason = result.nReason ? ": " + PathArgument::ShownText(OsErrorText(result.nReason)) : "";
        fprintf(stderr, "vodizaro-cut: %s: %s%s\n", (named ? made : source).Shown().c_str(), ReasonOf(result),
                reason.c_str());
        status = 1;
    }
    return status;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> words;
    for (int k = 1; k < argc; ++k) words.push_back(OsUtf16ToUtf8(reinterpret_cast<const char16_t*>(argv[k])));
    return Run(words);
}
#else
int main(int argc, char** argv)
{
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
