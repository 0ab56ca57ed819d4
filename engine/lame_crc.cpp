#include "lame_crc.h"

#include <array>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define ZDV_CARRY_LESS 1
#endif

namespace {

// Tables of the reflected CRC: entry n of table k is the CRC of byte n
// followed by k zero bytes, so that sixteen bytes are taken at a time
// (slicing by sixteen).
constexpr int kSlices = 16;
using Tables = std::array<std::array<uint16_t, 256>, kSlices>;

constexpr Tables MakeTables()
{
    Tables tables = {};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t crc = n;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        tables[0][n] = static_cast<uint16_t>(crc);
    }
    for (int k = 1; k < kSlices; ++k)
        for (uint32_t n = 0; n < 256; ++n)
            tables[k][n] = static_cast<uint16_t>((tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFF]);
    return tables;
}
constexpr Tables kTables = MakeTables();

uint16_t SliceCrc(const uint8_t* data, size_t bytes, uint16_t crc)
{
    const auto& t = kTables;
    size_t k = 0;
    for (; k + kSlices <= bytes; k += kSlices) {
        const uint8_t* d = data + k;
        crc = static_cast<uint16_t>(t[15][(crc ^ d[0]) & 0xFF] ^ t[14][((crc >> 8) ^ d[1]) & 0xFF] ^ t[13][d[2]] ^
                                    t[12][d[3]] ^ t[11][d[4]] ^ t[10][d[5]] ^ t[9][d[6]] ^ t[8][d[7]] ^ t[7][d[8]] ^
                                    t[6][d[9]] ^ t[5][d[10]] ^ t[4][d[11]] ^ t[3][d[12]] ^ t[2][d[13]] ^ t[1][d[14]] ^
                                    t[0][d[15]]);
    }
    for (; k < bytes; ++k) crc = static_cast<uint16_t>((crc >> 8) ^ t[0][(crc ^ data[k]) & 0xFF]);
    return crc;
}

#ifdef ZDV_CARRY_LESS

// Folding with carry-less multiplication. The CRC of bytes with start 0 is
// a function of their polynomial modulo the CRC's (0x18005) alone, so a
// block of 16 bytes may be replaced by any bytes of the same remainder further
// on. A block loaded little-endian holds the coefficient of x^(127 - i) in
// bit i: its low half h is the coefficients of x^127..x^64, its high half l
// those of x^63..x^0. Moved on by d bits it is h x^(d + 64) + l x^d, and
// with both powers taken modulo the polynomial it is two products of 64 by
// 16 bits, which land in a block of 128 bits. The product of two such
// reversed halves comes out one place short, so each constant is the power
// one lower: x^(d + 63) and x^(d - 1).

// x^n modulo the CRC's polynomial, reversed into 64 bits as the halves are.
constexpr uint64_t ReversedPower(int n)
{
    uint32_t r = 1;
    for (int k = 0; k < n; ++k) {
        r <<= 1;
        if (r & 0x10000) r ^= 0x18005;
    }
    uint64_t reversed = 0;
    for (int bit = 0; bit < 16; ++bit)
        if (r >> bit & 1) reversed |= uint64_t(1) << (63 - bit);
    return reversed;
}

// The block moved on by the bits the constants stand for (the one for its low
// half in the low half of constants, the other in the high), added to next.
__attribute__((target("pclmul,sse2"))) inline __m128i Fold(__m128i block, __m128i constants, __m128i next)
{
    const __m128i low = _mm_clmulepi64_si128(block, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(block, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

__attribute__((target("pclmul,sse2"))) uint16_t FoldedCrc(const uint8_t* data, size_t bytes, uint16_t crc)
{
    // Four blocks at a time, each moved on by 512 bits, then one by 128.
    const __m128i by512 = _mm_set_epi64x(static_cast<long long>(ReversedPower(512 - 1)),
                                         static_cast<long long>(ReversedPower(512 + 63)));
    const __m128i by128 = _mm_set_epi64x(static_cast<long long>(ReversedPower(128 - 1)),
                                         static_cast<long long>(ReversedPower(128 + 63)));
    const auto load = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    // The start: a CRC of crc so far is the same as crc added to the first two bytes.
    __m128i lane[4] = {_mm_xor_si128(load(data), _mm_cvtsi32_si128(crc)), load(data + 16), load(data + 32),
                       load(data + 48)};
    size_t k = 64;
    for (; k + 64 <= bytes; k += 64)
        for (int n = 0; n < 4; ++n) lane[n] = Fold(lane[n], by512, load(data + k + 16 * n));
    __m128i folded = lane[0];
    for (int n = 1; n < 4; ++n) folded = Fold(folded, by128, lane[n]);
    for (; k + 16 <= bytes; k += 16) folded = Fold(folded, by128, load(data + k));
    uint8_t last[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(last), folded);
    return SliceCrc(data + k, bytes - k, SliceCrc(last, sizeof last, 0));
}

bool CanFold()
{
    static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
    return can;
}

#endif

}  // namespace

uint16_t MP3LameCrc(const uint8_t* data, size_t bytes, uint16_t crc)
{
#ifdef ZDV_CARRY_LESS
    if (bytes >= 256 && CanFold()) return FoldedCrc(data, bytes, crc);
#endif
    return SliceCrc(data, bytes, crc);
}
