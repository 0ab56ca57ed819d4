// Numbers in the bytes of MPEG audio frames and their tags: big-endian and
// little-endian integers, the syncsafe integers of ID3v2 (seven bits to a
// byte, id3.org) and the bit fields of the side information, most
// significant bit first (ISO/IEC 11172-3, 2.4.1). None of them checks
// bounds: the caller knows the bytes are there.
#pragma once

#include <cstdint>

// The big-endian unsigned integer of count bytes (1 to 4) at p.
inline uint32_t ReadBe(const uint8_t* p, int count)
{
    uint32_t value = 0;
    for (int k = 0; k < count; ++k) value = value << 8 | p[k];
    return value;
}
inline uint32_t ReadBe32(const uint8_t* p) { return ReadBe(p, 4); }
inline uint16_t ReadBe16(const uint8_t* p) { return static_cast<uint16_t>(ReadBe(p, 2)); }

// Writes the count low bytes of value (1 to 4) at p, big-endian.
inline void WriteBe(uint8_t* p, int count, uint32_t value)
{
    for (int k = 0; k < count; ++k) p[k] = static_cast<uint8_t>(value >> (8 * (count - 1 - k)));
}

// The little-endian 32-bit integer at p (APEv2 tags).
inline uint32_t ReadLe32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The 28-bit syncsafe integer of the four bytes at p (the top bit of each
// byte is ignored).
inline uint32_t ReadSyncsafe(const uint8_t* p)
{
    return (p[0] & 0x7Fu) << 21 | (p[1] & 0x7Fu) << 14 | (p[2] & 0x7Fu) << 7 | (p[3] & 0x7Fu);
}

// Writes the low 28 bits of value at p as a syncsafe integer.
inline void WriteSyncsafe(uint8_t* p, uint32_t value)
{
    for (int k = 0; k < 4; ++k) p[k] = static_cast<uint8_t>(value >> (7 * (3 - k)) & 0x7F);
}

// The count bits (up to 32) from bit position at of data, most significant
// first.
inline uint32_t ReadBits(const uint8_t* data, int64_t at, int32_t count)
{
    uint32_t value = 0;
    for (int64_t k = at; k < at + count; ++k) value = value << 1 | ((data[k >> 3] >> (7 - (k & 7))) & 1);
    return value;
}

// Writes the count low bits of value (up to 32) at bit position at of data,
// most significant first; the other bits stay.
inline void WriteBits(uint8_t* data, int64_t at, int32_t count, uint32_t value)
{
    for (int32_t k = 0; k < count; ++k) {
        const int64_t bit = at + k;
        const uint8_t mask = static_cast<uint8_t>(0x80 >> (bit & 7));
        if ((value >> (count - 1 - k)) & 1) data[bit >> 3] |= mask;
        else data[bit >> 3] &= static_cast<uint8_t>(~mask);
    }
}

// Copies count bits from bit position from of source to bit position to of
// target, most significant first.
inline void CopyBits(uint8_t* target, int64_t to, const uint8_t* source, int64_t from, int64_t count)
{
    for (int64_t k = 0; k < count; ++k) WriteBits(target, to + k, 1, ReadBits(source, from + k, 1));
}
