// The frame scan over any bytes: it stays inside them, finds the same frames
// when counting and when filling, and keeps the index's properties.
#include "frame_index.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int64_t bytes = static_cast<int64_t>(size);
    const AudioRange range = MP3FindAudioRange(data, bytes);
    if (range.nStart < 0 || range.nStart > range.nEnd || range.nEnd > bytes) abort();

    const int32_t count = MP3ScanFrames(data, bytes, nullptr);
    std::vector<FrameEntry> frames(static_cast<size_t>(count));
    if (MP3ScanFrames(data, bytes, frames.data()) != count) abort();
    int64_t next = range.nStart;
    for (int32_t k = 0; k < count; ++k) {
        const FrameEntry& f = frames[static_cast<size_t>(k)];
        if (f.nOffset < next || f.nLength < 24 || f.nLength > 1441) abort();
        next = static_cast<int64_t>(f.nOffset) + f.nLength;
        if (k + 1 < count && next > range.nEnd) abort();  // only the last may run past the audio
    }
    return 0;
}
