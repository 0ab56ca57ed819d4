// The layout of a cut over any frames: for a span chosen by the first bytes,
// planning the priming frames and the Xing/Info frame stays inside the bytes
// held, and the frames handed over for writing pass the read-back check of
// the cut, with every selected frame as in the source or as its silent copy.
#include "cut_check.h"
#include "cut_layout.h"
#include "frame_scan.h"
#include "info_frame.h"
#include "os.h"
#include "side_info.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4) return 0;
    // Bytes 0-1 and 2-3 choose where the span starts and how long it is.
    const int32_t from = data[0] | data[1] << 8, count = 1 + (data[2] | data[3] << 8);
    data += 4;
    size -= 4;
    const int64_t bytes = static_cast<int64_t>(size);
    std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(data, bytes, nullptr)));
    MP3ScanFrames(data, bytes, frames.data());
    // The describing frame first is not audio, as in the index.
    size_t first = 0;
    InfoFrameFacts info;
    if (!frames.empty() && MP3IsLeadingInfoFrame(data, bytes, frames[0])) {
        const int64_t held = std::min<int64_t>(frames[0].nLength, bytes - frames[0].nOffset);
        info = MP3ReadInfoFrame(data + frames[0].nOffset, static_cast<int32_t>(held));
        first = 1;
    }
    const std::vector<FrameEntry> audio(frames.begin() + static_cast<long>(first), frames.end());
    const int32_t n = static_cast<int32_t>(audio.size());
    if (n < 2) return 0;
    const int32_t i = from % n, j = i + count < n ? i + count : n - 1;

    // Only the bytes held, exactly: a read past them is caught.
    SourceBytes source;
    source.pData.reset(static_cast<uint8_t*>(OsAllocBuffer(size)));
    if (!source.pData) return 0;
    memcpy(source.pData.get(), data, size);
    source.nSize = static_cast<int32_t>(size);

    CutLayout layout;
    if (!MP3LayOutCut(audio.data(), n, i, j, source, info, layout)) {
        if (layout.nFrames != 0) abort();
        return 0;
    }
    std::vector<uint8_t> cut;
    MP3EmitCut(layout, source, [&](const uint8_t* p, size_t c) {
        cut.insert(cut.end(), p, p + c);
        return true;
    });
    if (static_cast<int64_t>(cut.size()) != layout.nBytes) abort();
    if (!MP3CheckCutBytes(cut.data(), static_cast<int64_t>(cut.size()), CutWritten{layout.nFrames, layout.nBytes, layout.nMusicCrc}))
        abort();
    // The selected frames come last, as they stand in the source or silenced.
    size_t at = cut.size();
    for (size_t k = layout.copied.size(); k-- > 0;) {
        const CopiedFrame& copied = layout.copied[k];
        at -= static_cast<size_t>(copied.entry.nLength);
        const uint8_t* theirs = data + copied.entry.nOffset;
        if (copied.nSilentBegin < 0 && memcmp(cut.data() + at, theirs, static_cast<size_t>(copied.entry.nLength)) != 0) abort();
        if (copied.nSilentBegin >= 0 && MP3SilentCopy(theirs, copied.entry.nLength, copied.nSilentBegin) !=
                                            std::vector<uint8_t>(cut.begin() + static_cast<long>(at), cut.begin() + static_cast<long>(at) + copied.entry.nLength))
            abort();
    }
    return 0;
}
