#include "info_frame.h"

#include "byte_reader.h"
#include "frame_header.h"
#include "side_info.h"

#include <cstring>
#include <initializer_list>

namespace {

constexpr uint32_t kHasFrames = 0x1;
constexpr uint32_t kHasBytes = 0x2;
constexpr uint32_t kHasToc = 0x4;
constexpr uint32_t kHasQuality = 0x8;
// Tag, flags, frames, bytes, table of contents, quality.
constexpr int32_t kXingFieldsBytes = 4 + 4 + 4 + 4 + kTocEntries + 4;

// Offsets inside the LAME extension.
constexpr int32_t kEncoderBytes = 9;
constexpr int32_t kRevisionMethod = 9;
constexpr int32_t kPeak = 11;
constexpr int32_t kTrackGain = 15;
constexpr int32_t kDelayPadding = 21;
constexpr uint8_t kMethodUnknown = 0;
constexpr uint8_t kMethodConstant = 1;

// VBRI (Fraunhofer) stands at a fixed place, whatever the mode.
constexpr int32_t kVbriOffset = 4 + 32;

bool TagAt(const uint8_t* frame, int32_t length, int32_t offset, const char* tag)
{
    return offset >= 0 && offset + 4 <= length && memcmp(frame + offset, tag, 4) == 0;
}

// Where the Xing/Info tag of the frame stands, or -1.
int32_t XingOffset(const uint8_t* frame, int32_t length)
{
    // Encoders place it right after the side information; some count the
    // CRC in, some do not.
    const int32_t offset = 4 + MP3SideInfoBytes(frame);
    for (int32_t crc : {0, MP3CrcBytes(frame)}) {
        if (TagAt(frame, length, offset + crc, "Xing") || TagAt(frame, length, offset + crc, "Info")) return offset + crc;
    }
    return -1;
}

// A number of the header that must not be negative to be believed.
int32_t Count(uint32_t value)
{
    return value <= 0x7FFFFFFFu ? static_cast<int32_t>(value) : -1;
}

bool IsEncoderString(const uint8_t* text)
{
    const bool letter = (text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z');
    if (!letter) return false;
    for (int32_t k = 0; k < kEncoderBytes; ++k)
        if (text[k] != 0 && (text[k] < 0x20 || text[k] > 0x7E)) return false;
    return true;
}

// The header of the cut's own frame: the model's bitrate when that holds the
// fields and the frame must read as constant bitrate, else the lowest that does.
int32_t InfoHeader(const uint8_t* model, bool constantBitrate, uint8_t out[4])
{
    const int32_t needed = MP3MainDataOffset(model) - MP3CrcBytes(model) + kXingFieldsBytes + kLameExtensionBytes;
    for (int32_t index = constantBitrate ? MP3BitrateIndex(model) : 1; index <= kMaxBitrateIndex; ++index) {
        const int32_t length = MP3HeaderWithBitrate(model, index, out);
        if (length >= needed) return length;
    }
    return -1;  // not reached: the highest bitrate holds it at every rate
}

}  // namespace

InfoFrameKind MP3InfoFrameKind(const uint8_t* frame, int32_t length)
{
    if (length < 4) return InfoFrameKind::None;
    const int32_t at = XingOffset(frame, length);
    if (at >= 0) return frame[at] == 'X' ? InfoFrameKind::Xing : InfoFrameKind::Info;
    return TagAt(frame, length, kVbriOffset, "VBRI") ? InfoFrameKind::Vbri : InfoFrameKind::None;
}

InfoFrameFacts MP3ReadInfoFrame(const uint8_t* frame, int32_t length)
{
    InfoFrameFacts facts;
    facts.kind = MP3InfoFrameKind(frame, length);
    if (facts.kind != InfoFrameKind::Xing && facts.kind != InfoFrameKind::Info) return facts;
    int32_t at = XingOffset(frame, length) + 4;
    if (at + 4 > length) return facts;
    const uint32_t flags = ReadBe32(frame + at);
    at += 4;
    // Each field, when flagged, as far as the frame holds it.
    int64_t byteCount = -1;
    auto field = [&](uint32_t flag, int32_t bytes, auto* out) {
        if (!(flags & flag)) return true;
        if (at + bytes > length) return false;
        if (out) *out = sizeof(*out) == 8 ? int64_t(ReadBe32(frame + at)) : Count(ReadBe32(frame + at));
        at += bytes;
        return true;
    };
    const bool read = field(kHasFrames, 4, &facts.nFrames) && field(kHasBytes, 4, &byteCount) &&
                      field(kHasToc, kTocEntries, static_cast<int32_t*>(nullptr)) &&
                      field(kHasQuality, 4, &facts.nQuality);
    facts.nBytes = byteCount;
    if (!read) return facts;
    if (at + kLameExtensionBytes > length || !IsEncoderString(frame + at)) return facts;
    facts.bLame = true;
    facts.nLameOffset = at;
    memcpy(facts.lame, frame + at, kLameExtensionBytes);
    const uint8_t* d = facts.lame + kDelayPadding;
    facts.nDelay = static_cast<int32_t>(ReadBits(d, 0, 12));
    facts.nPadding = static_cast<int32_t>(ReadBits(d, 12, 12));
    facts.nMusicLength = ReadBe32(facts.lame + kLameMusicLengthAt);
    facts.nMusicCrc = ReadBe16(facts.lame + kLameMusicCrcAt);
    facts.bTagCrcHolds = ReadBe16(facts.lame + kLameTagCrcAt) == MP3LameCrc(frame, static_cast<size_t>(at + kLameTagCrcAt));
    return facts;
}

void MP3MeasureMusic(int32_t frames, const std::function<int32_t(int32_t n)>& lengthOf, InfoFrameContent& content)
{
    content.nFrames = frames;
    content.nMusicBytes = 0;
    int64_t offsets[kTocEntries];
    int32_t entry = 0;
    for (int32_t n = 0; n < frames; ++n) {
        // Entry p names frame p * frames / 100 (entry 0 is 0).
        for (; entry < kTocEntries && static_cast<int64_t>(entry) * frames / kTocEntries <= n; ++entry)
            offsets[entry] = content.nMusicBytes;
        content.nMusicBytes += lengthOf(n);
    }
    for (; entry < kTocEntries; ++entry) offsets[entry] = content.nMusicBytes;
    for (entry = 0; entry < kTocEntries; ++entry) {
        const int64_t value = content.nMusicBytes > 0 ? offsets[entry] * 256 / content.nMusicBytes : 0;
        content.toc[entry] = static_cast<uint8_t>(value > 255 ? 255 : value);
    }
}

std::vector<uint8_t> MP3BuildInfoFrame(const InfoFrameContent& content)
{
    uint8_t header[4];
    const int32_t length = InfoHeader(content.pModel, content.bConstantBitrate, header);
    std::vector<uint8_t> frame(static_cast<size_t>(length), 0);
    memcpy(frame.data(), header, 4);

    const int64_t totalBytes = length + content.nMusicBytes;
    const int64_t fileBytes = totalBytes + (content.nTrailingBytes > totalBytes / 16 ? content.nTrailingBytes : 0);
    const bool bytesFit = fileBytes <= 0xFFFFFFFF;
    uint8_t* p = frame.data() + MP3MainDataOffset(header);
    memcpy(p, content.bConstantBitrate ? "Info" : "Xing", 4);
    WriteBe(p + 4, 4, kHasFrames | (bytesFit ? kHasBytes : 0) | kHasToc | kHasQuality);
    uint8_t* at = p + 8;
    WriteBe(at, 4, static_cast<uint32_t>(content.nFrames));
    at += 4;
    if (bytesFit) {
        WriteBe(at, 4, static_cast<uint32_t>(fileBytes));
        at += 4;
    }
    memcpy(at, content.toc, kTocEntries);
    at += kTocEntries;
    const InfoFrameFacts* source = content.pSource;
    const bool lame = source && source->bLame;
    WriteBe(at, 4, static_cast<uint32_t>(source && source->nQuality >= 0 ? source->nQuality : 0));
    at += 4;

    uint8_t* ext = at;
    if (lame) {
        memcpy(ext, source->lame, kLameExtensionBytes);
        memset(ext + kPeak, 0, 4);
        memset(ext + kTrackGain, 0, 2);
    } else {
        memcpy(ext, "LAME", 4);
        ext[kRevisionMethod] = content.bConstantBitrate ? kMethodConstant : kMethodUnknown;
    }
    const uint32_t delayPadding = static_cast<uint32_t>(content.nDelay) << 12 | static_cast<uint32_t>(content.nPadding);
    WriteBe(ext + kDelayPadding, 3, delayPadding);
    WriteBe(ext + kLameMusicLengthAt, 4, bytesFit ? static_cast<uint32_t>(totalBytes) : 0);
    WriteBe(ext + kLameMusicCrcAt, 2, content.nMusicCrc);
    WriteBe(ext + kLameTagCrcAt, 2, MP3LameCrc(frame.data(), static_cast<size_t>(ext + kLameTagCrcAt - frame.data())));
    return frame;
}
