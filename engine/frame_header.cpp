#include "frame_header.h"

namespace {

constexpr unsigned versionIndex(uint8_t b1) { return (b1 & kVersionBits) >> 3; }
constexpr unsigned layerIndex(uint8_t b1) { return (b1 & kLayerBits) >> 1; }
constexpr unsigned bitrateIndex(uint8_t b2) { return (b2 & kBitrateBits) >> 4; }
constexpr unsigned sampleRateIndex(uint8_t b2) { return (b2 & kSampleRateBits) >> 2; }
constexpr unsigned paddingBytes(uint8_t b2) { return (b2 & kPaddingBit) >> 1; }
constexpr unsigned emphasis(uint8_t b3) { return b3 & kEmphasisBits; }

constexpr unsigned kVersionReserved = 1;
constexpr unsigned kVersion1 = 3;
constexpr unsigned kLayer3 = 1;
constexpr unsigned kFreeFormat = 0;
constexpr unsigned kBadBitrate = 15;
constexpr unsigned kReservedSampleRate = 3;
constexpr unsigned kReservedEmphasis = 2;

// Sample rate in Hz by version index (0 = MPEG 2.5, 2 = MPEG 2, 3 = MPEG 1)
// and sample-rate index.
constexpr int32_t kSampleRateHz[4][3] = {
    {11025, 12000, 8000},   // MPEG 2.5
    {0, 0, 0},              // reserved
    {22050, 24000, 16000},  // MPEG 2
    {44100, 48000, 32000},  // MPEG 1
};

// Layer III bitrate in kbit/s by bitrate index 0..15 (0 free, 15 bad).
constexpr int32_t kBitrateKbpsMpeg1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int32_t kBitrateKbpsMpeg2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};

}  // namespace

int32_t MP3FrameLength(const uint8_t* header)
{
    if (header == nullptr || !IsFrameSync(header)) return -1;
    const uint8_t b1 = header[1], b2 = header[2], b3 = header[3];
    const unsigned version = versionIndex(b1);
    if (version == kVersionReserved) return -1;
    if (layerIndex(b1) != kLayer3) return -1;
    const unsigned bitrate = bitrateIndex(b2);
    if (bitrate == kFreeFormat || bitrate == kBadBitrate) return -1;
    const unsigned rate = sampleRateIndex(b2);
    if (rate == kReservedSampleRate) return -1;
    if (emphasis(b3) == kReservedEmphasis) return -1;

    const int32_t samplesPerFrame = version == kVersion1 ? 1152 : 576;
    const int32_t sampleRateHz = kSampleRateHz[version][rate];
    const int32_t bitrateBps = (version == kVersion1 ? kBitrateKbpsMpeg1 : kBitrateKbpsMpeg2)[bitrate] * 1000;
    return bitrateBps * samplesPerFrame / (sampleRateHz * 8) + static_cast<int32_t>(paddingBytes(b2));
}

bool MP3IsMpeg1(const uint8_t* header)
{
    return versionIndex(header[1]) == kVersion1;
}

bool MP3IsMono(const uint8_t* header)
{
    return (header[3] & kChannelModeBits) == kSingleChannel;
}

int32_t MP3SamplesPerFrame(const uint8_t* header)
{
    return MP3IsMpeg1(header) ? 1152 : 576;
}

int32_t MP3SampleRate(const uint8_t* header)
{
    return kSampleRateHz[versionIndex(header[1])][sampleRateIndex(header[2]) % 3];
}

int32_t MP3BitrateIndex(const uint8_t* header)
{
    return static_cast<int32_t>(bitrateIndex(header[2]));
}

bool MP3SameStream(const uint8_t* a, const uint8_t* b)
{
    return versionIndex(a[1]) == versionIndex(b[1]) && sampleRateIndex(a[2]) == sampleRateIndex(b[2]) &&
           MP3IsMono(a) == MP3IsMono(b);
}

bool MP3SameFormat(const uint8_t* a, const uint8_t* b)
{
    return versionIndex(a[1]) == versionIndex(b[1]) && layerIndex(a[1]) == layerIndex(b[1]) &&
           sampleRateIndex(a[2]) == sampleRateIndex(b[2]);
}

int32_t MP3HeaderWithBitrate(const uint8_t* model, int32_t bitrateIndex, uint8_t out[4])
{
    out[0] = model[0];
    out[1] = static_cast<uint8_t>(model[1] | kProtectionBit);
    out[2] = static_cast<uint8_t>((model[2] & ~(kBitrateBits | kPaddingBit)) | (bitrateIndex << 4));
    out[3] = model[3];
    return MP3FrameLength(out);
}
