#include "vbr_header.h"

#include "bit_reservoir.h"

#include <cstring>
#include <initializer_list>

namespace {

// VBRI (Fraunhofer) stands at a fixed place, whatever the mode.
constexpr int32_t kVbriOffset = 4 + 32;

bool TagAt(const uint8_t* frame, int32_t length, int32_t offset, const char* tag)
{
    return offset >= 0 && offset + 4 <= length && memcmp(frame + offset, tag, 4) == 0;
}

}  // namespace

bool IsVbrHeaderFrame(const uint8_t* frame, int32_t length)
{
    if (length < 4) return false;
    // Encoders place Xing/Info right after the side information; some count
    // the CRC in, some do not.
    const int32_t offset = 4 + MP3SideInfoBytes(frame);
    for (int32_t crc : {0, MP3CrcBytes(frame)}) {
        if (TagAt(frame, length, offset + crc, "Xing") || TagAt(frame, length, offset + crc, "Info")) return true;
    }
    return TagAt(frame, length, kVbriOffset, "VBRI");
}
