// MPEG audio Layer III frame headers (ISO/IEC 11172-3, 13818-3 and the
// MPEG 2.5 extension).
#pragma once

#include <cstdint>

// Decides whether the four bytes at header are an acceptable Layer III frame
// header and, if so, returns the whole frame's length in bytes (24 to 1441,
// padding byte included). Returns -1 for anything else: a null pointer, no
// sync, a reserved version, Layer I or II, free format or bitrate index 15,
// the reserved sample rate, or emphasis 2. Reads exactly four bytes.
int32_t MP3FrameLength(const uint8_t* header);

// The quick sync test the scanners apply before calling MP3FrameLength:
// 0xFF followed by a byte with its three top bits set.
inline bool IsFrameSync(const uint8_t* p)
{
    return p[0] == 0xFF && (p[1] & 0xE0) == 0xE0;
}
