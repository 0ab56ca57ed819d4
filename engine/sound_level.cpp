#include "sound_level.h"

#include "frame_header.h"
#include "side_info.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The largest quantized value each Huffman table codes (ISO/IEC 11172-3,
// Annex B, table B.7: tables 0 to 15, then 15 + 2^linbits - 1 for tables 16
// to 31), as 4/3 x 20 log10(value) in half decibels, rounded.
constexpr int32_t kTableHalfDb[32] = {0,  0,  13, 13, 0,  20, 20,  29,  29, 29, 35, 35,  35,  49,  0,   49,
                                      50, 52, 56, 62, 79, 101, 126, 163, 62, 69, 79, 90, 101, 114, 138, 163};
// The fitted estimate, in hundredths of a half decibel: an offset, and per
// step of global_gain (the quantizer step is 2^((global_gain - 210) / 4); a
// subblock gain counts 8 steps down).
constexpr int32_t kOffsetCentiHalfDb = -3040;
constexpr int32_t kGainCentiHalfDb = 236;
constexpr int32_t kSubblockGainSteps = 8;

// The side information (ISO/IEC 11172-3 and 13818-3, 2.4.1.7), as bit
// offsets: where the first granule's entry starts after main_data_begin, the
// private bits and (MPEG 1) scfsi, by [MPEG 1][mono]; the bits of an entry;
// and within an entry part2_3_length (12 bits), big_values (9), global_gain
// (8) and window switching (after scalefac_compress, 4 or 9 bits). Without
// window switching three table_select of 5 bits follow it; with it the block
// type and mixed-block flag (3 bits), two table_select and three subblock
// gains of 3 bits.
constexpr int32_t kFirstGranuleAt[2][2] = {{10, 9}, {20, 18}};
constexpr int32_t kGranuleBits[2] = {63, 59};
constexpr int32_t kWindowSwitchingAt[2] = {38, 33};
// The frames whose side information, and 8 bytes more, lie within their
// length are read in place; others from a zero-padded copy.
constexpr int32_t kHeldSideBytes = 4 + 2 + 32 + 8;

// Eight bytes as a big-endian number, in one load (this runs for every frame).
uint64_t Load64Be(const uint8_t* p)
{
    uint64_t value;
    memcpy(&value, p, sizeof value);
#if defined(__GNUC__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    return __builtin_bswap64(value);
#else
    uint64_t swapped = 0;
    for (int k = 0; k < 8; ++k) swapped = swapped << 8 | p[k];
    return swapped;
#endif
}

// The bits of side from bit at on, 57 at least, in the top bits of the result.
uint64_t BitsAt(const uint8_t* side, int32_t at)
{
    return Load64Be(side + (at >> 3)) << (at & 7);
}

// The level of one granule and channel whose entry starts at bit at, in
// hundredths of a half decibel above kFloorCentiHalfDb; 0 when it has no
// audio bits. Without branches: which granules code bits, and which use
// short blocks, varies from frame to frame.
constexpr int32_t kFloorCentiHalfDb = -100000;
inline int32_t GranuleLevel(const uint8_t* side, int32_t at, bool mpeg1)
{
    const uint64_t entry = BitsAt(side, at);
    const uint32_t part23Bits = static_cast<uint32_t>(entry >> 52);
    const uint32_t bigValues = static_cast<uint32_t>(entry >> 43 & 0x1FF);
    const int32_t globalGain = static_cast<int32_t>(entry >> 35 & 0xFF);
    // In MPEG 1 the fields up to the last subblock gain (56 bits) came with the entry.
    const uint64_t tail = mpeg1 ? entry << kWindowSwitchingAt[1] : BitsAt(side, at + kWindowSwitchingAt[0]);
    const bool switching = tail >> 63;
    const uint64_t longTable = std::max(std::max(tail >> 58 & 31, tail >> 53 & 31), tail >> 48 & 31);
    const uint64_t shortTable = std::max(tail >> 55 & 31, tail >> 50 & 31);
    const uint64_t subblockGain = std::min(std::min(tail >> 47 & 7, tail >> 44 & 7), tail >> 41 & 7);
    const int32_t table = bigValues ? kTableHalfDb[switching ? shortTable : longTable] : 0;
    const int32_t steps = globalGain - 210 - (switching ? kSubblockGainSteps * static_cast<int32_t>(subblockGain) : 0);
    const int32_t level = kGainCentiHalfDb * steps + kOffsetCentiHalfDb + 100 * table - kFloorCentiHalfDb;
    return part23Bits ? level : 0;
}

// Each level's power relative to full scale.
struct PowerTable {
    double power[256];
    PowerTable()
    {
        power[kLevelSilent] = 0;
        for (int level = 1; level < 256; ++level) power[level] = std::pow(10.0, LevelDb(uint8_t(level)) / 10);
    }
};

}  // namespace

uint8_t MP3FrameLevel(const uint8_t* frame, int32_t length)
{
    if (length < 4) return kLevelSilent;
    const bool mpeg1 = (frame[1] & kVersionBits) == kVersionBits;
    const bool mono = (frame[3] & kChannelModeBits) == kSingleChannel;
    const uint8_t* side = frame + 4 + ((frame[1] & kProtectionBit) ? 0 : 2);
    uint8_t padded[kHeldSideBytes];
    if (length < kHeldSideBytes) {
        if (length < MP3MainDataOffset(frame)) return kLevelSilent;
        memset(padded, 0, sizeof padded);
        memcpy(padded, side, static_cast<size_t>(length - (side - frame)));
        side = padded;
    }
    const int32_t at = kFirstGranuleAt[mpeg1][mono], step = kGranuleBits[mpeg1];
    int32_t loudest = GranuleLevel(side, at, mpeg1);
    if (!mono) loudest = std::max(loudest, GranuleLevel(side, at + step, mpeg1));
    if (loudest == 0) return kLevelSilent;
    // Rounded to whole half decibels; the sum above is positive.
    const int32_t halfDb = (loudest + 50) / 100 + kFloorCentiHalfDb / 100;
    return static_cast<uint8_t>(std::clamp(halfDb + kLevelZeroDb, 1, 255));
}

double LevelDb(uint8_t level)
{
    return static_cast<double>(int32_t(level) - kLevelZeroDb) / kLevelStepsPerDb;
}

uint8_t SpanLevel(const std::vector<uint8_t>& levels, int64_t first, int64_t end)
{
    static const PowerTable table;
    double sum = 0;
    for (int64_t k = first; k < end; ++k) sum += table.power[levels[static_cast<size_t>(k)]];
    return end > first ? LevelOfPower(sum / static_cast<double>(end - first)) : kLevelSilent;
}

uint8_t LevelOfPower(double power)
{
    if (!(power > 0)) return kLevelSilent;
    const double db = 10 * std::log10(power);
    return static_cast<uint8_t>(std::clamp<long>(std::lround(db * kLevelStepsPerDb) + kLevelZeroDb, 1, 255));
}

std::vector<uint8_t> ColumnLevels(const std::vector<uint8_t>& levels, int32_t columns)
{
    std::vector<uint8_t> out;
    const int64_t n = static_cast<int64_t>(levels.size());
    if (n == 0 || columns <= 0) return out;
    out.resize(static_cast<size_t>(columns));
    for (int64_t c = 0; c < columns; ++c) {
        const int64_t first = std::min(n - 1, c * n / columns);
        out[static_cast<size_t>(c)] = SpanLevel(levels, first, std::max(first + 1, (c + 1) * n / columns));
    }
    return out;
}

std::vector<SilentSpan> FindSilences(const std::vector<uint8_t>& levels, double thresholdDb, int32_t minFrames)
{
    std::vector<SilentSpan> spans;
    const int32_t n = static_cast<int32_t>(levels.size());
    for (int32_t k = 0; k < n;) {
        int32_t end = k;
        while (end < n && (levels[size_t(end)] == kLevelSilent || LevelDb(levels[size_t(end)]) < thresholdDb)) ++end;
        if (end - k >= std::max(1, minFrames)) spans.push_back(SilentSpan{k, end});
        k = end + 1;
    }
    return spans;
}

std::vector<std::pair<int64_t, int64_t>> SplitAtSilences(const std::vector<SilentSpan>& silences,
                                                         const FrameIndex& index)
{
    const SourceTimeline& timeline = index.timeline;
    const int64_t n = static_cast<int64_t>(index.frames.size()), played = timeline.nEndSample - timeline.nFirstSample;
    std::vector<std::pair<int64_t, int64_t>> parts;
    int64_t start = 0;
    for (const SilentSpan& silence : silences) {
        if (silence.first == 0 || silence.end >= n) continue;
        const int64_t middle = silence.first + (silence.end - silence.first) / 2;
        const int64_t boundary = (middle + 1) * timeline.nSamplesPerFrame - timeline.nFirstSample;
        if (boundary <= start || boundary >= played) continue;
        parts.emplace_back(start, boundary);
        start = boundary;
    }
    parts.emplace_back(start, played);
    return parts;
}
