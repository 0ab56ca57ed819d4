// The frame scan over any bytes: it stays inside them, finds the same frames
// when counting and when filling, keeps the index's properties, and the scan
// of bytes arriving in chunks finds exactly the same frames.
#include "frame_scan.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    // The first two bytes choose the chunk size; the rest is the file.
    const int64_t chunk = 1 + (data[0] | data[1] << 8);
    data += 2;
    size -= 2;
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

    // The bytes arrive chunk by chunk into a buffer that holds nothing else
    // yet: the scanner may look only at what has arrived.
    std::vector<uint8_t> arriving(size, 0xA5);
    FrameScanner scanner(arriving.data(), bytes);
    for (int64_t end = 0; end < bytes;) {
        const int64_t from = end;
        end = end + chunk < bytes ? end + chunk : bytes;
        memcpy(arriving.data() + from, data + from, static_cast<size_t>(end - from));
        scanner.Advance(end);
    }
    if (scanner.Finish() != count) abort();
    std::vector<FrameEntry> chunked(static_cast<size_t>(count));
    scanner.CopyTo(chunked.data());
    if (count > 0 && memcmp(chunked.data(), frames.data(), frames.size() * sizeof(FrameEntry)) != 0) abort();
    return 0;
}
