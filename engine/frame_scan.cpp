#include "frame_scan.h"

#include "byte_reader.h"
#include "frame_header.h"
#include "id3v2_text.h"
#include "info_frame.h"
#include "sound_level.h"

#include <algorithm>
#include <cstring>
#include <functional>

#if defined(__GNUC__)
#define ZDV_PREFETCH(address) __builtin_prefetch(address)
#else
#define ZDV_PREFETCH(address)
#endif

namespace {

constexpr int64_t kId3v2HeaderBytes = kId3v2HeaderSize;
// About the largest frame of common files (320 kbit/s at 44,100 Hz).
constexpr int64_t kPrefetchFrameBytes = 1024;
// The longest frame (320 kbit/s at 32,000 Hz, padded) and the bytes whose
// headers decide whether a header starts a stream.
constexpr int64_t kMaxFrameBytes = 1441;
constexpr int64_t kLookaheadBytes = (kChainedFrames - 1) * kMaxFrameBytes + 4;
// Trailing tags can come in any order; each round removes one.
constexpr int kMaxTrailingTags = 8;

constexpr int64_t kId3v1Bytes = 128;
// APEv2 footer (and header): "APETAGEX" version size items flags reserved.
constexpr int64_t kApeFooterBytes = 32;
constexpr uint32_t kApeHasHeader = 0x80000000u;
constexpr uint32_t kApeIsHeader = 0x20000000u;
// Lyrics3 v2: "LYRICSBEGIN" ... six decimal digits of size, "LYRICS200".
constexpr int64_t kLyrics3EndBytes = 15;

bool StartsWith(const uint8_t* data, const char* text)
{
    return memcmp(data, text, strlen(text)) == 0;
}

// Each of the following gives the start of a tag of its kind that ends at
// end and begins no earlier than start, or -1 when there is none.

int64_t Id3v1Start(const uint8_t* data, int64_t start, int64_t end)
{
    return end - start >= kId3v1Bytes && StartsWith(data + end - kId3v1Bytes, "TAG") ? end - kId3v1Bytes : -1;
}

int64_t ApeStart(const uint8_t* data, int64_t start, int64_t end)
{
    if (end - start < kApeFooterBytes || !StartsWith(data + end - kApeFooterBytes, "APETAGEX")) return -1;
    const uint8_t* footer = data + end - kApeFooterBytes;
    const int64_t bytes = ReadLe32(footer + 12);  // items and footer, header excluded
    const uint32_t flags = ReadLe32(footer + 20);
    const int64_t total = bytes + ((flags & kApeHasHeader) ? kApeFooterBytes : 0);
    if ((flags & kApeIsHeader) || bytes < kApeFooterBytes || total > end - start) return -1;
    return end - total;
}

int64_t Lyrics3Start(const uint8_t* data, int64_t start, int64_t end)
{
    if (end - start < kLyrics3EndBytes || !StartsWith(data + end - 9, "LYRICS200")) return -1;
    int64_t bytes = 0;  // from LYRICSBEGIN up to the size digits
    for (const uint8_t* d = data + end - kLyrics3EndBytes; d < data + end - 9; ++d) {
        if (*d < '0' || *d > '9') return -1;
        bytes = bytes * 10 + (*d - '0');
    }
    const int64_t total = bytes + kLyrics3EndBytes;
    if (total > end - start || !StartsWith(data + end - total, "LYRICSBEGIN")) return -1;
    return end - total;
}

int64_t AppendedId3v2Start(const uint8_t* data, int64_t start, int64_t end)
{
    if (end - start < 2 * kId3v2HeaderBytes) return -1;
    const int64_t total = Id3v2TagSize(data + end - kId3v2HeaderBytes, "3DI");
    if (total < 0 || total > end - start || Id3v2TagSize(data + end - total) != total) return -1;
    return end - total;
}

int64_t TrailingTagStart(const uint8_t* data, int64_t start, int64_t end)
{
    for (auto find : {Id3v1Start, ApeStart, Lyrics3Start, AppendedId3v2Start}) {
        const int64_t at = find(data, start, end);
        if (at >= 0) return at;
    }
    return -1;
}

// The length of the frame whose header is at p (-1 for none), its header
// copied to header; bytes at or past end read as zero.
int32_t HeaderAt(const HeldBytes& data, int64_t p, int64_t end, uint8_t header[4])
{
    memset(header, 0, 4);
    memcpy(header, data.At(p), static_cast<size_t>(std::min<int64_t>(4, end - p)));
    return MP3FrameLength(header);
}

// Whether the header at p, of a frame of the given length, starts a stream:
// it is an encoder's describing frame, or kChainedFrames frames follow each
// other from it, each where the one before ends and of its format, or fewer
// reach end: exactly, or cut off where the stream goes on (joins) or starts
// the audio. Reads no byte at or past p + kLookaheadBytes.
bool StartsStream(const HeldBytes& data, int64_t p, int32_t length, int64_t end, bool joins)
{
    if (MP3IsInfoFrame(data.At(p), static_cast<int32_t>(std::min<int64_t>(length, end - p)))) return true;
    uint8_t first[4], next[4];
    HeaderAt(data, p, end, first);
    for (int chained = 1; chained < kChainedFrames; ++chained) {
        p += length;
        if (p >= end) return p == end || joins;
        length = HeaderAt(data, p, end, next);
        if (length < 0 || !MP3SameFormat(first, next)) return false;
    }
    return true;
}

// Scans the positions from at.p on while at.p < stop: at each, a header that
// follows the last frame found or starts a stream (MP3ScanFrames) is a
// frame, handed to found(offset, length, header, frame) (frame: its bytes, as
// far as the audio range holds them), and the scan jumps over it; any
// other byte is skipped. Header bytes at or past end read as zero. Reads no
// byte at or past stop + kLookaheadBytes.
template <typename Found>
void ScanSpan(const HeldBytes& data, FrameScanPosition& at, int64_t stop, int64_t end, Found found)
{
    int64_t p = at.p;
    while (p < stop) {
        // The sync test spares the full header test at most positions.
        if (p + 1 >= end || !IsFrameSync(data.At(p))) {
            ++p;
            continue;
        }
        uint8_t header[4];
        const int32_t length = HeaderAt(data, p, end, header);
        if (length < 0) {
            ++p;
            continue;
        }
        // The model is all zeros, no format, before the first frame.
        const bool joins = p == at.streamEnd, follows = joins && MP3SameFormat(at.model, header);
        if (!follows && !StartsStream(data, p, length, end, joins)) {
            ++p;
            continue;
        }
        found(p, length, header, FrameBytes{data.At(p), static_cast<int32_t>(std::min<int64_t>(length, end - p))});
        memcpy(at.model, header, 4);
        p += length;
        at.streamEnd = p;
        // Frames of varying length defeat the processor's own prefetching:
        // ask for the bytes two frames on while this one is counted.
        // The levels read a frame's side information, which may lie on
        // the cache line after its header.
        if (p + 2 * kPrefetchFrameBytes + 64 < stop) {
            ZDV_PREFETCH(data.At(p + 2 * kPrefetchFrameBytes));
            ZDV_PREFETCH(data.At(p + 2 * kPrefetchFrameBytes + 64));
        }
    }
    at.p = p;
}

// The end of the audio of a file of the given size whose audio starts at
// start: before the tags at its end. data holds the bytes from held on;
// a tag that would begin before held is not seen.
int64_t AudioEnd(const HeldBytes& data, int64_t held, int64_t start, int64_t size)
{
    int64_t end = size;
    const uint8_t* base = data.At(held);
    for (int n = 0; n < kMaxTrailingTags; ++n) {
        const int64_t at = TrailingTagStart(base, std::max(start, held) - held, end - held);
        if (at < 0) break;
        end = at + held;
    }
    return end;
}

}  // namespace

AudioRange MP3FindAudioRange(const uint8_t* data, int64_t size)
{
    // A tag claiming more than the file holds leaves no audio.
    const int64_t start = WalkLeadingId3v2Tags(data, size, [](int64_t, int64_t) {});
    return AudioRange{start, AudioEnd(HeldBytes{data, 0}, 0, start, size)};
}

int32_t MP3ScanFrames(const uint8_t* data, int64_t size, FrameEntry* out)
{
    const AudioRange range = MP3FindAudioRange(data, size);
    int32_t count = 0;
    FrameScanPosition at;
    at.p = at.streamEnd = range.nStart;
    const auto found = [&](int64_t offset, int32_t length, const uint8_t* header, FrameBytes) {
        if (out) out[count] = FrameEntry{offset, length, {header[0], header[1], header[2], header[3]}};
        ++count;
    };
    ScanSpan(HeldBytes{data, 0}, at, range.nEnd, range.nEnd, found);
    return count;
}

FrameScanner::FrameScanner(int64_t size, bool levels) : size_(size), leadingTags_(size), levels_(levels) {}

FrameScanner::~FrameScanner() = default;

int64_t FrameScanner::Needed() const
{
    return started_ ? at_.p : leadingTags_.End();
}

void FrameScanner::Advance(const uint8_t* bytes, int64_t start, int64_t available)
{
    const HeldBytes data = {bytes, start};
    // The leading ID3v2 tags, as their headers arrive.
    while (!started_) {
        if (leadingTags_.Done()) {
            at_.p = at_.streamEnd = leadingTags_.End();
            started_ = true;
        } else if (available - leadingTags_.End() < kId3v2HeaderBytes || leadingTags_.End() < start) {
            return;
        } else {
            leadingTags_.Take(data.At(leadingTags_.End()));
        }
    }
    // Positions whose decision reads only bytes that have arrived.
    const int64_t stop = available - kLookaheadBytes;
    ScanSpan(data, at_, stop, size_,
             [this](int64_t offset, int32_t length, const uint8_t* header, FrameBytes frame) {
                 Store(offset, length, header, frame);
             });
}

int32_t FrameScanner::Finish(const std::function<const uint8_t*(int64_t from, int64_t to)>& read)
{
    // The tags at the end of the file, as far as its last kTailBytes hold them.
    const int64_t start = leadingTags_.End();
    const int64_t held = std::max(start, size_ - kTailBytes);
    const uint8_t* tail = read(held, size_);
    if (!tail) return -1;
    Advance(tail, held, size_);
    const int64_t end = AudioEnd(HeldBytes{tail, held}, held, start, size_);
    // A decision within kLookaheadBytes of the end of the audio may have read
    // the bytes of a tag after it, where the whole scan reads zeros or stops:
    // drop what was found after from and decide the positions after it
    // again, on from the end of the last frame kept. (Those up to from read
    // only bytes of the audio, as the whole scan does.)
    const int64_t from = end - kLookaheadBytes;
    while (!frames_.empty() && frames_.back().nOffset > from) frames_.pop_back();
    if (levels_) frameLevels_.resize(frames_.size());
    at_ = FrameScanPosition();
    at_.streamEnd = start;
    if (!frames_.empty()) {
        const FrameEntry last = frames_.back();
        const uint8_t* header = read(last.nOffset, last.nOffset + 4);
        if (!header) return -1;
        memcpy(at_.model, header, 4);
        at_.streamEnd = last.nOffset + last.nLength;
    }
    at_.p = std::max(at_.streamEnd, from + 1);
    if (at_.p >= end) return static_cast<int32_t>(frames_.size());
    const uint8_t* rest = read(at_.p, end);
    if (!rest) return -1;
    ScanSpan(HeldBytes{rest, at_.p}, at_, end, end,
             [this](int64_t offset, int32_t length, const uint8_t* header, FrameBytes frame) {
                 Store(offset, length, header, frame);
             });
    return static_cast<int32_t>(frames_.size());
}

void FrameScanner::Store(int64_t offset, int32_t length, const uint8_t* header, FrameBytes frame)
{
    // Room for the file's frames, at the length of the first ones and a little more.
    constexpr size_t kFirstFrames = 64;
    if (frames_.size() == kFirstFrames) {
        const int64_t bytes = std::max<int64_t>(1, offset - frames_.front().nOffset);
        const int64_t total = (size_ - frames_.front().nOffset) / bytes * int64_t(kFirstFrames) * 21 / 20;
        frames_.reserve(static_cast<size_t>(std::min<int64_t>(total, size_ / 24)) + kFirstFrames);
        if (levels_) frameLevels_.reserve(frames_.capacity());
    }
    if (levels_) frameLevels_.push_back(MP3FrameLevel(frame.bytes, frame.length));
    frames_.push_back(FrameEntry{offset, length, {header[0], header[1], header[2], header[3]}});
}
