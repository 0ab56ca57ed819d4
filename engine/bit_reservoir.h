// The bit reservoir of Layer III (ISO/IEC 11172-3, 2.4.1.7): a frame's audio
// data may begin in the bytes of the frames before it, as far back as its
// side information's main_data_begin says. The first frame of a cut has
// none of those frames; a decoder then conceals it, complains or clicks.
#pragma once

#include <cstdint>

// Bytes of side information after the header (and its CRC): 32 or 17 in
// MPEG 1, 17 or 9 in MPEG 2 and 2.5 (two channels or one).
int32_t MP3SideInfoBytes(const uint8_t* header);

// Bytes between the header and the side information: 2 when a CRC follows
// the header (protection bit clear), else 0.
int32_t MP3CrcBytes(const uint8_t* header);

// main_data_begin of the frame of the given length at frame: how many bytes
// before its own data its audio data starts. -1 when the frame is too short
// to hold its side information.
int32_t MP3MainDataBegin(const uint8_t* frame, int32_t length);

// The CRC-16 of a protected frame (polynomial 0x8005, start 0xFFFF) over the
// last two header bytes and the side information.
uint16_t MP3FrameCrc(const uint8_t* frame);

// Makes the frame (in place) a frame of silence that needs no byte before it:
// its side information becomes all zero (main_data_begin 0, no bits in any
// granule) and its CRC, if it has one, is computed anew. Its data bytes stay
// as they are, for the frames after it to draw on. False, and nothing
// changed, when the frame is too short to hold its side information.
bool MP3MakeSilentFrame(uint8_t* frame, int32_t length);
