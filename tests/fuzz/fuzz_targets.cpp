// One fuzz target through every parser: the frame scan (whole and in chunks),
// our ID3v2 reading, the load step's tag reading behind the id3lib guard and
// the cut's tag writing, and the layout of a cut. The first six bytes choose
// the chunk size and the span; the rest is the file. It aborts where a
// property fails; the sanitizers catch the rest.
#include "app_state.h"
#include "cut_check.h"
#include "cut_layout.h"
#include "frame_scan.h"
#include "id3v2_text.h"
#include "info_frame.h"
#include "tag_carry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

void Require(bool holds)
{
    if (!holds) abort();
}

std::vector<FrameEntry> Scan(const uint8_t* data, int64_t size)
{
    std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(data, size, nullptr)));
    Require(MP3ScanFrames(data, size, frames.data()) == static_cast<int32_t>(frames.size()));
    return frames;
}

// The scan stays inside the bytes and between the tags, and the bytes arriving
// in chunks give the same frames.
std::vector<FrameEntry> CheckScan(const uint8_t* data, int64_t size, int64_t chunk)
{
    const AudioRange range = MP3FindAudioRange(data, size);
    Require(range.nStart >= 0 && range.nStart <= range.nEnd && range.nEnd <= size);
    const std::vector<FrameEntry> frames = Scan(data, size);
    int64_t next = range.nStart;
    for (size_t k = 0; k < frames.size(); ++k) {
        Require(frames[k].nOffset >= next);
        Require(frames[k].nLength >= 24 && frames[k].nLength <= 1441);
        next = frames[k].nOffset + frames[k].nLength;
        Require(k + 1 == frames.size() || next <= range.nEnd);
    }
    std::vector<uint8_t> arriving(static_cast<size_t>(size), 0xA5);  // only what has arrived may be looked at
    FrameScanner scanner(arriving.data(), size);
    for (int64_t end = 0; end < size; scanner.Advance(end)) {
        const int64_t from = end;
        end = std::min(size, end + chunk);
        memcpy(arriving.data() + from, data + from, static_cast<size_t>(end - from));
    }
    std::vector<FrameEntry> chunked(static_cast<size_t>(scanner.Finish()));
    scanner.CopyTo(chunked.data());
    Require(chunked.size() == frames.size());
    Require(frames.empty() || memcmp(chunked.data(), frames.data(), frames.size() * sizeof(FrameEntry)) == 0);
    return frames;
}

// The layout of a cut of frames i..j stays inside the bytes held, and what it
// hands over passes the read-back check, every frame as in the source or as
// its silent copy.
void CheckCut(const uint8_t* data, size_t size, std::vector<FrameEntry> frames, int32_t from, int32_t count)
{
    InfoFrameFacts info;
    if (!frames.empty() && MP3IsLeadingInfoFrame(data, static_cast<int64_t>(size), frames[0])) {
        const int64_t held = std::min<int64_t>(frames[0].nLength, static_cast<int64_t>(size) - frames[0].nOffset);
        info = MP3ReadInfoFrame(data + frames[0].nOffset, static_cast<int32_t>(held));
        frames.erase(frames.begin());
    }
    const int32_t n = static_cast<int32_t>(frames.size());
    if (n < 2) return;
    const int32_t i = from % n;
    const int32_t j = std::min(i + count, n - 1);
    SourceBytes source;  // exactly the bytes held: a read past them is caught
    source.pData.reset(static_cast<uint8_t*>(OsAllocBuffer(size)));
    Require(source.pData != nullptr);
    memcpy(source.pData.get(), data, size);
    source.nSize = static_cast<int32_t>(size);
    CutLayout layout;
    if (!MP3LayOutCut(frames.data(), n, i, j, source, info, layout)) {
        Require(layout.nFrames == 0);
        return;
    }
    std::vector<uint8_t> cut;
    MP3EmitCut(layout, source, [&](const uint8_t* p, size_t c) {
        cut.insert(cut.end(), p, p + c);
        return true;
    });
    Require(static_cast<int64_t>(cut.size()) == layout.nBytes);
    Require(MP3CheckCutBytes(cut.data(), layout.nBytes, CutWritten{layout.nFrames, layout.nBytes, layout.nMusicCrc}));
    size_t at = cut.size();
    for (auto copied = layout.copied.rbegin(); copied != layout.copied.rend(); ++copied) {
        const FrameEntry& e = copied->entry;
        at -= static_cast<size_t>(e.nLength);
        const uint8_t* theirs = data + e.nOffset;
        std::vector<uint8_t> silent;
        if (copied->nSilentBegin >= 0) {
            silent = MP3SilentCopy(theirs, e.nLength, copied->nSilentBegin);
            theirs = silent.data();
        }
        Require(memcmp(cut.data() + at, theirs, static_cast<size_t>(e.nLength)) == 0);
    }
}

// The load step's tag reading and the cut's tag writing, through a scratch file.
void CheckTags(const uint8_t* data, size_t size)
{
    static const std::string path =
        std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/zdv-fuzz-" + std::to_string(getpid()) + ".mp3";
    static const std::string out = path + ".cut.mp3";
    FILE* f = fopen(path.c_str(), "wb");
    Require(f != nullptr);
    Require(size == 0 || fwrite(data, 1, size, f) == size);
    fclose(f);
    if (!g_state.szSourcePath) AllocTextBuffers();
    strcpy(g_state.szSourcePath, path.c_str());
    {
        SourceTag tag;
        ReadSourceTag(tag);
    }
    FillMissingTagTexts();
    static const uint8_t kFrame[417] = {0xFF, 0xFB, 0x90, 0x00};
    const std::vector<uint8_t> placeholder = CutTagPlaceholder();
    f = fopen(out.c_str(), "wb");
    Require(f != nullptr);
    fwrite(placeholder.data(), 1, placeholder.size(), f);
    fwrite(kFrame, 1, sizeof kFrame, f);
    fclose(f);
    WriteCutTag(out.c_str());
    remove(out.c_str());
    remove(path.c_str());
    ClearTagTexts();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6) return 0;
    const int64_t chunk = 1 + (data[0] | data[1] << 8);
    const int32_t from = data[2] | data[3] << 8;
    const int32_t count = 1 + (data[4] | data[5] << 8);
    data += 6;
    size -= 6;
    const Id3v2Info info = ReadId3v2(data, size);
    Require(info.nMajor == 0 || (info.nMajor >= 2 && info.nMajor <= 4));
    Require(Utf8ToUtf16(std::string(reinterpret_cast<const char*>(data), size)).size() <= size);
    CheckCut(data, size, CheckScan(data, static_cast<int64_t>(size), chunk), from, count);
    CheckTags(data, size);
    return 0;
}
