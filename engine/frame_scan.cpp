#include "frame_scan.h"

#include "byte_reader.h"
#include "frame_header.h"
#include "id3v2_text.h"

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

// Scans the positions from *p on while *p < stop: at each, a header accepted
// by MP3FrameLength is a frame, handed to found(offset, length), and the scan
// jumps over it; any other byte is skipped. Header bytes at or past end read
// as zero.
template <typename Found>
void ScanSpan(const uint8_t* data, int64_t* position, int64_t stop, int64_t end, Found found)
{
    int64_t p = *position;
    while (p < stop) {
        // The sync test spares the full header test at most positions.
        if (p + 1 >= end || !IsFrameSync(data + p)) {
            ++p;
            continue;
        }
        int32_t length;
        if (p + 4 <= end) {
            length = MP3FrameLength(data + p);
        } else {
            uint8_t header[4] = {0, 0, 0, 0};
            memcpy(header, data + p, static_cast<size_t>(end - p));
            length = MP3FrameLength(header);
        }
        if (length < 0) {
            ++p;
            continue;
        }
        found(p, length);
        p += length;
        // Frames of varying length defeat the processor's own prefetching:
        // ask for the bytes two frames on while this one is counted.
        ZDV_PREFETCH(data + p + 2 * kPrefetchFrameBytes);
    }
    *position = p;
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
    int64_t p = range.nStart;
    ScanSpan(data, &p, range.nEnd, range.nEnd, [&](int64_t offset, int32_t length) {
        if (out) out[count] = FrameEntry{static_cast<int32_t>(offset), length};
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
            p_ = leadingTags_.End();
            started_ = true;
        } else if (available - leadingTags_.End() < kId3v2HeaderBytes) {
            return;
        } else {
            leadingTags_.Take(data_ + leadingTags_.End());
        }
    }
    // Positions whose four header bytes have all arrived.
    ScanSpan(data_, &p_, available - 3, size_, [this](int64_t offset, int32_t length) { Store(offset, length); });
}

int32_t FrameScanner::Finish()
{
    Advance(size_);
    const AudioRange range = MP3FindAudioRange(data_, size_);
    // Up to three bytes before the end of the audio, a header reads zeros
    // beyond it, not the bytes of a tag: drop what was found from there on
    // and scan that stretch again.
    const int64_t from = std::max(range.nStart, range.nEnd - 3);
    while (count_ > 0 && At(count_ - 1).nOffset >= from) --count_;
    int64_t p = count_ > 0 ? static_cast<int64_t>(At(count_ - 1).nOffset) + At(count_ - 1).nLength : range.nStart;
    p = std::max(p, from);
    ScanSpan(data_, &p, range.nEnd, range.nEnd, [this](int64_t offset, int32_t length) { Store(offset, length); });
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
    blocks_[block][static_cast<size_t>(count_) % kBlockEntries] = FrameEntry{static_cast<int32_t>(offset), length};
    ++count_;
}

FrameEntry& FrameScanner::At(int64_t k)
{
    return blocks_[static_cast<size_t>(k) / kBlockEntries][static_cast<size_t>(k) % kBlockEntries];
}
