#include "frame_index.h"

#include "app_state.h"
#include "diag_log.h"
#include "engine_ui.h"
#include "frame_scan.h"
#include "info_frame.h"
#include "wide_paths.h"

#include <algorithm>
#include <cstring>
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

namespace {

// The levels of the frames the scanner found, but for a describing frame
// (dropInfo) that the index keeps apart.
void TakeLevels(FrameScanner& scanner, FrameIndex& index, bool dropInfo)
{
    index.levels = scanner.TakeLevels();
    if (dropInfo && !index.levels.empty()) index.levels.erase(index.levels.begin());
}

bool IndexFile(SourceFile& file, FrameIndex& index, int32_t* counted, const WorkProgress& progress)
{
    index = FrameIndex();
    *counted = -1;
    const int64_t size = file.Size();
    FrameScanner scanner(size);
    // Chunk by chunk, each read after the bytes of the one before that the
    // scan still needs.
    std::vector<uint8_t> buffer;
    int64_t start = 0;      // file offset of buffer[0]
    int64_t available = 0;  // the end of the bytes read
    while (available < size) {
        const int64_t keep = std::min(std::max(scanner.Needed(), start), available);
        const size_t kept = static_cast<size_t>(available - keep);
        if (kept > 0) memmove(buffer.data(), buffer.data() + (keep - start), kept);
        const int64_t chunk = std::min<int64_t>(kReadChunkBytes, size - available);
        buffer.resize(kept + static_cast<size_t>(chunk));
        if (!file.ReadInto(buffer.data() + kept, available, chunk, [](int64_t) {})) return false;
        start = keep;
        available += chunk;
        scanner.Advance(buffer.data(), start, available);
        if (progress) progress("读取", static_cast<int>(available * 100 / size));
    }
    buffer = std::vector<uint8_t>();
    const auto read = [&](int64_t from, int64_t to) -> const uint8_t* {
        buffer.resize(static_cast<size_t>(std::max<int64_t>(1, to - from)));
        return file.ReadInto(buffer.data(), from, to - from, [](int64_t) {}) ? buffer.data() : nullptr;
    };
    int32_t found = scanner.Finish(read);
    if (found < 0) return false;
    // An encoder's describing frame at the start is not audio: the index
    // keeps it apart.
    FrameEntry info = {0, 0, {}};
    if (found > 0) {
        const FrameEntry first = scanner.Entry(0);
        const int64_t held = std::min<int64_t>(first.nLength, size - first.nOffset);
        const uint8_t* bytes = held > 0 ? read(first.nOffset, first.nOffset + held) : nullptr;
        if (bytes && MP3IsInfoFrame(bytes, static_cast<int32_t>(held))) info = first;
    }
    if (info.nLength > 0) --found;
    *counted = found;
    index.frames = scanner.Take();
    if (info.nLength > 0) index.frames.erase(index.frames.begin());
    TakeLevels(scanner, index, info.nLength > 0);
    index.info = info;
    index.nBytes = size;
    return true;
}

}  // namespace

bool MP3IndexFile(SourceFile& file, FrameIndex& index, int32_t* counted, const WorkProgress& progress)
{
    try {
        return IndexFile(file, index, counted, progress);
    } catch (const std::bad_alloc&) {  // an index larger than the memory left
        index = FrameIndex();
        return false;
    }
}

bool ReadAndIndexSource(SourceFile& file, bool log)
{
    ReplaceFrameIndex(0);
    FrameIndex index;
    int32_t counted = 0;
    const auto progress = [](const char* what, int percent) { CurrentEngineUi().ShowProgress(what, percent); };
    const bool indexed = MP3IndexFile(file, index, &counted, progress);
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
    const SourceRead opened = file.Open(SourcePath());
    if (opened == SourceRead::Ok) g_log.Print("大小: %s", std::to_string(file.Size()).c_str());
    if (opened != SourceRead::Ok || !ReadAndIndexSource(file, true)) {
        ReplaceFrameIndex(0);
    }
}
