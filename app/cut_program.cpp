// vodizaro-cut: the cut on the command line (cut_command_line.h). It shares
// the engine with the window and measures a source's duration as the window
// does, so that the same times give the same file. Paths are UTF-8 on Linux
// and UTF-16 on Windows.
#include "cut_command_line.h"
#include "split_plan.h"
#include "cutter.h"
#include "frame_header.h"
#include "mp3_decoder.h"
#include "path_text.h"
#include "sound_level.h"
#include "wide_paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>
#include <tuple>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
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

// ": " and the system's words for why, where it has them; else nothing.
std::string BecauseOf(uint32_t reason)
{
    const std::string words = reason ? PathArgument::ShownText(OsErrorText(reason)) : std::string();
    return words.empty() ? std::string() : ": " + words;
}

std::string CannotBeRead(uint32_t reason)
{
    return "cannot be read" + BecauseOf(reason);
}

// The folder source lies in, as a folder is given on the command line: "."
// for a bare name.
std::string FolderOfSource(const PathArgument& source)
{
    const std::string shown = source.Shown();
    const size_t slash = shown.find_last_of("/\\");
    return slash == std::string::npos ? "." : shown.substr(0, slash + 1);
}

// What the window learns of a source when it loads it: the frame index, the
// duration from the decoder and the tag texts ("-" for none). The decoder's
// measure reads the whole file, as the index does: it runs on a thread of
// its own meanwhile, with its own copy of the path and its own handle on the
// file; the decoder and its result are looked at only once that thread has
// been joined. Without exact, the duration is the index's gapless timeline
// and no decoder measures it: the splits take exact samples of that
// timeline and no time needs the decoder's length. With levels, the index
// has those of the frames' side information (silences and snapping use them).
bool LoadSource(const PathArgument& source, bool exact, FrameIndex& index, float& duration, TagTexts& texts,
                std::string& error, bool levels)
{
    SourceFile file;
    int32_t counted = 0;
    const SourceRead opened = file.Open(source.Path());
    if (opened == SourceRead::TooLarge) error = "larger than the program supports";
    if (opened != SourceRead::Ok) {
        if (error.empty()) error = CannotBeRead(OsLastError());
        return false;
    }
    Mp3Decoder decoder;
    DecoderOpenResult decoded = exact ? DecoderOpenResult::FileNotOpened : DecoderOpenResult::Ok;
    const auto measure = [&decoder, &decoded, path = source] { decoded = decoder.Open(path.Path()); };
    std::thread measuring;
    try {
        if (exact) measuring = std::thread(measure);
    } catch (const std::system_error&) {  // no second thread: one after the other
        measure();
    }
    const bool indexed = MP3IndexFile(file, index, &counted, nullptr, levels);
    const uint32_t reason = OsLastError();
    if (measuring.joinable()) measuring.join();
    if (!indexed) {
        if (error.empty()) error = CannotBeRead(reason);
        return false;
    }
    if (decoded != DecoderOpenResult::Ok || index.frames.empty()) {
        error = "holds no MPEG audio a decoder can play";
        return false;
    }
    const SourceTimeline& timeline = index.timeline;
    duration = exact ? static_cast<float>(decoder.BytesToSeconds(decoder.LengthBytes()))
                     : static_cast<float>(double(timeline.nEndSample - timeline.nFirstSample) /
                                          std::max(1, timeline.nRate));
    MP3ReadTagTexts(source.Path(), texts);
    for (TagText& text : texts.texts) {
        if (text.bPresent) continue;
        text.bPresent = true;
        text.text = "-";
    }
    return true;
}

// The new files of source are named after it (the output rule's source and
// title) in folder (UTF-8), or beside it when folder is empty. A source whose
// name does not end in ".mp3" (a .mp2, .mpga or a name without one) lends
// its name with ".mp3" instead, in its own folder where none is given: the
// new files are MP3 files, and the first name tried beside it would be the
// source itself.
void NameAfterSource(const PathArgument& source, std::string folder, OutputRule& rule)
{
    rule.source = source.text;
    rule.sourceOriginal = source.original;
    const char* title = FindLastSeparator(source.text.c_str(), kOsPathSeparator);
    rule.title = title ? title + 1 : source.text;
    if (!HasMp3Extension(rule.title)) {
        rule.title = StemOf(rule.title) + ".mp3";
        if (!source.original.empty()) rule.titleOriginal = StemOf(FileTitleOf(source.original)) + u".mp3";
        if (folder.empty()) folder = FolderOfSource(source);
    }
    rule.bBesideSource = folder.empty();
    if (!folder.empty()) {
        const PathArgument at = FolderOf(folder);
        rule.folder = at.text;
        rule.folderOriginal = at.original;
    }
}

// LoadSource, or a line on the standard error saying why not.
bool LoadOrSay(const PathArgument& source, bool exact, FrameIndex& index, float& duration, TagTexts& texts,
               bool levels = false)
{
    std::string error;
    if (LoadSource(source, exact, index, duration, texts, error, levels)) return true;
    fprintf(stderr, "vodizaro-cut: %s: %s\n", source.Shown().c_str(), error.c_str());
    return false;
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
    // A silence longer than the file is none: the least length stays above its frames.
    return FindSilences(index.levels, command.thresholdDb, static_cast<int32_t>(std::min(minFrames, frames + 1)));
}

int PrintSilences(const FrameIndex& index, float duration, const CutCommandLine& command)
{
    // Where a frame begins on the timeline the source plays, in seconds.
    const SourceTimeline& timeline = index.timeline;
    const auto at = [&timeline](int64_t frame) {  // within the samples it plays
        const int64_t sample = frame * timeline.nSamplesPerFrame - timeline.nFirstSample;
        const int64_t played = timeline.nEndSample - timeline.nFirstSample;
        return static_cast<double>(std::clamp<int64_t>(sample, 0, played)) / std::max(1, timeline.nRate);
    };
    for (const SilentSpan& silence : SilencesOf(index, duration, command))
        printf("%s %s\n", TimeText(at(silence.first)).c_str(), TimeText(at(silence.end)).c_str());
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

// The line on the standard error of a cut that failed, naming its new file,
// or the source where it had none yet.
void SayCutFailed(const CutResult& result, const PathArgument& source)
{
    const PathArgument made = {result.made.path, result.made.original};
    fprintf(stderr, "vodizaro-cut: %s: %s%s\n", (result.made.path.empty() ? source : made).Shown().c_str(),
            ReasonOf(result), BecauseOf(result.nReason).c_str());
}

// The UTF-16 of UTF-8 text (valid, as a sheet's text is once read).
std::u16string Utf16Of(const std::string& text)
{
    std::u16string wide;
    for (size_t k = 0; k < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[k]);
        const size_t tail = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        uint32_t code = tail ? c & (0x3F >> tail) : c;
        for (size_t n = 1; n <= tail && k + n < text.size(); ++n) code = code << 6 | (text[k + n] & 0x3F);
        k += tail + 1;
        if (code >= 0x10000) {
            wide += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            code = 0xDC00 + (code & 0x3FF);
        }
        wide += static_cast<char16_t>(code);
    }
    return wide;
}

// A text of a sheet as a tag text: in code page 936, with the Unicode
// original where it is not plain ASCII; "-" for none when always.
TagText TagTextOf(const std::string& utf8, bool always)
{
    TagText text;
    text.bPresent = always || !utf8.empty();
    if (utf8.empty()) {
        text.text = always ? "-" : "";
        return text;
    }
    bool ascii = true;
    for (const char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    text.text = ascii ? utf8 : OsUtf16ToAnsi(Utf16Of(utf8).c_str(), Utf16Of(utf8).size());
    if (!ascii) text.wide = Utf16Of(utf8);
    return text;
}

// The bytes of a small file (a cue sheet); false when it cannot be read.
bool ReadSmallFile(const OsPath& path, std::string& bytes)
{
    OsFile file = OsOpenForReading(path);
    const int64_t size = file ? OsFileSize(file) : -1;
    bytes.assign(size > 0 && size < (4 << 20) ? static_cast<size_t>(size) : 0, '\0');
    const bool read = file && size >= 0 && size < (4 << 20) && OsReadExact(file, &bytes[0], bytes.size());
    if (file) OsCloseFile(file);
    return read;
}

// Per cent of a split on a terminal: the parts done and how far the one
// being written is.
void ShowSplitProgress(double done)
{
#ifdef _WIN32
    const bool terminal = _isatty(_fileno(stderr));
#else
    const bool terminal = isatty(fileno(stderr));
#endif
    if (terminal) fprintf(stderr, done < 1 ? "\r%3d%%" : "\r    \r", static_cast<int>(done * 100));
}

// Frames on each side of a boundary that tell how loud it is for --snap:
// about a tenth of a second.
constexpr int64_t kSnapAroundFrames = 4;

// Moves each split point between the parts (not the first start nor the
// last end) to the quietest frame boundary within reach samples of it, by
// the frames' levels (sound_level.h): the middle of the longest run of
// equally quiet boundaries, the one nearest of runs as long. A point stays
// after the one before it, as moved, and before the one after; the parts
// stay back to back.
void SnapSplitPoints(std::vector<SplitPart>& parts, const std::vector<uint8_t>& levels, const SplitTimeline& timeline,
                     int64_t reach)
{
    const int64_t spf = timeline.perFrame, delay = timeline.delay, frames = static_cast<int64_t>(levels.size());
    // Frame f begins at sample f x spf - delay of the timeline played: the
    // first and last boundaries inside it.
    const int64_t lowest = delay / spf + 1;
    const int64_t highest = std::min(frames - 1, (timeline.played + delay - 1) / spf);
    const int64_t within = std::max<int64_t>(1, reach / spf);
    for (size_t k = 1; k < parts.size(); ++k) {
        const int64_t at = (parts[k].first + delay) / spf;
        // Between the point before, as it moved, and the one after.
        const int64_t after = k + 1 < parts.size() ? (parts[k + 1].first + delay) / spf - 1 : highest;
        const int64_t from = std::max({at - within, lowest, (parts[k - 1].first + delay) / spf + 1});
        const int64_t to = std::min({at + within, highest, after});
        // How loud each boundary is: the frames around it taken together.
        std::vector<uint8_t> loudness;
        for (int64_t f = from; f <= to; ++f)
            loudness.push_back(SpanLevel(levels, std::max<int64_t>(0, f - kSnapAroundFrames),
                                         std::min(frames, f + kSnapAroundFrames)));
        if (loudness.empty()) continue;
        // The middle of the longest run of the quietest boundaries; of runs
        // as long, the one nearest the point.
        const uint8_t quietest = *std::min_element(loudness.begin(), loudness.end());
        int64_t best = at, bestRun = 0;
        for (size_t n = 0; n < loudness.size();) {
            size_t end = n;
            while (end < loudness.size() && loudness[end] == quietest) ++end;
            const int64_t run = static_cast<int64_t>(end - n), middle = from + static_cast<int64_t>(n + end) / 2;
            if (run > bestRun || (run == bestRun && run > 0 && std::llabs(middle - at) < std::llabs(best - at))) {
                best = middle;
                bestRun = run;
            }
            n = end + (end == n);
        }
        parts[k].first = best * spf - delay;
        parts[k - 1].end = parts[k].first;
    }
}

// A split: the sheet read and its source found, or the source of the words;
// the parts planned in full before the first is cut, each cut as the window
// cuts; a failure removes what this run wrote (not the parts it found
// written before).
int RunSplit(const CutCommandLine& command)
{
    std::string error;
    CueSheet sheet;
    int entry = -1;
    std::string sourceName = command.source;
    if (command.kind == CutCommandLine::Kind::SplitCue) {
        const PathArgument sheetPath = PathOf(command.sheet);
        std::string bytes;
        if (!ReadSmallFile(sheetPath.Path(), bytes)) error = CannotBeRead(OsLastError());
        if (error.empty() && !ParseCueSheet(bytes, sheet, error)) error = error.empty() ? "not a cue sheet" : error;
        if (error.empty()) entry = ChooseCueFile(sheet, command.source, error);
        if (!error.empty()) {
            fprintf(stderr, "vodizaro-cut: %s: %s\n", sheetPath.Shown().c_str(), error.c_str());
            return 1;
        }
        if (sourceName.empty()) {  // the first that is there, else the name as written
            const std::string& name = sheet.files[size_t(entry)].name;
            const std::vector<std::string> candidates = CueSourceCandidates(command.sheet, name);
            sourceName = candidates[0];
            for (const std::string& candidate : candidates)
                if (OsPathExists(PathOf(candidate).Path())) {
                    sourceName = candidate;
                    break;
                }
        }
    }
    const PathArgument source = PathOf(sourceName);
    FrameIndex index;
    float duration = 0;
    TagTexts texts;
    const bool atSilences = command.kind == CutCommandLine::Kind::SplitSilences;
    if (!LoadOrSay(source, false, index, duration, texts, command.snap > 0 || atSilences)) return 1;
    const SourceTimeline& timeline = index.timeline;
    SplitTimeline plan;
    plan.played = timeline.nEndSample - timeline.nFirstSample;
    plan.delay = timeline.nFirstSample;
    plan.perFrame = timeline.nSamplesPerFrame;
    plan.rate = timeline.nRate;
    std::vector<SplitPart> parts;
    for (const auto& [first, end] : atSilences ? SplitAtSilences(SilencesOf(index, duration, command), index)
                                               : std::vector<std::pair<int64_t, int64_t>>()) {
        parts.emplace_back();
        parts.back().first = first;
        parts.back().end = end;
    }
    const bool planned =
        atSilences ? !parts.empty()
        : command.kind == CutCommandLine::Kind::SplitCue
            ? PlanCueSplit(sheet, size_t(entry), plan, parts, error)
            : PlanEvenSplit(plan, std::llround(double(command.every) * plan.rate), command.parts, parts, error);
    if (atSilences && parts.empty()) error = "the range holds no audio";
    if (!planned) {
        const std::string named =
            command.kind == CutCommandLine::Kind::SplitCue ? PathOf(command.sheet).Shown() : source.Shown();
        fprintf(stderr, "vodizaro-cut: %s: %s\n", named.c_str(), error.c_str());
        return 1;
    }
    if (command.snap > 0) SnapSplitPoints(parts, index.levels, plan, std::llround(double(command.snap) * plan.rate));

    // The source's tags, read once for all parts; a part already there from
    // a run before, exactly as this one would write it, counts as written.
    const CutSourceTags sourceTags = ReadCutSourceTags(source.Path());
    CutJob job;
    job.pSourceTags = &sourceTags;
    job.bTakeWritten = true;
    job.fDuration = duration;
    // Parts named by the sheet go beside the source unless a folder is given.
    const bool named = !parts[0].name.empty();
    const std::string folder = command.folder.empty() && named ? FolderOfSource(source) : command.folder;
    NameAfterSource(source, folder, job.rule);
    // Each part is written while the one before it is checked and named on
    // a thread of its own; the lines come in the parts' order. A part is
    // never taken for written by the file of another part of this run.
    std::vector<PathArgument> made;
    std::vector<std::pair<std::string, std::u16string>> names;  // of the parts this run made or took
    job.pMadeBefore = &names;
    const auto report = [&](const CutResult& result) {
        const PathArgument path = {result.made.path, result.made.original};
        if (result.status == CutStatus::Done) {
            if (!result.bFound) made.push_back(path);
            names.emplace_back(path.text, path.original);
            printf("%s\n", path.Shown().c_str());
            fflush(stdout);
            return true;
        }
        ShowSplitProgress(1);
        SayCutFailed(result, source);
        for (const PathArgument& written : made) OsDeleteFile(written.Path());
        return false;
    };
    const auto noLog = [](const std::string&) {};
    WrittenCut cuts[2];
    CutResult finished;
    std::thread finishing;
    const auto finish = [&](WrittenCut& cut) {
        const auto run = [&finished, &cut, &noLog] { finished = MP3FinishCut(cut, noLog, nullptr); };
        try {
            finishing = std::thread(run);
        } catch (const std::system_error&) {  // no second thread: one after the other
            run();
        }
    };
    bool pending = false;  // a part waits for finished
    std::string lastTitle;  // the name of the part before, and its number
    std::u16string lastTitleOriginal;
    int lastNumber = 0;
    const double total = static_cast<double>(plan.played);
    for (size_t k = 0; k < parts.size(); ++k) {
        const SplitPart& part = parts[k];
        job.nFirstSample = part.first;
        job.nEndSample = part.end;
        job.texts = texts;
        if (!part.name.empty()) {
            const PathArgument name = PathOf(part.name);
            job.rule.title = name.text;
            job.rule.titleOriginal = name.original;
            for (int n = 0; n < 3; ++n) job.texts.texts[n] = TagTextOf(part.texts[n], true);
            for (int n = 0; n < 3; ++n) job.texts.extras[n] = TagTextOf(part.texts[3 + n], false);
        }
        const auto progress = [&](const char* what, int percent) {
            if (what && strcmp(what, "写入") == 0)
                ShowSplitProgress((part.first + double(part.end - part.first) * percent / 100) / total);
        };
        // A part named as the one before it tries the numbered names after that one's only.
        const bool sameName = job.rule.title == lastTitle && job.rule.titleOriginal == lastTitleOriginal;
        job.rule.nFromNumber = sameName ? lastNumber + 1 : 0;
        WrittenCut& cut = cuts[k % 2];
        const bool written = MP3WriteCut(job, index, noLog, progress, cut);
        lastTitle = job.rule.title;
        lastTitleOriginal = job.rule.titleOriginal;
        lastNumber = cut.result.made.number;
        // The name it is to take, before it takes it on the other thread.
        if (written) names.emplace_back(cut.result.made.path, cut.result.made.original);
        if (finishing.joinable()) finishing.join();
        if (pending && !report(finished)) {
            if (written) OsDeleteFile(cut.result.made.TempPath());
            return 1;
        }
        pending = written;
        if (!written && !report(cut.result)) return 1;
        if (written) finish(cut);
    }
    if (finishing.joinable()) finishing.join();
    if (pending && !report(finished)) return 1;
    ShowSplitProgress(1);
    return 0;
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
    if (command.kind == CutCommandLine::Kind::SplitCue || command.kind == CutCommandLine::Kind::SplitEvery ||
        command.kind == CutCommandLine::Kind::SplitParts || command.kind == CutCommandLine::Kind::SplitSilences)
        return RunSplit(command);
    const PathArgument source = PathOf(command.source);
    FrameIndex index;
    float duration = 0;
    TagTexts texts;
    const bool silences = command.kind == CutCommandLine::Kind::Silences;
    if (!LoadOrSay(source, true, index, duration, texts, silences)) return 1;
    if (command.kind == CutCommandLine::Kind::Info) return PrintInfo(source, index, duration, texts);
    if (silences) return PrintSilences(index, duration, command);

    CutJob job;
    job.texts = texts;
    job.fDuration = duration;
    NameAfterSource(source, command.folder, job.rule);
    int status = 0;
    for (size_t k = 0; k < command.ranges.size(); ++k) {
        std::tie(job.fStart, job.fEnd) = command.ranges[k];
        const CutResult result = MP3CutSource(job, index, [](const std::string&) {});
        const PathArgument made = {result.made.path, result.made.original};
        if (result.status == CutStatus::Done) {
            printf("%s\n", made.Shown().c_str());
            fflush(stdout);  // each line as its file is done, in order with the errors
            continue;
        }
        SayCutFailed(result, source);
        status = 1;
    }
    return status;
}

// The exit status of a run: where the lines of the new files could not all
// be handed on (a full disk, a closed pipe), not 0, with a line saying so.
int Finished(int status)
{
    if (fflush(stdout) == 0 && !ferror(stdout)) return status;
    fprintf(stderr, "vodizaro-cut: the list of new files cannot be written\n");
    return status != 0 ? status : 1;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> words;
    for (int k = 1; k < argc; ++k) words.push_back(OsUtf16ToUtf8(reinterpret_cast<const char16_t*>(argv[k])));
    return Finished(Run(words));
}
#else
int main(int argc, char** argv)
{
    return Finished(Run(std::vector<std::string>(argv + 1, argv + argc)));
}
#endif
