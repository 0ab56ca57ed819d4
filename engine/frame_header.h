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

// The bits of a header, in b1..b3 (b0 is all sync):
//                                  b1       b2       b3
//                               AAABBCCD EEEEFFGH IIJJKLMM
// A sync   B version   C layer   D protection   E bitrate index
// F sample-rate index   G padding   H private   I..L mode, flags   M emphasis
constexpr uint8_t kSyncBits = 0xE0;        // 111..... ........ ........
constexpr uint8_t kVersionBits = 0x18;     // ...11... ........ ........
constexpr uint8_t kLayerBits = 0x06;       // .....11. ........ ........
constexpr uint8_t kProtectionBit = 0x01;   // .......1 ........ ........ (0: a CRC follows the header)
constexpr uint8_t kBitrateBits = 0xF0;     // ........ 1111.... ........
constexpr uint8_t kSampleRateBits = 0x0C;  // ........ ....11.. ........
constexpr uint8_t kPaddingBit = 0x02;      // ........ ......1. ........
constexpr uint8_t kChannelModeBits = 0xC0; // ........ ........ 11......
constexpr uint8_t kSingleChannel = 0xC0;   // ........ ........ 11...... (mode 3)
constexpr uint8_t kEmphasisBits = 0x03;    // ........ ........ ......11

// The sync test, which every scan applies before the full test of
// MP3FrameLength: 0xFF followed by a byte with its three top bits set.
inline bool IsFrameSync(const uint8_t* p)
{
    return p[0] == 0xFF && (p[1] & kSyncBits) == kSyncBits;
}

// The fields of an accepted header (MP3FrameLength >= 0) that the cut needs.
// Each reads the four header bytes only.

// True for MPEG 1, false for MPEG 2 and 2.5.
bool MP3IsMpeg1(const uint8_t* header);
// True for the single-channel mode.
bool MP3IsMono(const uint8_t* header);
// Samples per channel a frame decodes to: 1152 (MPEG 1) or 576.
int32_t MP3SamplesPerFrame(const uint8_t* header);
// The sample rate in Hz.
int32_t MP3SampleRate(const uint8_t* header);
// The bitrate index, 1 to 14.
int32_t MP3BitrateIndex(const uint8_t* header);
// Whether two headers belong to one stream as a decoder sees it: the same
// version, sample rate and number of channels, so that their side
// information has the same layout and their samples the same time base.
bool MP3SameStream(const uint8_t* a, const uint8_t* b);
// Whether b may follow a in one stream as decoders resync on it: the same
// version, layer and sample rate (bitrate, padding and mode may change).
bool MP3SameFormat(const uint8_t* a, const uint8_t* b);

// The highest bitrate index of the Layer III tables.
constexpr int32_t kMaxBitrateIndex = 14;

// Writes into out a header made from model (an accepted header) with the
// given bitrate index (1 to 14), no padding byte and no CRC; every other
// field (version, sample rate, mode, mode extension, copyright, original,
// emphasis) stays. Returns the length of a frame with that header.
int32_t MP3HeaderWithBitrate(const uint8_t* model, int32_t bitrateIndex, uint8_t out[4]);
