// One MPEG audio frame of the source file, as the frame index records it.
#pragma once

#include <cstdint>

struct FrameEntry {
    int32_t nOffset;  // byte offset of the frame header's first byte in the file
    int32_t nLength;  // frame length in bytes, padding byte included
};
