#include "frame_index.h"

#include "app_state.h"
#include "diag_log.h"
#include "frame_scan.h"
#include "info_frame.h"
#include "wide_paths.h"

#include <algorithm>
#include <new>
#include <string>

namespace {

FrameIndex g_stateIndex;

}  // namespace

FrameIndex& StateIndex()
{
    return g_stateIndex;
}

void MirrorStateIndex()
{
    const FrameIndex& index = g_stateIndex;
    g_state.pFrames = index.frames.empty() ? nullptr : const_cast<FrameEntry*>(index.frames.data());
    g_state.nFrames = static_cast<int32_t>(index.frames.size());
    g_state.feInfoFrame = index.info;
    g_state.nSourceBytes = index.nBytes;
}

bool ReplaceFrameIndex(int32_t count)
{
    g_stateIndex = FrameIndex();
    bool held = count == 0;
    if (count > 0) {
        try {
            g_stateIndex.frames.resize(static_cast<size_t>(count));
            held = true;
        } catch (const std::bad_alloc&) {
        }
    }
    MirrorStateIndex();
    return held;
}

bool MP3IndexFile(SourceFile& file, FrameIndex& index, SourceBytes& bytes, int32_t* counted)
{
    index = FrameIndex();
    bytes = SourceBytes();
    *counted = -1;
    // The scanner sees the buffer the bytes arrive in; it reads only what
    // has arrived.
    const size_t size = static_cast<size_t>(file.Size());
    std::unique_ptr<uint8_t[], OsBufferFree> data(static_cast<uint8_t*>(OsAllocBuffer(size)));
    if (!data) return false;
    FrameScanner scanner(data.get(), file.Size());
    const auto arrived = [&](int64_t available) { scanner.Advance(available); };
    if (!file.ReadInto(data.get(), 0, file.Size(), arrived)) return false;
    int32_t found = scanner.Finish();
    // An encoder's describing frame at the start is not audio: the index
    // keeps it apart.
    FrameEntry info = {0, 0};
    if (found > 0 && MP3IsLeadingInfoFrame(data.get(), file.Size(), scanner.Entry(0))) {
        info = scanner.Entry(0);
        --found;
    }
    *counted = found;
    try {
        index.frames.resize(static_cast<size_t>(found));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (found > 0) scanner.CopyTo(index.frames.data(), info.nLength > 0 ? 1 : 0);
    index.info = info;
    index.nBytes = file.Size();
    bytes.pData = std::move(data);
    bytes.nBase = 0;
    bytes.nSize = file.Size();
    return true;
}

bool ReadAndIndexSource(SourceFile& file, SourceBytes& bytes, bool log)
{
    ReplaceFrameIndex(0);
    FrameIndex index;
    int32_t counted = 0;
    const bool indexed = MP3IndexFile(file, index, bytes, &counted);
    if (indexed) g_stateIndex = std::move(index);
    MirrorStateIndex();
    if (log && counted >= 0) {
        g_log.Print("帧数: %d", counted);
        g_log.Print("帧数: %d", g_state.nFrames);
    }
    return indexed;
}

void MP3GetFrames()
{
    LogScope scope("MP3GetFrames");
    g_log.Print("mp3 文件: %s", g_state.szSourcePath);

    SourceFile file;
    SourceBytes bytes;
    const SourceRead opened = file.Open(SourcePath());
    if (opened == SourceRead::Ok) g_log.Print("大小: %s", std::to_string(file.Size()).c_str());
    if (opened != SourceRead::Ok || !ReadAndIndexSource(file, bytes, true)) {
        ReplaceFrameIndex(0);
    }
}
