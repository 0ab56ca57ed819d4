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

// The current selection of g_state mapped to its index.
FrameSpan CurrentSpan()
{
    return MP3MapSelection(g_state.nFrames, g_state.fStart, g_state.fEnd, g_state.fDuration);
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
bool ReadInfoFacts(const SourceBytes& held, InfoFrameFacts& facts)
{
    const FrameEntry& entry = g_state.feInfoFrame;
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
bool ReadSelectedFrames(SourceFile& file, const FrameSpan& span, SourceBytes& source, InfoFrameFacts& info)
{
    if (span.i >= span.j) return true;
    const FrameEntry& infoFrame = g_state.feInfoFrame;
    SourceBytes infoBytes;
    if (infoFrame.nLength != 0 &&
        !file.Read(infoFrame.nOffset, std::min(infoFrame.nLength, file.Size() - infoFrame.nOffset), infoBytes))
        return false;
    if (!ReadInfoFacts(infoBytes, info)) return false;

    const FrameEntry* frames = g_state.pFrames;
    const int32_t needed = FirstNeeded(frames, span.i);
    const int64_t first = frames[needed].nOffset;
    const FrameEntry& last = frames[span.j - 1];
    const int32_t length = static_cast<int32_t>(static_cast<int64_t>(last.nOffset) + last.nLength - first);
    std::unique_ptr<uint8_t[], OsBufferFree> data(static_cast<uint8_t*>(OsAllocBuffer(static_cast<size_t>(length))));
    if (!data) return false;
    bool holds = true;
    int32_t k = needed;
    auto check = [&](int64_t available) {
        for (; holds && k < span.j; ++k) {
            const FrameEntry& frame = frames[k];
            if (frame.nOffset + static_cast<int64_t>(frame.nLength) > available) break;
            holds = frame.nOffset >= first && MP3FrameLength(data.get() + (frame.nOffset - first)) == frame.nLength;
        }
    };
    if (!file.ReadInto(data.get(), first, length, check) || !holds || k != span.j) return false;
    source.pData = std::move(data);
    source.nBase = first;
    source.nSize = length;
    return true;
}

// The file changed (or never indexed): reads it whole, indexes it anew from
// the bytes just read and maps the selection to the new index. False when
// the file cannot be read.
bool ReadAndReindex(SourceFile& file, SourceBytes& source, InfoFrameFacts& info, FrameSpan& span)
{
    if (!ReadAndIndexSource(file, source, false)) return false;
    ReadInfoFacts(source, info);
    span = CurrentSpan();
    return true;
}

// Reads what the cut takes and maps the selection: only the frames the cut
// takes when the file has the size it was indexed at and they stand where
// the index says, otherwise the whole file, indexed anew. False when the
// file cannot be read.
bool ReadFramesToCut(SourceFile& file, SourceBytes& source, InfoFrameFacts& info, FrameSpan& span)
{
    span = CurrentSpan();
    const bool unchanged = file.Size() == g_state.nSourceBytes && g_state.pFrames;
    if (unchanged && ReadSelectedFrames(file, span, source, info)) return true;
    return ReadAndReindex(file, source, info, span);
}

// Writes the new file: the room for its tag, then the frames of the layout
// (MP3EmitCut). False on any write error.
bool WriteNewFile(OsFile file, const SourceBytes& source, const CutLayout& layout)
{
    const std::vector<uint8_t> placeholder = CutTagPlaceholder();
    if (!OsWriteExact(file, placeholder.data(), placeholder.size())) return false;
    return MP3EmitCut(layout, source, [&](const uint8_t* bytes, size_t count) { return OsWriteExact(file, bytes, count); });
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

void MP3Split()
{
    LogScope scope("MP3Split");
    g_log.Print("mp3 文件: %s", g_state.szSourcePath);
    EngineUi& ui = CurrentEngineUi();
    if (!g_state.szSourcePath[0]) {
        OfferToOpenAnother("无文件.\n\n打开文件进行分割吗?", MB_ICONINFORMATION);
        return;
    }

    // The file may have changed since it was loaded: what is read now counts.
    SourceFile sourceFile;
    SourceBytes source;
    InfoFrameFacts sourceInfo;
    FrameSpan span;
    if (sourceFile.Open(SourcePath()) != SourceRead::Ok ||
        !ReadFramesToCut(sourceFile, source, sourceInfo, span)) {
        g_log.Print("无文件.");
        return;
    }
    sourceFile.Close();
    // Nothing is written for a selection without audio (a cut-off frame is
    // none).
    CutLayout layout;
    if (!MP3LayOutCut(g_state.pFrames, g_state.nFrames, span.i, span.j, source, sourceInfo, layout)) {
        g_log.Print("所选范围没有音频");
        ui.ShowMessage("所选范围没有音频.\n\n请重新选择开始和结束时间.", kMessageCaption, MB_ICONWARNING);
        return;
    }

    OsFile file = nullptr;
    uint32_t reason = 0;
    std::u16string original;
    switch (CreateOutputFile(&file, &reason, original)) {
    case OutputFile::NotMp3:
        ui.ShowMessage("错误: 8001\n不支持的文件格式.", kMessageCaption, MB_ICONWARNING);
        return;
    case OutputFile::Failed:
        g_log.Print("不能创建新的 MP3 文件");
        ShowFileError("不能创建文件", reason);
        return;
    case OutputFile::Created:
        break;
    }
    const std::string text = g_state.szScratch;
    const OsPath path(text.c_str(), original.empty() ? nullptr : original.c_str());
    g_log.Print("新文件: %s", text.c_str());

    g_log.Print("i=%d, j=%d", span.i, span.j);
    bool written = WriteNewFile(file, source, layout);
    reason = written ? 0 : OsLastError();
    if (!OsCloseFile(file) && written) {
        written = false;
        reason = OsLastError();
    }
    if (!written) {
        OsDeleteFile(path);
        g_log.Print("不能写入新的 MP3 文件");
        ShowFileError("不能写入文件", reason);
        return;
    }
    WriteCutTag(path);
    // Whatever went wrong on the way to the disk (the tag library included)
    // shows in the file as it reads back now.
    if (g_cutWrittenHook) g_cutWrittenHook(text.c_str());
    const bool checked = MP3CheckCutFile(path, layout, source);
    source = SourceBytes();
    if (!checked) {
        OsDeleteFile(path);
        g_log.Print("新文件校验失败");
        ui.ShowAudioError("不能写入文件");
        return;
    }
    OfferToOpenAnother("完成!\n文件已经分割.\n\n打开新文件进行分割吗?", MB_ICONQUESTION);
}

void SetCutWrittenHook(CutWrittenHook hook)
{
    g_cutWrittenHook = hook;
}
