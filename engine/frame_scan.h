// The frame scan: where the MPEG audio frames of a file held in memory lie,
// between the tags at its front and at its end. The frame index of the
// source (frame_index.h) is built with it.
#pragma once

#include "frame_entry.h"
#include "id3v2_text.h"

#include <cstdint>
#include <memory>
#include <vector>

// The bytes of a file that may hold audio: everything between the tags at
// its front and the tags at its end.
struct AudioRange {
    int64_t nStart;  // first byte after the leading ID3v2 tags
    int64_t nEnd;    // first byte of the trailing tags, or the file size
};

// Finds the audio range of a file held in memory. Skipped at the front:
// ID3v2 tags, one after the other (their size is in their header). Skipped
// at the end, in any order: an ID3v1 tag ("TAG", 128 bytes), an APEv2 tag
// (by its footer), a Lyrics3 v2 tag and an ID3v2 tag appended with a footer.
// A tag whose header or footer is not consistent is not skipped. Never
// reads outside data[0, size); nStart <= nEnd <= size.
AudioRange MP3FindAudioRange(const uint8_t* data, int64_t size);

// Where a frame scan stands: the next position to test, and where the last
// frame found ends and its header (before the first: the start of the audio
// range, and zeros).
struct FrameScanPosition {
    int64_t p = 0;
    int64_t streamEnd = 0;
    uint8_t model[4] = {};
};

// The frames, its own included, that must follow each other from a header,
// each where the one before ends and of its version, layer and sample rate,
// before the header starts a stream. Random bytes pass MP3FrameLength about
// once in 20,000 positions and hardly ever twice in a row of one format;
// four puts a false start in junk (a broken tag, bytes of another format)
// beyond chance, and still finds a stream of as few as four frames.
constexpr int kChainedFrames = 4;

// Scans the audio range of a file held in memory for frames. A header
// accepted by MP3FrameLength where the last frame found ends, of its
// version, layer and sample rate, is the next frame. Any other header (the
// first one, one after junk, one of another format) starts a stream only
// when it is an encoder's describing frame (info_frame.h), or when
// kChainedFrames frames follow each other from it, as above, or fewer so
// chained end where the audio range ends (a short stream at the end, a file
// of a frame or two); the last of them may be cut off there where the
// audio range starts with them or a stream goes on in them. So a stream
// that changes format where its last frame ends goes on, and junk before,
// inside and after the audio is skipped. The scan jumps over each frame's
// length. Header bytes beyond the audio range read as zero. Every frame but
// the last lies wholly inside the audio range; the last one may run past it
// (a cut-off final frame).
// With out null the frames are only counted; otherwise out must have room
// for the count of a counting call on the same bytes, and receives them in
// file order. Returns the number of frames. size must be below 2 GiB.
int32_t MP3ScanFrames(const uint8_t* data, int64_t size, FrameEntry* out);

// The same scan over a file whose bytes arrive in order, chunk by chunk, so
// that each chunk is scanned while it is still in the processor's caches.
// Finds exactly the frames MP3ScanFrames finds in the whole file.
class FrameScanner {
public:
    // data is where the whole file of the given size (below 2 GiB) arrives.
    FrameScanner(const uint8_t* data, int64_t size);
    ~FrameScanner();
    FrameScanner(const FrameScanner&) = delete;
    FrameScanner& operator=(const FrameScanner&) = delete;

    // The bytes [0, available) are in data now: scans as far as they allow,
    // which is a few KB short of them (the frames that may follow a header).
    void Advance(int64_t available);
    // Every byte has arrived: applies the tags at the end of the file and
    // completes the scan. Returns the number of frames.
    int32_t Finish();
    // Copies the frames found from the first-th on, in file order, to out,
    // which has room for the number Finish returned less first.
    void CopyTo(FrameEntry* out, int64_t first = 0) const;
    // The k-th frame found (k below the number Finish returned).
    FrameEntry Entry(int64_t k) const
    {
        return blocks_[static_cast<size_t>(k) / kBlockEntries][static_cast<size_t>(k) % kBlockEntries];
    }

private:
    static constexpr size_t kBlockEntries = size_t(1) << 15;

    void Store(int64_t offset, int32_t length);
    FrameEntry& At(int64_t k);

    const uint8_t* data_;
    int64_t size_;
    LeadingId3v2Tags leadingTags_;
    FrameScanPosition at_;  // once the leading tags are behind
    bool started_ = false;  // the leading tags are behind
    // The frames found, in blocks, so that nothing is moved as they grow.
    std::vector<std::unique_ptr<FrameEntry[]>> blocks_;
    int64_t count_ = 0;
};
