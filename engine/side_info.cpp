#include "side_info.h"

#include "byte_reader.h"
#include "frame_header.h"

#include <cstring>

namespace {

constexpr int32_t kHeaderBytes = 4;
constexpr uint16_t kCrcPolynomial = 0x8005;

// The fields of the side information that come before the granules, in bits,
// and the bits each granule of each channel takes (ISO/IEC 11172-3 and
// 13818-3): part2_3_length (12) leads every granule.
constexpr int32_t kMainDataBeginBitsMpeg1 = 9;
constexpr int32_t kMainDataBeginBitsMpeg2 = 8;
constexpr int32_t kGranuleBitsMpeg1 = 59;
constexpr int32_t kGranuleBitsMpeg2 = 63;
constexpr int32_t kPart23LengthBits = 12;

// Fields of a granule's entry, as bit offsets from its start.
constexpr int32_t kBigValuesAt = 12;
constexpr int32_t kBigValuesBits = 9;
constexpr int32_t kScalefacCompressAt = 29;  // 4 bits in MPEG 1
constexpr int32_t kWindowSwitchingAt = 33;   // MPEG 1
constexpr int32_t kBlockTypeAt = 34;         // 2 bits, MPEG 1, with window switching
constexpr int32_t kMixedBlockAt = 36;        // MPEG 1, with window switching
constexpr uint32_t kShortBlocks = 2;

// Bits of the scale factors by scalefac_compress (ISO/IEC 11172-3, 2.4.2.7, slen1 and slen2).
constexpr int32_t kSlen1[16] = {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4};
constexpr int32_t kSlen2[16] = {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3};

const uint8_t* SideInfo(const uint8_t* frame)
{
    return frame + kHeaderBytes + MP3CrcBytes(frame);
}

// Bit position of a granule's entry in the side information: after
// main_data_begin, the private bits and (MPEG 1) scfsi.
int32_t GranuleAt(const uint8_t* frame, int32_t granule, int32_t channel)
{
    const bool mono = MP3IsMono(frame);
    const int32_t channels = mono ? 1 : 2;
    const int32_t entry = granule * channels + channel;
    if (MP3IsMpeg1(frame)) return kMainDataBeginBitsMpeg1 + (mono ? 5 : 3) + 4 * channels + entry * kGranuleBitsMpeg1;
    return kMainDataBeginBitsMpeg2 + (mono ? 1 : 2) + entry * kGranuleBitsMpeg2;
}

}  // namespace

int32_t MP3CrcBytes(const uint8_t* header)
{
    return (header[1] & kProtectionBit) ? 0 : 2;
}

int32_t MP3SideInfoBytes(const uint8_t* header)
{
    const bool mono = MP3IsMono(header);
    return MP3IsMpeg1(header) ? (mono ? 17 : 32) : (mono ? 9 : 17);
}

int32_t MP3MainDataOffset(const uint8_t* header)
{
    return kHeaderBytes + MP3CrcBytes(header) + MP3SideInfoBytes(header);
}

int32_t MP3MainDataBegin(const uint8_t* frame, int32_t length)
{
    if (length < MP3MainDataOffset(frame)) return -1;
    const uint8_t* side = SideInfo(frame);
    return static_cast<int32_t>(MP3IsMpeg1(frame) ? ReadBits(side, 0, kMainDataBeginBitsMpeg1)
                                                  : ReadBits(side, 0, kMainDataBeginBitsMpeg2));
}

int32_t MP3MainDataBytes(const uint8_t* frame, int32_t length)
{
    if (length < MP3MainDataOffset(frame)) return -1;
    int32_t bits = 0;
    for (int32_t g = 0; g < MP3Granules(frame); ++g)
        for (int32_t c = 0; c < MP3Channels(frame); ++c) bits += MP3Part23Bits(frame, g, c);
    return (bits + 7) / 8;
}

int32_t MP3Granules(const uint8_t* header)
{
    return MP3IsMpeg1(header) ? 2 : 1;
}

int32_t MP3Channels(const uint8_t* header)
{
    return MP3IsMono(header) ? 1 : 2;
}

int32_t MP3Part23Bits(const uint8_t* frame, int32_t granule, int32_t channel)
{
    return static_cast<int32_t>(ReadBits(SideInfo(frame), GranuleAt(frame, granule, channel), kPart23LengthBits));
}

int32_t MP3FirstScaleFactorBits(const uint8_t* frame, int32_t channel)
{
    const uint8_t* side = SideInfo(frame);
    const int32_t at = GranuleAt(frame, 0, channel);
    const uint32_t compress = ReadBits(side, at + kScalefacCompressAt, 4);
    const int32_t slen1 = kSlen1[compress], slen2 = kSlen2[compress];
    if (ReadBits(side, at + kWindowSwitchingAt, 1) && ReadBits(side, at + kBlockTypeAt, 2) == kShortBlocks) {
        // Three windows of short scale factor bands 0-5 (slen1) and 6-11
        // (slen2); mixed blocks have 8 long bands in place of short bands 0-2.
        return (ReadBits(side, at + kMixedBlockAt, 1) ? 17 : 18) * slen1 + 18 * slen2;
    }
    return 11 * slen1 + 10 * slen2;  // long bands 0-10 and 11-20
}

void MP3KeepScaleFactorsOnly(uint8_t* frame, int32_t granule, int32_t channel, int32_t part2Bits)
{
    uint8_t* side = frame + kHeaderBytes + MP3CrcBytes(frame);
    const int32_t at = GranuleAt(frame, granule, channel);
    WriteBits(side, at, kPart23LengthBits, static_cast<uint32_t>(part2Bits));
    WriteBits(side, at + kBigValuesAt, kBigValuesBits, 0);
}

void MP3ClearMainDataBegin(uint8_t* frame)
{
    uint8_t* side = frame + kHeaderBytes + MP3CrcBytes(frame);
    WriteBits(side, 0, MP3IsMpeg1(frame) ? kMainDataBeginBitsMpeg1 : kMainDataBeginBitsMpeg2, 0);
}

uint16_t MP3FrameCrc(const uint8_t* frame)
{
    uint16_t crc = 0xFFFF;
    auto feed = [&crc](uint8_t byte) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool top = ((crc >> 15) ^ (byte >> bit)) & 1;
            crc = static_cast<uint16_t>(crc << 1);
            if (top) crc ^= kCrcPolynomial;
        }
    };
    feed(frame[2]);
    feed(frame[3]);
    const uint8_t* side = SideInfo(frame);
    for (int32_t k = 0; k < MP3SideInfoBytes(frame); ++k) feed(side[k]);
    return crc;
}

void MP3MakeSilent(uint8_t* frame, int32_t mainDataBegin)
{
    const int32_t crcBytes = MP3CrcBytes(frame);
    uint8_t* side = frame + kHeaderBytes + crcBytes;
    memset(side, 0, static_cast<size_t>(MP3SideInfoBytes(frame)));
    WriteBits(side, 0, MP3IsMpeg1(frame) ? kMainDataBeginBitsMpeg1 : kMainDataBeginBitsMpeg2, static_cast<uint32_t>(mainDataBegin));
    if (crcBytes) {
        const uint16_t crc = MP3FrameCrc(frame);
        frame[kHeaderBytes] = static_cast<uint8_t>(crc >> 8);
        frame[kHeaderBytes + 1] = static_cast<uint8_t>(crc);
    }
}
