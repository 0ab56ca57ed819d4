// The side information of a Layer III frame (ISO/IEC 11172-3, 2.4.1.7;
// ISO/IEC 13818-3, 2.4.1.7): what lies between the header (and its CRC) and
// the frame's main data area, and where its audio data begins. A frame's
// audio data may begin in the main data areas of the frames before it, as
// far back as main_data_begin says: the bit reservoir.
//
// Every function takes a frame whose first four bytes are an accepted
// header (MP3FrameLength >= 0) and reads nothing past the length it is given.
#pragma once

#include <cstdint>

// The largest main_data_begin: 9 bits in MPEG 1, 8 bits in MPEG 2 and 2.5.
constexpr int32_t kMaxMainDataBeginMpeg1 = 511;
constexpr int32_t kMaxMainDataBeginMpeg2 = 255;

// Bytes between the header and the side information: 2 when a CRC follows
// the header (protection bit clear), else 0.
int32_t MP3CrcBytes(const uint8_t* header);

// Bytes of side information: 32 or 17 in MPEG 1, 17 or 9 in MPEG 2 and 2.5
// (two channels or one).
int32_t MP3SideInfoBytes(const uint8_t* header);

// Where the frame's main data area starts, counted from its first byte:
// header, CRC and side information.
int32_t MP3MainDataOffset(const uint8_t* header);

// main_data_begin of the frame of the given length: how many bytes before its
// own main data area its audio data starts. -1 when the frame is too short to
// hold its side information.
int32_t MP3MainDataBegin(const uint8_t* frame, int32_t length);

// Bytes of audio data (scale factors and Huffman code) of the frame: the sum
// of part2_3_length over its granules and channels, in whole bytes. -1 when
// the frame is too short to hold its side information.
int32_t MP3MainDataBytes(const uint8_t* frame, int32_t length);

// Granules per frame: 2 in MPEG 1, 1 in MPEG 2 and 2.5.
int32_t MP3Granules(const uint8_t* header);
// Channels coded: 1 or 2.
int32_t MP3Channels(const uint8_t* header);

// The functions below need a frame that holds its side information
// (MP3MainDataBegin >= 0). Granules and channels count from 0. The audio
// data holds, in this order, granule 0 channel 0, granule 0 channel 1,
// granule 1 channel 0, ...: each its scale factors, then its Huffman code.

// part2_3_length of a granule and channel: its bits of audio data.
int32_t MP3Part23Bits(const uint8_t* frame, int32_t granule, int32_t channel);

// The bits of the scale factors of granule 0 of a channel of an MPEG 1 frame
// (ISO/IEC 11172-3, 2.4.2.7: by scalefac_compress and the block type; scale
// factor selection never applies to granule 0).
int32_t MP3FirstScaleFactorBits(const uint8_t* frame, int32_t channel);

// Makes a granule and channel decode to silence while keeping its first
// part2Bits bits (its scale factors, which the next granule may reuse):
// part2_3_length becomes part2Bits and big_values 0.
void MP3KeepScaleFactorsOnly(uint8_t* frame, int32_t granule, int32_t channel, int32_t part2Bits);

// Sets main_data_begin of the frame to 0 (its audio data then starts at its
// own main data area).
void MP3ClearMainDataBegin(uint8_t* frame);

// The CRC-16 of a protected frame (ISO/IEC 11172-3, 2.4.3.1: polynomial
// 0x8005, start 0xFFFF) over the last two header bytes and the side
// information.
uint16_t MP3FrameCrc(const uint8_t* frame);

// Makes the frame decode to silence without changing its length or its main
// data area (which frames after it may draw on): side information all zero
// (no bits in any granule) but for main_data_begin, which becomes the given
// value, and its CRC, if it has one, made right again. A decoder keeps the
// bytes from the end of a frame's audio data on for the frames after it, so
// an empty frame must put its (empty) audio data no later than theirs: as far
// back as the reservoir before it reaches.
void MP3MakeSilent(uint8_t* frame, int32_t mainDataBegin);
