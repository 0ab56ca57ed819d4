#include "bit_reservoir.h"

#include <cstring>

namespace {

constexpr int32_t kHeaderBytes = 4;
constexpr uint8_t kVersionBits = 0x18;      // b1: 11 = MPEG 1
constexpr uint8_t kMpeg1 = 0x18;
constexpr uint8_t kProtectionBit = 0x01;    // b1: 0 = a CRC follows the header
constexpr uint8_t kChannelModeBits = 0xC0;  // b3: 11 = single channel
constexpr uint8_t kSingleChannel = 0xC0;
constexpr uint16_t kCrcPolynomial = 0x8005;

bool IsMpeg1(const uint8_t* header)
{
    return (header[1] & kVersionBits) == kMpeg1;
}

}  // namespace

int32_t MP3SideInfoBytes(const uint8_t* header)
{
    const bool mono = (header[3] & kChannelModeBits) == kSingleChannel;
    return IsMpeg1(header) ? (mono ? 17 : 32) : (mono ? 9 : 17);
}

int32_t MP3CrcBytes(const uint8_t* header)
{
    return (header[1] & kProtectionBit) ? 0 : 2;
}

int32_t MP3MainDataBegin(const uint8_t* frame, int32_t length)
{
    const int32_t at = kHeaderBytes + MP3CrcBytes(frame);
    if (length < at + MP3SideInfoBytes(frame)) return -1;
    // The side information starts with main_data_begin: 9 bits in MPEG 1,
    // 8 bits in MPEG 2 and 2.5.
    return IsMpeg1(frame) ? (frame[at] << 1 | frame[at + 1] >> 7) : frame[at];
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
    const uint8_t* side = frame + kHeaderBytes + MP3CrcBytes(frame);
    for (int32_t k = 0; k < MP3SideInfoBytes(frame); ++k) feed(side[k]);
    return crc;
}

bool MP3MakeSilentFrame(uint8_t* frame, int32_t length)
{
    if (MP3MainDataBegin(frame, length) < 0) return false;
    const int32_t crcBytes = MP3CrcBytes(frame);
    memset(frame + kHeaderBytes + crcBytes, 0, static_cast<size_t>(MP3SideInfoBytes(frame)));
    if (crcBytes) {
        const uint16_t crc = MP3FrameCrc(frame);
        frame[kHeaderBytes] = static_cast<uint8_t>(crc >> 8);
        frame[kHeaderBytes + 1] = static_cast<uint8_t>(crc);
    }
    return true;
}
