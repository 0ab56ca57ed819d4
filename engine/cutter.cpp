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
#include <cstring>
#include <cstdint>
#include <string>
#include <vector>

namespace {

CutWrittenHook g_cutWrittenHook = nullptr;

// n × t ÷ duration in double precision, product first; 0 when the duration
// is not positive or the result is not a number.
double Proportion(int32_t n, float t, float duration)
{
    if (!(duration > 0)) return 0.0;
    const double q = static_cast<double>(n) * static_cast<double>(t) / static_cast<double>(duration);
    return q == q ? q : 0.0;
}

// Truncation toward zero, held inside the range of the result type.
int32_t Truncate(double value)
{
    if (value >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    if (value <= static_cast<double>(INT32_MIN)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// The first index entry a cut of entries from i on may need bytes of: the
// one before it, and before that as many as hold the largest reservoir.
int32_t FirstNeeded(const FrameEntry* frames, int32_t i)
{
    // No frame's main data area is smaller than its length less a header,
    // a CRC and the largest side information.
    constexpr int32_t kLeastOverhead = 4 + 2 + 32;
    int32_t first = i > 0 ? i - 1 : 0;
    for (int32_t covered = 0; first > 0 && covered < kMaxMainDataBeginMpeg1;) {
        --first;
        covered += std::max(0, frames[first].nLength - kLeastOverhead);
    }
    return first;
}

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

// The file unchanged since it was indexed: reads only the bytes of the
// frames of span and of the frames before them that their reservoir may
// need, and the source's describing frame. False, source untouched, when
// any of those frames no longer stands where the index says with the length
// it says (checked as the bytes arrive), or the bytes cannot be read.
bool ReadSelectedFrames(SourceFile& file, const FrameIndex& index, const FrameSpan& span, SourceBytes& source,
                        InfoFrameFacts& info, const WorkProgress& progress)
{
    if (span.i >= span.j) return true;
    const FrameEntry& infoFrame = index.info;
    SourceBytes infoBytes;
    if (infoFrame.nLength != 0 &&
        !file.Read(infoFrame.nOffset, std::min<int64_t>(infoFrame.nLength, file.Size() - infoFrame.nOffset), infoBytes))
        return false;
    if (!ReadInfoFacts(index, infoBytes, info)) return false;

    const FrameEntry* frames = index.frames.data();
    const int32_t needed = FirstNeeded(frames, span.i);
    const int64_t first = frames[needed].nOffset;
    const FrameEntry& last = frames[span.j - 1];
    const int64_t length = std::min(last.nOffset + last.nLength, file.Size()) - first;
    std::unique_ptr<uint8_t[], OsBufferFree> data(static_cast<uint8_t*>(OsAllocBuffer(static_cast<size_t>(length))));
    if (!data) return false;
    bool holds = true;
    int32_t k = needed;
    auto check = [&](int64_t available) {
        if (progress) progress("读取", static_cast<int>((available - first) * 100 / std::max<int64_t>(1, length)));
        for (; holds && k < span.j; ++k) {
            const FrameEntry& frame = frames[k];
            if (frame.nOffset + static_cast<int64_t>(frame.nLength) > available) break;
            holds = frame.nOffset >= first && MP3FrameLength(data.get() + (frame.nOffset - first)) == frame.nLength;
        }
    };
    if (!file.ReadInto(data.get(), first, length, check) || !holds) return false;
    // The last frame of a file may be cut off at its end: the cut leaves it out.
    if (k == span.j - 1 && frames[k].nOffset + frames[k].nLength > file.Size()) ++k;
    if (k != span.j) return false;
    source.pData = std::move(data);
    source.nBase = first;
    source.nSize = length;
    return true;
}

// Reads what the cut takes and maps the selection: only the frames the cut
// takes when the file has the size it was indexed at and they stand where
// the index says, otherwise those of the whole file indexed anew. False when the
// file cannot be read.
bool ReadFramesToCut(SourceFile& file, const CutJob& job, FrameIndex& index, SourceBytes& source, InfoFrameFacts& info,
                     FrameSpan& span, const WorkProgress& progress)
{
    auto map = [&] {
        return MP3MapSelection(static_cast<int32_t>(index.frames.size()), job.fStart, job.fEnd, job.fDuration);
    };
    span = map();
    const bool unchanged = file.Size() == index.nBytes && !index.frames.empty();
    if (unchanged && ReadSelectedFrames(file, index, span, source, info, progress)) return true;
    int32_t counted = 0;
    if (!MP3IndexFile(file, index, &counted, progress)) return false;
    span = map();
    return ReadSelectedFrames(file, index, span, source, info, progress);
}

// Writes the new file: the room for its tag, then the frames of the layout
// (MP3EmitCut). False on any write error.
bool WriteNewFile(OsFile file, const SourceBytes& source, const CutLayout& layout, const TagTexts& texts,
                  const WorkProgress& progress)
{
    const std::vector<uint8_t> placeholder = CutTagPlaceholder(texts);
    if (!OsWriteExact(file, placeholder.data(), placeholder.size())) return false;
    int64_t written = 0;
    // In chunks, each told to progress.
    const auto write = [&](const uint8_t* bytes, size_t count) {
        for (size_t done = 0; done < count;) {
            const size_t chunk = std::min(count - done, static_cast<size_t>(kReadChunkBytes));
            if (!OsWriteExact(file, bytes + done, chunk)) return false;
            done += chunk;
            written += static_cast<int64_t>(chunk);
            if (progress) progress("写入", static_cast<int>(written * 100 / std::max<int64_t>(1, layout.nBytes)));
        }
        return true;
    };
    return MP3EmitCut(layout, source, write);
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

FrameSpan MP3MapSelection(int32_t nFrames, float fStart, float fEnd, float fDuration)
{
    FrameSpan span;
    span.i = Truncate(Proportion(nFrames, fStart, fDuration) - 1.0);
    span.j = Truncate(Proportion(nFrames, fEnd, fDuration));
    if (span.i < 0) span.i = 0;
    if (span.j >= nFrames) span.j = nFrames - 1;
    // A source too short to leave a frame by proportion, selected whole,
    // still gives all of its frames.
    if (span.i >= span.j && nFrames > 0 && !(fStart > 0) && !(fEnd < fDuration) && fDuration > 0) {
        span.i = 0;
        span.j = nFrames;
    }
    return span;
}

double MP3SelectionSize()
{
    if (!g_state.pFrames) return 0.0;
    const FrameSpan span = MP3MapSelection(g_state.nFrames, g_state.fStart, g_state.fEnd, g_state.fDuration);
    if (span.i >= span.j) return 0.0;
    int64_t bytes = 0;
    for (int32_t k = span.i; k < span.j; ++k) bytes += g_state.pFrames[k].nLength;
    // The frames the cut puts before them, about the size of the first
    // selected frame (its Xing/Info frame) and of the one before (priming).
    bytes += g_state.pFrames[span.i].nLength;
    if (span.i > 0) bytes += g_state.pFrames[span.i - 1].nLength;
    return static_cast<double>(bytes) / 1024.0;
}

CutResult MP3CutSource(const CutJob& job, FrameIndex& index, const CutLog& log, const WorkProgress& progress)
{
    CutResult result;
    // The file may have changed since it was indexed: what is read now counts.
    SourceFile sourceFile;
    SourceBytes source;
    InfoFrameFacts sourceInfo;
    const SourceRead opened = sourceFile.Open(OsPath(job.rule.source, job.rule.sourceOriginal));
    if (opened == SourceRead::Ok) log("大小: " + std::to_string(sourceFile.Size()));
    if (opened != SourceRead::Ok ||
        !ReadFramesToCut(sourceFile, job, index, source, sourceInfo, result.span, progress)) {
        result.status = CutStatus::Unreadable;
        return result;
    }
    sourceFile.Close();
    // Nothing is written for a selection without audio (a cut-off frame is
    // none).
    CutLayout layout;
    const int32_t n = static_cast<int32_t>(index.frames.size());
    if (!MP3LayOutCut(index.frames.data(), n, result.span.i, result.span.j, source, sourceInfo, layout)) {
        result.status = CutStatus::NoAudio;
        return result;
    }

    NewFile& made = result.made;
    const auto tried = [&](const std::string& name) { log("(?) 文件: " + name); };
    switch (MP3CreateNewFile(job.rule, made, &result.nReason, tried)) {
    case OutputFile::NotMp3:
        result.status = CutStatus::NotMp3;
        return result;
    case OutputFile::Failed:
        result.status = CutStatus::CannotCreate;
        return result;
    case OutputFile::Created:
        break;
    }
    log("新文件: " + made.path);
    log("i=" + std::to_string(result.span.i) + ", j=" + std::to_string(result.span.j));
    bool written = WriteNewFile(made.file, source, layout, job.texts, progress);
    result.nReason = written ? 0 : OsLastError();
    if (!OsCloseFile(made.file) && written) {
        written = false;
        result.nReason = OsLastError();
    }
    made.file = nullptr;
    if (!written) {
        OsDeleteFile(made.Path());
        result.status = CutStatus::CannotWrite;
        return result;
    }
    WriteCutTag(made.Path(), job.texts);
    // Whatever went wrong on the way to the disk (the tag library included)
    // shows in the file as it reads back now.
    if (g_cutWrittenHook) g_cutWrittenHook(made.path.c_str());
    const bool checked = MP3CheckCutFile(made.Path(), layout, source, progress);
    source = SourceBytes();
    if (!checked) {
        OsDeleteFile(made.Path());
        result.status = CutStatus::CheckFailed;
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
