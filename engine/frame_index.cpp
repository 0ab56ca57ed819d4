#include "frame_index.h"

#include "app_state.h"
#include "diag_log.h"
#include "engine_ui.h"
#include "frame_header.h"
#include "frame_scan.h"
#include "info_frame.h"
#include "wide_paths.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
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

// The bytes of the file held while it is scanned, from Start() on, in a
// block not cleared when taken (each byte used is read into it first). Each
// byte lies where it lies within a page of the file within a page of the
// block: the system copies a read so placed fastest, and on some processors
// one that lands a few bytes further on takes five times as long.
class ScanBuffer {
public:
    // planned: the bytes the first Hold makes room for (unless it asks for
    // more).
    explicit ScanBuffer(int64_t planned) : planned_(planned) {}
    int64_t Start() const { return start_; }
    // Where the file's byte at offset lies, held or to be read.
    uint8_t* At(int64_t offset) const { return base_ + (offset - start_); }
    // Keeps the bytes held from keep up to available (from Start() on),
    // dropping those before, with room for the bytes up to end. False when
    // the memory cannot be had.
    bool Hold(int64_t keep, int64_t available, int64_t end)
    {
        const size_t kept = static_cast<size_t>(available - keep);
        const int64_t lead = keep % kPageBytes;
        uint8_t* const from = kept > 0 ? At(keep) : nullptr;
        if (lead + end - keep > room_) {
            const int64_t room = std::max(lead + end - keep, planned_ + kPageBytes);
            std::unique_ptr<uint8_t[], OsBufferFree> block(
                static_cast<uint8_t*>(OsAllocBuffer(static_cast<size_t>(room + kPageBytes))));
            if (!block) return false;
            uint8_t* const page = PagePlaced(block.get(), 0);
            if (kept > 0) memcpy(page + lead, from, kept);
            block_ = std::move(block);
            page_ = page;
            room_ = room;
        } else if (kept > 0 && from != page_ + lead) {
            memmove(page_ + lead, from, kept);
        }
        base_ = page_ + lead;
        start_ = keep;
        return true;
    }

private:
    int64_t planned_;
    std::unique_ptr<uint8_t[], OsBufferFree> block_;
    uint8_t* page_ = nullptr;  // the first page boundary in block_
    int64_t room_ = 0;         // bytes from page_ on
    uint8_t* base_ = nullptr;  // where the byte at start_ lies
    int64_t start_ = 0;
};

// The levels of the frames the scanner found, but for a describing frame
// (dropInfo) that the index keeps apart.
void TakeLevels(FrameScanner& scanner, FrameIndex& index, bool dropInfo)
{
    index.levels = scanner.TakeLevels();
    if (dropInfo && !index.levels.empty()) index.levels.erase(index.levels.begin());
}

bool IndexFile(SourceFile& file, FrameIndex& index, int32_t* counted, const WorkProgress& progress, bool levels)
{
    index = FrameIndex();
    *counted = -1;
    const int64_t size = file.Size();
    FrameScanner scanner(size, levels);
    // Chunk by chunk, each read after the bytes of the one before that the
    // scan still needs, until the file's last kTailBytes begin: from there on
    // every byte stays, so that Finish finds them held. A chunk that holds
    // the tail's start is read in two, the progress told once.
    const int64_t tailStart = std::max<int64_t>(0, size - FrameScanner::kTailBytes);
    ScanBuffer buffer(std::min<int64_t>(size, FrameScanner::kTailBytes + kReadChunkBytes));
    int64_t available = 0;  // the end of the bytes read
    while (available < size) {
        const int64_t start = buffer.Start();
        const int64_t keep = available > tailStart ? start : std::min(std::max(scanner.Needed(), start), available);
        const int64_t chunkEnd = std::min<int64_t>(size, (available / kReadChunkBytes + 1) * kReadChunkBytes);
        const int64_t end = available < tailStart ? std::min(chunkEnd, tailStart) : chunkEnd;
        if (!buffer.Hold(keep, available, end)) return false;
        if (!file.ReadInto(buffer.At(available), available, end - available, [](int64_t) {})) return false;
        available = end;
        scanner.Advance(buffer.At(keep), keep, available);
        if (progress && available == chunkEnd) progress("读取", static_cast<int>(available * 100 / size));
    }
    // Bytes outside those held (the first frame of a file longer than the
    // tail) are read again.
    std::vector<uint8_t> other;
    const auto read = [&](int64_t from, int64_t to) -> const uint8_t* {
        if (available > 0 && from >= buffer.Start() && from <= to && to <= available) return buffer.At(from);
        other.resize(static_cast<size_t>(std::max<int64_t>(1, to - from)));
        return file.ReadInto(other.data(), from, to - from, [](int64_t) {}) ? other.data() : nullptr;
    };
    int32_t found = scanner.Finish(read);
    if (found < 0) return false;
    // An encoder's describing frame at the start is not audio: the index
    // keeps it apart.
    FrameEntry info = {0, 0, {}};
    InfoFrameFacts facts;
    if (found > 0) {
        const FrameEntry first = scanner.Entry(0);
        const int64_t held = std::min<int64_t>(first.nLength, size - first.nOffset);
        const uint8_t* bytes = held > 0 ? read(first.nOffset, first.nOffset + held) : nullptr;
        if (bytes && MP3IsInfoFrame(bytes, static_cast<int32_t>(held))) {
            info = first;
            facts = MP3ReadInfoFrame(bytes, static_cast<int32_t>(held));
        }
    }
    if (info.nLength > 0) --found;
    *counted = found;
    index.frames = scanner.Take();
    if (info.nLength > 0) index.frames.erase(index.frames.begin());
    TakeLevels(scanner, index, info.nLength > 0);
    index.info = info;
    index.nBytes = size;
    index.timeline = MP3TimelineOf(index.frames, facts);
    return true;
}

}  // namespace

SourceTimeline MP3TimelineOf(const std::vector<FrameEntry>& frames, const InfoFrameFacts& info)
{
    SourceTimeline timeline;
    if (frames.empty()) return timeline;
    const uint8_t* header = frames.front().abHeader;
    timeline.nRate = MP3SampleRate(header);
    timeline.nSamplesPerFrame = MP3SamplesPerFrame(header);
    const int64_t n = static_cast<int64_t>(frames.size()), spf = timeline.nSamplesPerFrame;
    timeline.nEndSample = n * spf;
    if (info.bLame) {
        // The padding is believed only when the frame count agrees with the
        // index (a cut-off or grown file has none at its end).
        const int64_t first = info.nDelay + kDecoderDelaySamples;
        const int64_t padded = info.nFrames == n ? info.nPadding - kDecoderDelaySamples : 0;
        const int64_t end = std::min(n * spf, n * spf - padded);
        if (first < end) {
            timeline.nFirstSample = first;
            timeline.nEndSample = end;
        }
    }
    return timeline;
}

bool MP3IndexFile(SourceFile& file, FrameIndex& index, int32_t* counted, const WorkProgress& progress, bool levels)
{
    try {
        return IndexFile(file, index, counted, progress, levels);
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
