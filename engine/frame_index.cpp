#include "frame_index.h"

#include "app_state.h"
#include "diag_log.h"
#include "frame_header.h"
#include "id3v2_text.h"
#include "source_file.h"

#include <cstring>
#include <new>

namespace {

constexpr int64_t kId3v2HeaderBytes = kId3v2HeaderSize;
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

uint32_t ReadLe32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
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

}  // namespace

AudioRange MP3FindAudioRange(const uint8_t* data, int64_t size)
{
    AudioRange range = {0, size};
    for (int n = 0; n < kMaxLeadingId3v2Tags && size - range.nStart >= kId3v2HeaderBytes; ++n) {
        const int64_t bytes = Id3v2TagSize(data + range.nStart);
        if (bytes < 0) break;
        // A tag claiming more than the file holds leaves no audio.
        range.nStart = bytes < size - range.nStart ? range.nStart + bytes : size;
    }
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
    const int64_t end = range.nEnd;
    int32_t count = 0;
    int64_t p = range.nStart;
    while (p < end) {
        // The quick sync test spares the full header test at most positions.
        if (data[p] != 0xFF || p + 1 >= end || (data[p + 1] & 0xE0) != 0xE0) {
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
        if (out) out[count] = FrameEntry{static_cast<int32_t>(p), length};
        ++count;
        p += length;
    }
    return count;
}

bool ReplaceFrameIndex(int32_t count)
{
    delete[] g_state.pFrames;
    g_state.pFrames = nullptr;
    g_state.nFrames = 0;
    if (count <= 0) return count == 0;
    g_state.pFrames = new (std::nothrow) FrameEntry[static_cast<size_t>(count)];
    if (!g_state.pFrames) return false;
    g_state.nFrames = count;
    return true;
}

void MP3GetFrames()
{
    LogScope scope("MP3GetFrames");
    g_log.Print("mp3 文件: %s", g_state.szSourcePath);

    SourceBytes source;
    if (ReadSourceFile(g_state.szSourcePath, source) != SourceRead::Ok) {
        ReplaceFrameIndex(0);
        return;
    }
    // Count first, then fill an array of exactly that size.
    const int32_t counted = MP3ScanFrames(source.pData.get(), source.nSize, nullptr);
    g_log.Print("帧数: %d", counted);
    if (ReplaceFrameIndex(counted)) MP3ScanFrames(source.pData.get(), source.nSize, g_state.pFrames);
    g_log.Print("帧数: %d", g_state.nFrames);
}
