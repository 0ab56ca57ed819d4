// The frame scan: where the MPEG audio frames of a file held in memory lie,
// between the tags at its front and at its end. The frame index of the
// source (frame_index.h) is built with it.
#pragma once

#include "frame_entry.h"
#include "id3v2_text.h"

#include <cstdint>
#include <functional>
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
// Bytes of a file held in memory: the file's byte at offset k is at
// bytes[k - start].
struct HeldBytes {
    const uint8_t* bytes;
    int64_t start;
    const uint8_t* At(int64_t offset) const { return bytes + (offset - start); }
};

// The bytes of a frame found, as far as they are held (its whole length but
// for a last frame cut off).
struct FrameBytes {
    const uint8_t* bytes;
    int32_t length;
};

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
// file order. Returns the number of frames.
int32_t MP3ScanFrames(const uint8_t* data, int64_t size, FrameEntry* out);

// The same scan over a file whose bytes arrive in order, chunk by chunk, so
// that a file of any size is scanned holding only a chunk of it. Finds
// exactly the frames MP3ScanFrames finds in the whole file, but for a file
// whose tags at its end take more than kTailBytes (they count as audio).
class FrameScanner {
public:
    // The bytes of the file's end that Finish looks at for its tags.
    static constexpr int64_t kTailBytes = int64_t(16) << 20;

    // A file of the given size; with levels, the level of each frame found
    // (sound_level.h) is kept too.
    explicit FrameScanner(int64_t size, bool levels = false);
    ~FrameScanner();
    FrameScanner(const FrameScanner&) = delete;
    FrameScanner& operator=(const FrameScanner&) = delete;

    // bytes holds the file's bytes [start, available), every byte from
    // Needed() on that has arrived (start <= Needed(), or start = available
    // when Needed() lies beyond). Scans as far as they allow, which is a few
    // KB short of them (the frames that may follow a header).
    void Advance(const uint8_t* bytes, int64_t start, int64_t available);
    // The first byte the scan still needs: what the next Advance must hold.
    int64_t Needed() const;
    // Every byte has arrived: applies the tags at the end of the file and
    // completes the scan. read(from, to) gives the file's bytes [from, to),
    // kept until its next call, or null when they cannot be read. Returns
    // the number of frames, or -1 when a read failed.
    int32_t Finish(const std::function<const uint8_t*(int64_t from, int64_t to)>& read);
    // The frames found, in file order (after Finish: all of them), handed
    // over; the scanner keeps none.
    std::vector<FrameEntry> Take() { return std::move(frames_); }
    // Their levels, one a frame (none without levels), handed over likewise.
    std::vector<uint8_t> TakeLevels() { return std::move(frameLevels_); }
    // The k-th frame found (k below the number Finish returned).
    FrameEntry Entry(int64_t k) const { return frames_[static_cast<size_t>(k)]; }

private:
    void Store(int64_t offset, int32_t length, const uint8_t* header, FrameBytes frame);

    int64_t size_;
    LeadingId3v2Tags leadingTags_;
    FrameScanPosition at_;  // once the leading tags are behind
    bool started_ = false;  // the leading tags are behind
    // The frames found; room for all of them is taken once the first few
    // tell how long frames are, so that they are hardly ever moved.
    std::vector<FrameEntry> frames_;
    bool levels_;
    std::vector<uint8_t> frameLevels_;  // beside frames_ (with levels)
};
