// The frame index: where every MPEG audio frame of the source lies. The
// load builds it into g_state (MP3GetFrames); the cut builds it again from
// the bytes it has just read, with the same scan.
#pragma once

#include "frame_entry.h"

#include <cstdint>

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

// Scans the audio range of a file held in memory for frames: at each
// position a header accepted by MP3FrameLength is a frame and the scan jumps
// over its length; any other byte is skipped. Header bytes beyond the audio
// range read as zero. Every frame but the last lies wholly inside the audio
// range; the last one may run past it (a cut-off final frame).
// With out null the frames are only counted; otherwise out must have room
// for the count of a counting call on the same bytes, and receives them in
// file order. Returns the number of frames. size must be below 2 GiB.
int32_t MP3ScanFrames(const uint8_t* data, int64_t size, FrameEntry* out);

// Replaces the index of g_state by a new, uninitialised array of the given
// number of entries and releases the previous one. With 0 entries, or when
// the array cannot be allocated, the index is left empty (nFrames 0,
// pFrames null). Returns whether the index now has room for count entries.
bool ReplaceFrameIndex(int32_t count);

// Builds the frame index of szSourcePath into nFrames and pFrames of g_state,
// with its log lines. The file is opened for reading only. When it cannot be
// read (missing, unreadable, 2 GiB or more) the index is left empty, never
// describing a previous file.
void MP3GetFrames();
