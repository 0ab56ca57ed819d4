#include "frame_scan.h"

#include "byte_reader.h"
#include "frame_header.h"
#include "id3v2_text.h"
#include "info_frame.h"

#include <algorithm>
#include <cstring>

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
int32_t HeaderAt(const uint8_t* data, int64_t p, int64_t end, uint8_t header[4])
{
    memset(header, 0, 4);
    memcpy(header, data + p, static_cast<size_t>(std::min<int64_t>(4, end - p)));
    return MP3FrameLength(header);
}

// Whether the header at p, of a frame of the given length, starts a stream:
// it is an encoder's describing frame, or kChainedFrames frames follow each
// other from it, each where the one before ends and of its format, or fewer
// reach end: exactly, or cut off where the stream goes on (joins) or starts
// the audio. Reads no byte at or past p + kLookaheadBytes.
bool StartsStream(const uint8_t* data, int64_t p, int32_t length, int64_t end, bool joins)
{
    if (MP3IsInfoFrame(data + p, static_cast<int32_t>(std::min<int64_t>(length, end - p)))) return true;
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
// frame, handed to found(offset, length), and the scan jumps over it; any
// other byte is skipped. Header bytes at or past end read as zero. Reads no
// byte at or past stop + kLookaheadBytes.
template <typename Found>
void ScanSpan(const uint8_t* data, FrameScanPosition& at, int64_t stop, int64_t end, Found found)
{
    int64_t p = at.p;
    while (p < stop) {
        // The sync test spares the full header test at most positions.
        if (p + 1 >= end || !IsFrameSync(data + p)) {
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
        found(p, length);
        memcpy(at.model, header, 4);
        p += length;
        at.streamEnd = p;
        // Frames of varying length defeat the processor's own prefetching:
        // ask for the bytes two frames on while this one is counted.
        ZDV_PREFETCH(data + p + 2 * kPrefetchFrameBytes);
    }
    at.p = p;
}

}  // namespace

AudioRange MP3FindAudioRange(const uint8_t* data, int64_t size)
{
    // A tag claiming more than the file holds leaves no audio.
    AudioRange range = {WalkLeadingId3v2Tags(data, size, [](int64_t, int64_t) {}), size};
    for (int n = 0; n < kMaxTrailingTags; ++n) {
        const int64_t start = TrailingTagStart(data, range.nStart, range.nEnd);
        if (start < 0) break;
        range.nEnd = start;
    }
    return range;
}

int32_t MP3ScanFrames(const uint8_t* data, int64_t size, FrameEntry* out)
{
    const AudioRange range = MP3FindAudioRange(data, size);
    int32_t count = 0;
    FrameScanPosition at;
    at.p = at.streamEnd = range.nStart;
    ScanSpan(data, at, range.nEnd, range.nEnd, [&](int64_t offset, int32_t length) {
        if (out) out[count] = FrameEntry{offset, length};
        ++count;
    });
    return count;
}

FrameScanner::FrameScanner(const uint8_t* data, int64_t size) : data_(data), size_(size), leadingTags_(size) {}

FrameScanner::~FrameScanner() = default;

void FrameScanner::Advance(int64_t available)
{
    // The leading ID3v2 tags, as their headers arrive.
    while (!started_) {
        if (leadingTags_.Done()) {
            at_.p = at_.streamEnd = leadingTags_.End();
            started_ = true;
        } else if (available - leadingTags_.End() < kId3v2HeaderBytes) {
            return;
        } else {
            leadingTags_.Take(data_ + leadingTags_.End());
        }
    }
    // Positions whose decision reads only bytes that have arrived.
    const int64_t stop = available - kLookaheadBytes;
    ScanSpan(data_, at_, stop, size_, [this](int64_t offset, int32_t length) { Store(offset, length); });
}

int32_t FrameScanner::Finish()
{
    Advance(size_);
    const AudioRange range = MP3FindAudioRange(data_, size_);
    // A decision within kLookaheadBytes of the end of the audio may have read
    // the bytes of a tag after it, where the whole scan reads zeros or stops:
    // drop what was found from there on and scan that stretch again, on from
    // the end of the last frame kept.
    const int64_t from = range.nEnd - kLookaheadBytes;
    while (count_ > 0 && At(count_ - 1).nOffset > from) --count_;
    at_ = FrameScanPosition();
    at_.p = at_.streamEnd = range.nStart;
    if (count_ > 0) {
        const FrameEntry last = At(count_ - 1);
        memcpy(at_.model, data_ + last.nOffset, 4);
        at_.p = at_.streamEnd = static_cast<int64_t>(last.nOffset) + last.nLength;
    }
    ScanSpan(data_, at_, range.nEnd, range.nEnd, [this](int64_t offset, int32_t length) { Store(offset, length); });
    return static_cast<int32_t>(count_);
}

void FrameScanner::CopyTo(FrameEntry* out, int64_t first) const
{
    for (int64_t k = first; k < count_;) {
        const size_t block = static_cast<size_t>(k) / kBlockEntries, at = static_cast<size_t>(k) % kBlockEntries;
        const size_t n = std::min(kBlockEntries - at, static_cast<size_t>(count_ - k));
        memcpy(out + (k - first), blocks_[block].get() + at, n * sizeof(FrameEntry));
        k += static_cast<int64_t>(n);
    }
}

void FrameScanner::Store(int64_t offset, int32_t length)
{
    const size_t block = static_cast<size_t>(count_) / kBlockEntries;
    if (block == blocks_.size()) blocks_.emplace_back(new FrameEntry[kBlockEntries]);
    blocks_[block][static_cast<size_t>(count_) % kBlockEntries] = FrameEntry{offset, length};
    ++count_;
}

FrameEntry& FrameScanner::At(int64_t k)
{
    return blocks_[static_cast<size_t>(k) / kBlockEntries][static_cast<size_t>(k) % kBlockEntries];
}
