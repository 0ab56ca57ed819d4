#include "id3v2_text.h"

#include "byte_reader.h"

#include <cstring>
#include <vector>

namespace {

// Frame header flags (second byte) of v2.3 and v2.4.
constexpr uint8_t kV3Compressed = 0x80;
constexpr uint8_t kV3Encrypted = 0x40;
constexpr uint8_t kV3Grouped = 0x20;
constexpr uint8_t kV4Grouped = 0x40;
constexpr uint8_t kV4Compressed = 0x08;
constexpr uint8_t kV4Encrypted = 0x04;
constexpr uint8_t kV4Unsync = 0x02;
constexpr uint8_t kV4DataLength = 0x01;

// Text encodings (first byte of a text frame).
constexpr uint8_t kLatin1 = 0;
constexpr uint8_t kUtf16Bom = 1;
constexpr uint8_t kUtf16Be = 2;
constexpr uint8_t kUtf8 = 3;

// Undoes unsynchronisation: every FF 00 becomes FF.
std::vector<uint8_t> Resync(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> out;
    out.reserve(size);
    for (size_t k = 0; k < size; ++k) {
        out.push_back(data[k]);
        if (data[k] == 0xFF && k + 1 < size && data[k + 1] == 0x00) ++k;
    }
    return out;
}

// The frame ids of one version.
struct FrameIds {
    const char* artist[4];
    const char* album;
    const char* title;
};
constexpr FrameIds kIdsV2 = {{"TP1", "TP2", "TP3", "TCM"}, "TAL", "TT2"};
constexpr FrameIds kIdsV3 = {{"TPE1", "TPE2", "TPE3", "TCOM"}, "TALB", "TIT2"};

// A text frame's first value, decoded by its encoding byte.
Id3Text DecodeText(const uint8_t* data, size_t size)
{
    Id3Text text;
    text.bFound = true;
    if (size == 0) return text;
    const uint8_t encoding = data[0];
    const uint8_t* p = data + 1;
    const uint8_t* end = data + size;
    if (encoding == kLatin1 || encoding == kUtf8) {
        const uint8_t* stop = static_cast<const uint8_t*>(memchr(p, 0, static_cast<size_t>(end - p)));
        std::string bytes(p, stop ? stop : end);
        if (encoding == kLatin1) {
            text.ansi = bytes;
        } else {
            text.bUnicode = true;
            text.wide = Utf8ToUtf16(bytes);
        }
        return text;
    }
    if (encoding != kUtf16Bom && encoding != kUtf16Be) {
        text.bFound = false;  // an encoding that does not exist: no text
        return text;
    }
    bool bigEndian = true;  // the standard's order when there is no byte-order mark
    if (encoding == kUtf16Bom && end - p >= 2) {
        if (p[0] == 0xFF && p[1] == 0xFE) {
            bigEndian = false;
            p += 2;
        } else if (p[0] == 0xFE && p[1] == 0xFF) {
            p += 2;
        }
    }
    text.bUnicode = true;
    for (; end - p >= 2; p += 2) {
        const char16_t unit = bigEndian ? static_cast<char16_t>(p[0] << 8 | p[1]) : static_cast<char16_t>(p[1] << 8 | p[0]);
        if (unit == 0) break;
        text.wide += unit;
    }
    return text;
}

// Keeps the first frame of each wanted id; the artist falls back through its
// ids in order, so an earlier id met later in the tag still wins.
class TextCollector {
public:
    TextCollector(Id3v2Info& info, const FrameIds& ids) : info_(info), ids_(ids) {}

    void Take(const char* id, const uint8_t* data, size_t size)
    {
        if (strcmp(id, ids_.album) == 0) TakeFirst(info_.album, data, size);
        if (strcmp(id, ids_.title) == 0) TakeFirst(info_.title, data, size);
        for (int rank = 0; rank < artistRank_; ++rank) {
            if (strcmp(id, ids_.artist[rank]) != 0) continue;
            Id3Text text = DecodeText(data, size);
            if (text.bFound) {
                info_.artist = text;
                artistRank_ = rank;
            }
        }
    }

private:
    static void TakeFirst(Id3Text& slot, const uint8_t* data, size_t size)
    {
        if (!slot.bFound) slot = DecodeText(data, size);
    }

    Id3v2Info& info_;
    const FrameIds& ids_;
    int artistRank_ = 4;  // rank of the id that gave the artist; 4: none yet
};

}  // namespace

int64_t Id3v2TagSize(const uint8_t* header, const char* mark)
{
    if (memcmp(header, mark, 3) != 0) return -1;
    const uint8_t major = header[3], revision = header[4], flags = header[5];
    if (major < 2 || major > 4 || revision == 0xFF) return -1;
    for (int k = 6; k < 10; ++k)
        if (header[k] & 0x80) return -1;
    const bool footer = major == 4 && (flags & kId3v2Footer);
    return static_cast<int64_t>(kId3v2HeaderSize) + ReadSyncsafe(header + 6) + (footer ? kId3v2HeaderSize : 0);
}

Id3v2Frames ReadId3v2Frames(const uint8_t* data, size_t size)
{
    Id3v2Frames tag;
    if (size < kId3v2HeaderSize) return tag;
    const int64_t tagBytes = Id3v2TagSize(data);
    if (tagBytes < 0) return tag;
    tag.nMajor = data[3];
    tag.nTagBytes = tagBytes;
    const uint8_t tagFlags = data[5];
    tag.bUnsync = tag.nMajor == 4 && (tagFlags & kId3v2Unsync);
    if (tag.nMajor == 2 && (tagFlags & kId3v2ExtendedHeader)) return tag;

    // The body: between the header and the footer, as far as data reaches.
    size_t bodySize = static_cast<size_t>(ReadSyncsafe(data + 6));
    if (bodySize > size - kId3v2HeaderSize) bodySize = size - kId3v2HeaderSize;
    std::vector<uint8_t> body;
    if ((tagFlags & kId3v2Unsync) && tag.nMajor < 4)
        body = Resync(data + kId3v2HeaderSize, bodySize);
    else
        body.assign(data + kId3v2HeaderSize, data + kId3v2HeaderSize + bodySize);

    size_t at = 0;
    if ((tagFlags & kId3v2ExtendedHeader) && body.size() >= 4) {
        // v2.3: the size excludes its own four bytes; v2.4: syncsafe, includes them.
        const size_t extended = tag.nMajor == 3 ? ReadBe(body.data(), 4) + 4u : ReadSyncsafe(body.data());
        if (extended > body.size()) return tag;
        at = extended;
    }

    const size_t idBytes = tag.nMajor == 2 ? 3 : 4;
    const size_t headerBytes = tag.nMajor == 2 ? 6 : 10;
    tag.bReadable = tag.bSizesFit = true;
    while (at + headerBytes <= body.size() && body[at] != 0) {
        const uint8_t* frame = body.data() + at;
        size_t frameSize;
        if (tag.nMajor == 2) {
            frameSize = ReadBe(frame + 3, 3);
        } else if (tag.nMajor == 3) {
            frameSize = ReadBe(frame + 4, 4);
        } else {
            // Some writers put plain numbers here in v2.4: a byte with its top
            // bit set cannot be syncsafe.
            const bool plain = (frame[4] | frame[5] | frame[6] | frame[7]) & 0x80;
            frameSize = plain ? ReadBe(frame + 4, 4) : ReadSyncsafe(frame + 4);
        }
        if (frameSize > body.size() - at - headerBytes) {
            tag.bSizesFit = false;
            break;
        }
        Id3v2Frame read;
        read.id.assign(reinterpret_cast<const char*>(frame), idBytes);
        if (tag.nMajor > 2) memcpy(read.abFlags, frame + 8, 2);
        read.data.assign(frame + headerBytes, frame + headerBytes + frameSize);
        tag.frames.push_back(std::move(read));
        at += headerBytes + frameSize;
    }
    return tag;
}

bool Id3v2FramePacked(int major, const Id3v2Frame& frame)
{
    const uint8_t flags = frame.abFlags[1];
    return (major == 2 && frame.id == "CDM") ||
           (flags & (major == 4 ? kV4Compressed | kV4Encrypted : major == 3 ? kV3Compressed | kV3Encrypted : 0));
}

bool Id3v2FrameContent(const Id3v2Frames& tag, const Id3v2Frame& frame, std::vector<uint8_t>& content)
{
    content.clear();
    if (Id3v2FramePacked(tag.nMajor, frame)) return false;
    const uint8_t flags = frame.abFlags[1];
    const bool v4 = tag.nMajor == 4;
    size_t skip = (tag.nMajor == 3 && (flags & kV3Grouped)) || (v4 && (flags & kV4Grouped)) ? 1 : 0;
    const bool sized = v4 && (flags & kV4DataLength);
    if (skip + (sized ? 4 : 0) > frame.data.size()) return false;
    const uint8_t* from = frame.data.data() + skip;
    int64_t length = -1;
    if (sized) {
        length = ReadSyncsafe(from);
        from += 4;
    }
    const uint8_t* end = frame.data.data() + frame.data.size();
    if (v4 && ((flags & kV4Unsync) || tag.bUnsync))
        content = Resync(from, static_cast<size_t>(end - from));
    else
        content.assign(from, end);
    return length < 0 || static_cast<int64_t>(content.size()) == length;
}

Id3Text DecodeId3v2Text(const uint8_t* data, size_t size)
{
    return DecodeText(data, size);
}

Id3v2Info ReadId3v2(const uint8_t* data, size_t size)
{
    Id3v2Info info;
    const Id3v2Frames tag = ReadId3v2Frames(data, size);
    info.nMajor = tag.nMajor;
    info.nTagBytes = tag.nTagBytes;
    info.bWellFormed = tag.bReadable && tag.bSizesFit;
    TextCollector texts(info, info.nMajor == 2 ? kIdsV2 : kIdsV3);
    std::vector<uint8_t> content;
    for (const Id3v2Frame& frame : tag.frames) {
        if (Id3v2FramePacked(tag.nMajor, frame)) info.bPackedFrames = true;
        // A frame whose length indicator does not hold is read as before: as far as it goes.
        if (Id3v2FrameContent(tag, frame, content) || !content.empty() || frame.data.empty())
            texts.Take(frame.id.c_str(), content.data(), content.size());
    }
    return info;
}

std::u16string Utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    const size_t n = text.size();
    for (size_t k = 0; k < n;) {
        const uint8_t lead = static_cast<uint8_t>(text[k]);
        uint32_t cp;
        size_t extra;
        if (lead < 0x80) {
            cp = lead;
            extra = 0;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            cp = lead & 0x1F;
            extra = 1;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            cp = lead & 0x0F;
            extra = 2;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            cp = lead & 0x07;
            extra = 3;
        } else {
            out += u'\xFFFD';
            ++k;
            continue;
        }
        size_t used = 1;
        while (used <= extra && k + used < n && (static_cast<uint8_t>(text[k + used]) & 0xC0) == 0x80) {
            cp = (cp << 6) | (static_cast<uint8_t>(text[k + used]) & 0x3F);
            ++used;
        }
        // Short, overlong, surrogate and out-of-range sequences are malformed.
        static const uint32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
        if (used != extra + 1 || cp < kMinimum[extra] || (cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF) {
            out += u'\xFFFD';
            k += used;
            continue;
        }
        k += used;
        if (cp < 0x10000) {
            out += static_cast<char16_t>(cp);
        } else {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        }
    }
    return out;
}
