// One fuzz target through every parser: the frame scan, our ID3v2 reading, a cut's layout and the read-back
// check of what it emits (it aborts where that fails), the load step's tag reading and the cut's tag writing.
// The first four bytes choose the span, the rest is the file; the sanitizers catch the rest.
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
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// The frames i..j of the file, laid out from exactly the bytes held (a read past them is caught), emitted, read back.
void CheckCut(const uint8_t* data, size_t size, int32_t from, int32_t count)
{
    std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(data, static_cast<int64_t>(size), nullptr)));
    MP3ScanFrames(data, static_cast<int64_t>(size), frames.data());
    InfoFrameFacts info;
    if (!frames.empty() && MP3IsLeadingInfoFrame(data, static_cast<int64_t>(size), frames[0])) {
        const int64_t held = std::min<int64_t>(frames[0].nLength, static_cast<int64_t>(size) - frames[0].nOffset);
        info = MP3ReadInfoFrame(data + frames[0].nOffset, static_cast<int32_t>(held));
        frames.erase(frames.begin());
    }
    const int32_t n = static_cast<int32_t>(frames.size());
    if (n < 2) return;
    const int32_t i = from % n;
    SourceBytes source;
    source.pData.reset(static_cast<uint8_t*>(OsAllocBuffer(size)));
    memcpy(source.pData.get(), data, size);
    source.nSize = static_cast<int32_t>(size);
    CutLayout layout;
    if (!MP3LayOutCut(frames.data(), n, i, std::min(i + count, n - 1), source, info, layout)) return;
    std::vector<uint8_t> cut;
    MP3EmitCut(layout, source, [&](const uint8_t* p, size_t c) {
        cut.insert(cut.end(), p, p + c);
        return true;
    });
    const CutWritten written{layout.nFrames, layout.nBytes, layout.nMusicCrc};
    if (static_cast<int64_t>(cut.size()) != layout.nBytes || !MP3CheckCutBytes(cut.data(), layout.nBytes, written))
        abort();
}

// The load step's tag reading and the cut's tag writing, through a scratch file.
void CheckTags(const uint8_t* data, size_t size)
{
    static const std::string path = "/dev/shm/zdv-fuzz-" + std::to_string(getpid()) + ".mp3";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!g_state.szSourcePath) AllocTextBuffers();
    strcpy(g_state.szSourcePath, path.c_str());
    {
        SourceTag tag;
        ReadSourceTag(tag);
    }
    FillMissingTagTexts();
    std::vector<uint8_t> cut = CutTagPlaceholder();
    const uint8_t frame[417] = {0xFF, 0xFB, 0x90, 0x00};
    cut.insert(cut.end(), frame, frame + sizeof frame);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(cut.data()), static_cast<std::streamsize>(cut.size()));
    WriteCutTag(path.c_str());
    remove(path.c_str());
    ClearTagTexts();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4) return 0;
    const int32_t from = data[0] | data[1] << 8;
    const int32_t count = 1 + (data[2] | data[3] << 8);
    ReadId3v2(data + 4, size - 4);
    CheckCut(data + 4, size - 4, from, count);
    CheckTags(data + 4, size - 4);
    return 0;
}
