// One MPEG audio frame of the source file, as the frame index records it.
#pragma once

#include <cstdint>

struct FrameEntry {
    int64_t nOffset;  // byte offset of the frame header's first byte in the file
    int32_t nLength;  // frame length in bytes, padding byte included
    uint8_t abHeader[4];  // its header as indexed: version, bitrate, rate and mode without reading it again
};
// The index of a day-long file stays within 16 bytes a frame.
static_assert(sizeof(FrameEntry) <= 16, "one frame's entry");
