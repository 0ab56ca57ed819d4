#include "cutter.h"

#include "app_state.h"
#include "cut_check.h"
#include "cut_layout.h"
#include "diag_log.h"
#include "engine_ui.h"
#include "frame_header.h"
#include "frame_index.h"
#include "frame_scan.h"
#include "info_frame.h"
#include "output_name.h"
#include "side_info.h"
#include "source_file.h"
#include "tag_carry.h"
#include "wide_paths.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

CutWrittenHook g_cutWrittenHook = nullptr;

// What the source's describing frame says, read from the bytes held of
// it; false when the entry no longer holds one.
bool ReadInfoFacts(const FrameIndex& index, const SourceBytes& held, InfoFrameFacts& facts)
{
    const FrameEntry& entry = index.info;
    facts = InfoFrameFacts();
    if (entry.nLength == 0) return true;
    const uint8_t* bytes = held.Bytes(entry.nOffset, entry.nLength);
    if (!bytes || MP3FrameLength(bytes) != entry.nLength || !MP3IsInfoFrame(bytes, entry.nLength)) return false;
    facts = MP3ReadInfoFrame(bytes, entry.nLength);
    return true;
}

enum class Plan {
    Laid,     // the layout is made
    NoAudio,  // the selection takes no whole frame
    Stale,    // the file no longer holds the frames where the index says, or cannot be read
};

// Lays out the cut of span from the index and the bytes of its head
// (MP3CutHead), read now; each frame of the head must begin with the header
// the index has for it, but for a last frame cut off by the end of the file.
Plan LayOutFromFile(SourceFile& file, const FrameIndex& index, const FrameSpan& span, CutLayout& layout)
{
    if (span.i >= span.j) return Plan::NoAudio;
    const FrameEntry& infoFrame = index.info;
    SourceBytes infoBytes;
    InfoFrameFacts info;
    if (infoFrame.nLength != 0 &&
        !file.Read(infoFrame.nOffset, std::min<int64_t>(infoFrame.nLength, file.Size() - infoFrame.nOffset), infoBytes))
        return Plan::Stale;
    if (!ReadInfoFacts(index, infoBytes, info)) return Plan::Stale;

    const FrameEntry* frames = index.frames.data();
    const CutHead head = MP3CutHead(frames, span.i, span.j);
    const int64_t first = frames[head.nFirst].nOffset;
    const FrameEntry& last = frames[head.nEnd - 1];
    SourceBytes bytes;
    if (!file.Read(first, std::min(last.nOffset + last.nLength, file.Size()) - first, bytes)) return Plan::Stale;
    for (int32_t k = head.nFirst; k < head.nEnd; ++k) {
        const bool cutOff = frames[k].nOffset + frames[k].nLength > file.Size();
        if (cutOff && k == span.j - 1) continue;
        const uint8_t* frame = bytes.Bytes(frames[k].nOffset, frames[k].nLength);
        if (!frame || memcmp(frame, frames[k].abHeader, 4) != 0) return Plan::Stale;
    }
    const SampleRange played = {span.nFirstSample, span.nEndSample};
    return MP3LayOutCut(frames, span.i, span.j, played, file.Size(), bytes, info, layout) ? Plan::Laid : Plan::NoAudio;
}

// Maps the selection and lays out its cut: from the index as loaded when
// the file has the size it was indexed at and the frames stand where the
// index says, otherwise (or when fresh) from the whole file indexed anew.
// Stale when the file cannot be read.
Plan PlanCut(SourceFile& file, const CutJob& job, FrameIndex& index, bool fresh, FrameSpan& span, CutLayout& layout,
             const WorkProgress& progress)
{
    auto map = [&] {
        if (job.nEndSample > 0) return MP3MapSamples(index, job.nFirstSample, job.nEndSample);
        return MP3MapSelection(index, job.fStart, job.fEnd, job.fDuration);
    };
    span = map();
    if (!fresh && file.Size() == index.nBytes && !index.frames.empty()) {
        const Plan plan = LayOutFromFile(file, index, span, layout);
        if (plan != Plan::Stale) return plan;
    }
    int32_t counted = 0;
    if (!MP3IndexFile(file, index, &counted, progress)) return Plan::Stale;
    span = map();
    return LayOutFromFile(file, index, span, layout);
}

// Hands MP3EmitCut the source's runs from a buffer of its own, placed in
// step with the file's pages.
class RunReader {
public:
    explicit RunReader(SourceFile& source)
        : source_(source), buffer_(static_cast<uint8_t*>(OsAllocBuffer(kReadChunkBytes + 2 * kPageBytes)))
    {
    }
    // False when no buffer could be had.
    explicit operator bool() const { return buffer_ != nullptr; }
    const uint8_t* operator()(int64_t from, int64_t to)
    {
        uint8_t* const placed = PagePlaced(buffer_.get(), from);
        return source_.ReadInto(placed, from, to - from, [](int64_t) {}) ? placed : nullptr;
    }

private:
    SourceFile& source_;
    std::unique_ptr<uint8_t[], OsBufferFree> buffer_;
};

// Writes the new file: its leading tag, then the frames of the layout
// (MP3EmitCut), read from the source a run at a time, its tags at the end,
// and their Xing/Info frame again once it is final.
CutEmitted WriteNewFile(OsFile file, SourceFile& source, const FrameEntry* frames, CutLayout& layout,
                        const CutTags& tags, const WorkProgress& progress)
{
    const std::vector<uint8_t>& placeholder = tags.front;
    // The Xing/Info frame made final counts the tags written after the frames.
    layout.content.nTrailingBytes = static_cast<int64_t>(tags.back.size());
    if (!OsWriteExact(file, placeholder.data(), placeholder.size())) return CutEmitted::WriteFailed;
    RunReader reader(source);
    if (!reader) return CutEmitted::ReadFailed;
    const auto read = [&reader](int64_t from, int64_t to) { return reader(from, to); };
    int64_t written = 0, started = 0;  // bytes written; those whose writing to the disk has begun
    const auto write = [&](const uint8_t* bytes, size_t count) {
        if (!OsWriteExact(file, bytes, count)) return false;
        const int64_t before = written;
        written += static_cast<int64_t>(count);
        if ((before ^ written) >> 20 != 0) {  // at each MiB
            // The disk takes what is written meanwhile: the flush before the
            // file takes its name waits only for the last of it.
            OsStartWriteBack(file, static_cast<int64_t>(placeholder.size()) + started, written - started);
            started = written;
            if (progress) progress("写入", static_cast<int>(written * 100 / std::max<int64_t>(1, layout.nBytes)));
        }
        return true;
    };
    const CutEmitted emitted = MP3EmitCut(layout, frames, read, write);
    if (emitted != CutEmitted::Done) return emitted;
    if (!OsWriteExact(file, tags.back.data(), tags.back.size())) return CutEmitted::WriteFailed;
    if (layout.infoFrame.empty()) return emitted;
    const int64_t at = static_cast<int64_t>(placeholder.size());
    if (OsSeek(file, at, SEEK_SET) != at || !OsWriteExact(file, layout.infoFrame.data(), layout.infoFrame.size()))
        return CutEmitted::WriteFailed;
    return CutEmitted::Done;
}

// Whether the file at path holds exactly what the cut of layout with tags
// writes: as many bytes, its tags byte for byte, and its frames as the
// read-back check finds them. final is the layout made final by the frames
// (MP3EmitCut writing nothing), made at the first file that calls for it.
bool HoldsCut(const OsPath& path, SourceFile& source, const FrameEntry* frames, const CutLayout& layout,
              const CutTags& tags, std::unique_ptr<CutLayout>& final)
{
    OsFile file = OsOpenForReading(path);
    if (!file) return false;
    const int64_t size = OsFileSize(file);
    const int64_t back = static_cast<int64_t>(tags.back.size());
    std::vector<uint8_t> front(tags.front.size()), end(tags.back.size());
    const bool same = size == static_cast<int64_t>(front.size()) + layout.nBytes + back &&
                      OsReadExact(file, front.data(), front.size()) && front == tags.front &&
                      OsSeek(file, size - back, SEEK_SET) == size - back && OsReadExact(file, end.data(), end.size()) &&
                      end == tags.back;
    OsCloseFile(file);
    if (!same) return false;
    if (!final) {
        final.reset(new CutLayout(layout));
        final->content.nTrailingBytes = back;
        RunReader reader(source);
        const auto read = [&reader](int64_t from, int64_t to) { return reader(from, to); };
        if (!reader || MP3EmitCut(*final, frames, read, [](const uint8_t*, size_t) { return true; }) != CutEmitted::Done)
            final->nBytes = -1;  // matches no file
    }
    return final->nBytes == layout.nBytes && MP3CheckCutFile(path, *final);
}

// Whether path names a file that a cut before this one in the same run made or took.
bool MadeBefore(const CutJob& job, const OsPath& path)
{
    if (!job.pMadeBefore) return false;
    const std::u16string original = path.wide ? path.wide : u"";
    for (const auto& [text, made] : *job.pMadeBefore)
        if (text == path.ansi && made == original) return true;
    return false;
}

// The error box of a failed file operation: the text and the system's
// reason; without a reason, the audio library's box.
void ShowFileError(const char* text, uint32_t reason)
{
    const std::string words = reason ? OsErrorText(reason) : std::string();
    if (words.empty()) {
        CurrentEngineUi().ShowAudioError(text);
        return;
    }
    const std::string box = std::string(text) + "\n(" + words + ")";
    CurrentEngineUi().ShowMessage(box.c_str(), nullptr, MB_OK);
}

// Asks whether to open another file; Yes posts the open-file command.
void OfferToOpenAnother(const char* text, UINT icon)
{
    EngineUi& ui = CurrentEngineUi();
    if (ui.ShowMessage(text, kMessageCaption, icon | MB_YESNO) == IDYES) ui.PostOpenFileCommand();
}

}  // namespace

FrameSpan MP3MapSelection(const FrameIndex& index, float fStart, float fEnd, float fDuration)
{
    FrameSpan span = {0, 0};
    const SourceTimeline& timeline = index.timeline;
    const int64_t spf = timeline.nSamplesPerFrame;
    if (index.frames.empty() || timeline.nRate <= 0 || spf <= 0) return span;
    // A time in samples from the first one played, held within those played.
    const int64_t played = timeline.nEndSample - timeline.nFirstSample;
    const auto sample = [&](float t) -> int64_t {
        const double at = std::nearbyint(static_cast<double>(t) * timeline.nRate);
        return at > 0 ? static_cast<int64_t>(std::min(at, static_cast<double>(played))) : 0;
    };
    const int64_t first = sample(fStart), end = fEnd >= fDuration && fDuration > 0 ? played : sample(fEnd);
    return MP3MapSamples(index, first, end);
}

FrameSpan MP3MapSamples(const FrameIndex& index, int64_t nFirst, int64_t nEnd)
{
    FrameSpan span = {0, 0};
    const SourceTimeline& timeline = index.timeline;
    const int64_t spf = timeline.nSamplesPerFrame;
    if (index.frames.empty() || timeline.nRate <= 0 || spf <= 0) return span;
    const int64_t played = timeline.nEndSample - timeline.nFirstSample;
    const int64_t first = std::max<int64_t>(0, nFirst), end = std::min(nEnd, played);
    if (end <= first) return span;
    span.nFirstSample = timeline.nFirstSample + first;
    span.nEndSample = timeline.nFirstSample + end;
    // A last frame cut off by the end of the file is not written.
    int64_t n = static_cast<int64_t>(index.frames.size());
    const FrameEntry& last = index.frames.back();
    if (last.nOffset + last.nLength > index.nBytes && index.nBytes > 0) --n;
    span.nEndSample = std::min(span.nEndSample, n * spf);
    if (span.nEndSample <= span.nFirstSample) return FrameSpan{0, 0};
    span.i = static_cast<int32_t>(span.nFirstSample / spf);
    span.j = static_cast<int32_t>(std::min<int64_t>((span.nEndSample + spf - 1) / spf, n));
    return span;
}

double MP3SelectionSize()
{
    const FrameIndex& index = StateIndex();
    const FrameSpan span = MP3MapSelection(index, g_state.fStart, g_state.fEnd, g_state.fDuration);
    if (span.i >= span.j) return 0.0;
    int64_t bytes = 0;
    for (int32_t k = span.i; k < span.j; ++k) bytes += index.frames[size_t(k)].nLength;
    // The frames the cut puts before them, about the size of the first
    // selected frame (its Xing/Info frame) and of those before (priming: two
    // of one granule each, or one).
    bytes += index.frames[size_t(span.i)].nLength;
    const int32_t lead = MP3Granules(index.frames[size_t(span.i)].abHeader) == 1 ? 2 : 1;
    for (int32_t k = std::max(0, span.i - lead); k < span.i; ++k) bytes += index.frames[size_t(k)].nLength;
    return static_cast<double>(bytes) / 1024.0;
}

CutResult MP3CutSource(const CutJob& job, FrameIndex& index, const CutLog& log, const WorkProgress& progress)
{
    WrittenCut written;
    if (!MP3WriteCut(job, index, log, progress, written)) return written.result;
    return MP3FinishCut(written, log, progress);
}

bool MP3WriteCut(const CutJob& job, FrameIndex& index, const CutLog& log, const WorkProgress& progress,
                 WrittenCut& cut)
{
    CutResult& result = cut.result;
    result = CutResult();
    // The file may have changed since it was indexed: what is read now counts.
    SourceFile sourceFile;
    const SourceRead opened = sourceFile.Open(OsPath(job.rule.source, job.rule.sourceOriginal));
    if (opened != SourceRead::Ok) {
        result.status = CutStatus::Unreadable;
        return false;
    }
    log("大小: " + std::to_string(sourceFile.Size()));
    // A file found changed while it is copied is indexed anew and cut again
    // into a new file of the same name: the log tells only of that cut.
    for (bool fresh = false;; fresh = true) {
        CutLayout layout;
        switch (PlanCut(sourceFile, job, index, fresh, result.span, layout, progress)) {
        case Plan::Stale:
            result.status = CutStatus::Unreadable;
            return false;
        case Plan::NoAudio:
            // Nothing is written for a selection without audio (a cut-off
            // frame is none).
            result.status = CutStatus::NoAudio;
            return false;
        case Plan::Laid:
            break;
        }

        NewFile& made = result.made;
        made = NewFile();
        // The tags of the source as they are now, with the length the cut plays.
        const int64_t rate = std::max<int64_t>(1, index.timeline.nRate);
        const int64_t lengthMs = ((result.span.nEndSample - result.span.nFirstSample) * 1000 + rate / 2) / rate;
        const CutTags tags = job.pSourceTags
                                 ? MakeCutTags(*job.pSourceTags, job.texts, lengthMs)
                                 : MakeCutTags(OsPath(job.rule.source, job.rule.sourceOriginal), job.texts, lengthMs);
        std::unique_ptr<CutLayout> final;
        const auto holds = [&](const OsPath& path) {
            return !MadeBefore(job, path) && HoldsCut(path, sourceFile, index.frames.data(), layout, tags, final);
        };
        if (job.bTakeWritten && MP3FindNamedFile(job.rule, made, holds)) {
            result.status = CutStatus::Done;
            result.bFound = true;
            return false;
        }
        std::vector<std::string> lines;
        const auto tried = [&](const std::string& name) { lines.push_back("(?) 文件: " + name); };
        const OutputFile created = MP3CreateNewFile(job.rule, made, &result.nReason, tried);
        for (const std::string& line : lines) log(line);
        if (created == OutputFile::NotMp3) {
            result.status = CutStatus::NotMp3;
            return false;
        }
        if (created == OutputFile::Failed) {
            result.status = CutStatus::CannotCreate;
            return false;
        }
        const CutEmitted emitted = WriteNewFile(made.file, sourceFile, index.frames.data(), layout, tags, progress);
        result.nReason = emitted == CutEmitted::WriteFailed ? OsLastError() : 0;
        bool written = emitted == CutEmitted::Done;
        if (!OsCloseFile(made.file) && written) {
            written = false;
            result.nReason = OsLastError();
        }
        made.file = nullptr;
        if (emitted == CutEmitted::Changed && !fresh) {
            OsDeleteFile(made.TempPath());
            continue;
        }
        log("新文件: " + made.path);
        log("i=" + std::to_string(result.span.i) + ", j=" + std::to_string(result.span.j));
        // Where the source leaves too little before the selection (junk, another stream, a frame too full to
        // rebuild), its first samples differ from the source's.
        if (!layout.priming.bExact) log("开头与原文件不完全相同");
        if (!tags.dropped.empty()) log("舍弃的标签帧: " + tags.dropped);
        if (!written) {
            OsDeleteFile(made.TempPath());
            result.status = emitted == CutEmitted::WriteFailed || emitted == CutEmitted::Done ? CutStatus::CannotWrite
                                                                                               : CutStatus::Unreadable;
            return false;
        }
        cut.layout = std::move(layout);
        return true;
    }
}

CutResult MP3FinishCut(WrittenCut& cut, const CutLog& log, const WorkProgress& progress)
{
    CutResult& result = cut.result;
    NewFile& made = result.made;
    // Whatever went wrong on the way to the disk shows in the file as it reads back now.
    if (g_cutWrittenHook) g_cutWrittenHook(made.temp.c_str());
    if (!MP3CheckCutFile(made.TempPath(), cut.layout, progress)) {
        OsDeleteFile(made.TempPath());
        result.status = CutStatus::CheckFailed;
        return result;
    }
    // Only a whole, checked file takes its name.
    std::vector<std::string> lines;
    const auto tried = [&](const std::string& name) { lines.push_back("(?) 文件: " + name); };
    const OutputFile named = MP3CommitNewFile(made, &result.nReason, tried);
    for (const std::string& line : lines) log(line);
    if (named != OutputFile::Created) {
        OsDeleteFile(made.TempPath());
        result.status = named == OutputFile::NotMp3 ? CutStatus::NotMp3 : CutStatus::CannotCreate;
        return result;
    }
    result.status = CutStatus::Done;
    return result;
}

void MP3Split()
{
    LogScope scope("MP3Split");
    g_log.Print("mp3 文件: %s", g_state.szSourcePath);
    EngineUi& ui = CurrentEngineUi();
    if (!g_state.szSourcePath[0]) {
        OfferToOpenAnother("无文件.\n\n打开文件进行分割吗?", MB_ICONINFORMATION);
        return;
    }

    CutJob job;
    // An output folder that cannot take its separator names no new file.
    if (!StateOutputRule(job.rule)) job.rule.folder.assign(kTextBufferBytes, '?');
    job.fStart = g_state.fStart;
    job.fEnd = g_state.fEnd;
    job.fDuration = g_state.fDuration;
    job.texts = StateTagTexts();
    const auto log = [](const std::string& line) { g_log.Print("%s", line.c_str()); };
    const auto progress = [&ui](const char* what, int percent) { ui.ShowProgress(what, percent); };
    const CutResult result = MP3CutSource(job, StateIndex(), log, progress);
    MirrorStateIndex();
    ui.ShowProgress(nullptr, 100);
    if (result.status != CutStatus::Unreadable && result.status != CutStatus::NoAudio) {
        const size_t length = std::min(result.made.path.size(), kTextBufferBytes - 1);
        memcpy(g_state.szScratch, result.made.path.c_str(), length);
        g_state.szScratch[length] = '\0';
    }
    switch (result.status) {
    case CutStatus::Unreadable:
        g_log.Print("无文件.");
        return;
    case CutStatus::NoAudio:
        g_log.Print("所选范围没有音频");
        ui.ShowMessage("所选范围没有音频.\n\n请重新选择开始和结束时间.", kMessageCaption, MB_ICONWARNING);
        return;
    case CutStatus::NotMp3:
        ui.ShowMessage(kNotMp3Text, kMessageCaption, MB_ICONWARNING);
        return;
    case CutStatus::CannotCreate:
        g_log.Print("不能创建新的 MP3 文件");
        ShowFileError("不能创建文件", result.nReason);
        return;
    case CutStatus::CannotWrite:
        g_log.Print("不能写入新的 MP3 文件");
        ShowFileError("不能写入文件", result.nReason);
        return;
    case CutStatus::CheckFailed:
        g_log.Print("新文件校验失败");
        ui.ShowAudioError("不能写入文件");
        return;
    case CutStatus::Done:
        break;
    }
    OfferToOpenAnother("完成!\n文件已经分割.\n\n打开新文件进行分割吗?", MB_ICONQUESTION);
}

void SetCutWrittenHook(CutWrittenHook hook)
{
    g_cutWrittenHook = hook;
}
