#include "cutter.h"

#include "app_state.h"
#include "bit_reservoir.h"
#include "diag_log.h"
#include "engine_ui.h"
#include "frame_header.h"
#include "frame_index.h"
#include "frame_scan.h"
#include "output_name.h"
#include "source_file.h"
#include "tag_carry.h"
#include "vbr_header.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

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

// Reads what the cut takes and maps the selection: only the bytes of the
// selected frames, when the file has the size it was indexed at and each of
// those frames still stands where the index says, with the length it says
// (checked as the bytes arrive); otherwise the whole file, indexed anew from
// the bytes just read. False when the file cannot be read.
bool ReadFramesToCut(SourceFile& file, SourceBytes& source, FrameSpan& span)
{
    span = CurrentSpan();
    if (file.Size() == g_state.nSourceBytes && g_state.pFrames) {
        if (span.i >= span.j) return true;
        const int64_t first = g_state.pFrames[span.i].nOffset;
        const FrameEntry& last = g_state.pFrames[span.j - 1];
        const int32_t length = static_cast<int32_t>(static_cast<int64_t>(last.nOffset) + last.nLength - first);
        std::unique_ptr<uint8_t[], OsBufferFree> data(static_cast<uint8_t*>(OsAllocBuffer(static_cast<size_t>(length))));
        bool holds = data != nullptr;
        int32_t k = span.i;
        auto check = [&](int64_t available) {
            for (; holds && k < span.j; ++k) {
                const FrameEntry& frame = g_state.pFrames[k];
                if (frame.nOffset + static_cast<int64_t>(frame.nLength) > available) break;
                holds = frame.nOffset >= first &&
                        MP3FrameLength(data.get() + (frame.nOffset - first)) == frame.nLength;
            }
        };
        if (holds && file.ReadInto(data.get(), first, length, check) && holds && k == span.j) {
            source.pData = std::move(data);
            source.nBase = first;
            source.nSize = length;
            return true;
        }
    }
    if (!ReadAndIndexSource(file, source, false)) return false;
    span = CurrentSpan();
    return true;
}

// Writes the new file: the room for its tag, then the selected frames, runs
// of adjacent frames in one write each. A frame holding the source's VBR
// header is left out: it would describe the whole source. The first frame,
// when its audio begins in frames that are not copied, goes in as a frame of
// silence that keeps its bytes for the next one. Copies only bytes it holds.
// False on any write error.
bool WriteNewFile(OsFile file, const SourceBytes& source, FrameSpan span)
{
    auto bytesOf = [&](const FrameEntry& frame) { return source.Bytes(frame.nOffset, frame.nLength); };
    auto copied = [&](const FrameEntry& frame) {
        const uint8_t* bytes = bytesOf(frame);
        return bytes && !IsVbrHeaderFrame(bytes, frame.nLength);
    };
    // A file without frames gets its tag written in place anyway.
    const FrameEntry* frames = g_state.pFrames;
    if (span.i < span.j && std::any_of(frames + span.i, frames + span.j, copied)) {
        const std::vector<uint8_t> placeholder = CutTagPlaceholder();
        if (!OsWriteExact(file, placeholder.data(), placeholder.size())) return false;
    }

    // A run of adjacent frames, [runStart, runEnd) of the file, not yet written.
    int64_t runStart = 0, runEnd = 0;
    auto flush = [&]() {
        const bool ok = runEnd == runStart ||
                        OsWriteExact(file, source.Bytes(runStart, runEnd - runStart), static_cast<size_t>(runEnd - runStart));
        runStart = runEnd;
        return ok;
    };
    bool first = true;
    for (int32_t k = span.i; k < span.j; ++k) {
        const FrameEntry& frame = frames[k];
        if (!copied(frame)) continue;
        const uint8_t* bytes = bytesOf(frame);
        const int64_t end = static_cast<int64_t>(frame.nOffset) + frame.nLength;
        if (first && MP3MainDataBegin(bytes, frame.nLength) > 0) {
            std::vector<uint8_t> silent(bytes, bytes + frame.nLength);
            MP3MakeSilentFrame(silent.data(), frame.nLength);
            if (!OsWriteExact(file, silent.data(), silent.size())) return false;
            runStart = runEnd = end;
        } else if (frame.nOffset != runEnd || runStart == runEnd) {
            if (!flush()) return false;
            runStart = frame.nOffset;
            runEnd = end;
        } else {
            runEnd = end;
        }
        first = false;
    }
    return flush();
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
    return span;
}

double MP3SelectionSize()
{
    if (!g_state.pFrames) return 0.0;
    const FrameSpan span = MP3MapSelection(g_state.nFrames, g_state.fStart, g_state.fEnd, g_state.fDuration);
    int64_t bytes = 0;
    for (int32_t k = span.i; k < span.j; ++k) bytes += g_state.pFrames[k].nLength;
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
    FrameSpan span;
    if (sourceFile.Open(g_state.szSourcePath) != SourceRead::Ok || !ReadFramesToCut(sourceFile, source, span)) {
        g_log.Print("无文件.");
        return;
    }
    sourceFile.Close();

    OsFile file = nullptr;
    switch (CreateOutputFile(&file)) {
    case OutputFile::NotMp3:
        ui.ShowMessage("错误: 8001\n不支持的文件格式.", kMessageCaption, MB_ICONWARNING);
        return;
    case OutputFile::Failed:
        g_log.Print("不能创建新的 MP3 文件");
        ui.ShowAudioError("不能创建文件");
        return;
    case OutputFile::Created:
        break;
    }
    const std::string path = g_state.szScratch;
    g_log.Print("新文件: %s", path.c_str());

    g_log.Print("i=%d, j=%d", span.i, span.j);
    const bool written = WriteNewFile(file, source, span);
    source = SourceBytes();
    if (!OsCloseFile(file) || !written) {
        OsDeleteFile(path.c_str());
        g_log.Print("不能写入新的 MP3 文件");
        ui.ShowAudioError("不能写入文件");
        return;
    }
    WriteCutTag(path.c_str());
    OfferToOpenAnother("完成!\n文件已经分割.\n\n打开新文件进行分割吗?", MB_ICONQUESTION);
}
