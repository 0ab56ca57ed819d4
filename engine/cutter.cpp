#include "cutter.h"

#include "app_state.h"
#include "bit_reservoir.h"
#include "diag_log.h"
#include "engine_ui.h"
#include "frame_index.h"
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

// Writes the new file: the room for its tag, then the selected frames, runs
// of adjacent frames in one write each. A frame holding the source's VBR
// header is left out: it would describe the whole source. The first frame,
// when its audio begins in frames that are not copied, goes in as a frame of
// silence that keeps its bytes for the next one. Never reads past the bytes of
// the source. False on any write error.
bool WriteNewFile(OsFile file, const SourceBytes& source, FrameSpan span)
{
    const uint8_t* data = source.pData.get();
    auto copied = [&](const FrameEntry& frame) {
        const int64_t end = static_cast<int64_t>(frame.nOffset) + frame.nLength;
        return frame.nOffset >= 0 && end <= source.nSize && !IsVbrHeaderFrame(data + frame.nOffset, frame.nLength);
    };
    // A file without frames gets its tag written in place anyway.
    if (std::any_of(g_state.pFrames + std::max(span.i, 0), g_state.pFrames + std::max(span.j, 0), copied)) {
        const std::vector<uint8_t> placeholder = CutTagPlaceholder();
        if (!OsWriteExact(file, placeholder.data(), placeholder.size())) return false;
    }

    int64_t runStart = 0, runEnd = 0;
    bool first = true;
    auto flush = [&]() {
        const bool ok = runEnd == runStart || OsWriteExact(file, data + runStart, static_cast<size_t>(runEnd - runStart));
        runStart = runEnd;
        return ok;
    };
    for (int32_t k = span.i; k < span.j; ++k) {
        const FrameEntry& frame = g_state.pFrames[k];
        const int64_t end = static_cast<int64_t>(frame.nOffset) + frame.nLength;
        if (!copied(frame)) continue;
        if (first && MP3MainDataBegin(data + frame.nOffset, frame.nLength) > 0) {
            std::vector<uint8_t> silent(data + frame.nOffset, data + end);
            MP3MakeSilentFrame(silent.data(), frame.nLength);
            if (!OsWriteExact(file, silent.data(), silent.size())) return false;
            runStart = runEnd = end;
        } else if (frame.nOffset != runEnd) {
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

    // The index is built again from the bytes read now: the file may have
    // changed since it was loaded.
    SourceBytes source;
    if (ReadSourceFile(g_state.szSourcePath, source) != SourceRead::Ok ||
        !ReplaceFrameIndex(MP3ScanFrames(source.pData.get(), source.nSize, nullptr))) {
        g_log.Print("无文件.");
        return;
    }
    MP3ScanFrames(source.pData.get(), source.nSize, g_state.pFrames);

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

    const FrameSpan span = MP3MapSelection(g_state.nFrames, g_state.fStart, g_state.fEnd, g_state.fDuration);
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
