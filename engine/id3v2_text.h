// Artist, album and title read straight from the bytes of an ID3v2 tag
// (versions 2.2, 2.3 and 2.4, id3.org), knowing each text's encoding: what
// id3lib cannot give (it reads no v2.4 tag and keeps no byte order), and a
// second opinion on what it must not be handed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One text of a tag.
struct Id3Text {
    bool bFound = false;    // the tag has the frame
    bool bUnicode = false;  // the frame's text is UTF-16 or UTF-8
    std::string ansi;       // ISO-8859-1 frames: the bytes as they are
    std::u16string wide;    // Unicode frames: the text
};

// What a leading ID3v2 tag says.
struct Id3v2Info {
    int nMajor = 0;        // 2, 3 or 4; 0 when the bytes start with no ID3v2 tag
    int64_t nTagBytes = 0;  // header, body and footer, as the header gives them
    // The frame layout is consistent: every frame's header and size fit in
    // the tag up to its padding.
    bool bWellFormed = false;
    // Some frame must be expanded before it can be read: compressed or
    // encrypted (v2.3, v2.4) or a compressed meta frame "CDM" (v2.2).
    bool bPackedFrames = false;
    Id3Text artist;  // TPE1, else TPE2, TPE3 or TCOM (id3lib's order)
    Id3Text album;   // TALB
    Id3Text title;   // TIT2
};

// Size of an ID3v2 header.
constexpr size_t kId3v2HeaderSize = 10;
// A file rarely has more than two ID3v2 tags in front; more are taken for data.
constexpr int kMaxLeadingId3v2Tags = 8;

// Flags of an ID3v2 tag header (its sixth byte).
constexpr uint8_t kId3v2Unsync = 0x80;
constexpr uint8_t kId3v2ExtendedHeader = 0x40;  // v2.2: compression (no way to read such a tag)
constexpr uint8_t kId3v2Footer = 0x10;          // v2.4 only

// The tag size an ID3v2 header gives (header, body and footer), or -1 when
// the ten bytes at header are not an ID3v2 header of version 2.2 to 2.4. With
// the mark "3DI" the bytes are read as the footer that ends a v2.4 tag.
int64_t Id3v2TagSize(const uint8_t* header, const char* mark = "ID3");

// The walk over the ID3v2 tags at the front of a file of the given size: one
// after the other, each found by its header, at most kMaxLeadingId3v2Tags of
// them. A tag claiming more than the file holds ends with the file.
class LeadingId3v2Tags {
public:
    explicit LeadingId3v2Tags(int64_t fileSize) : size_(fileSize) {}

    // The first byte after the tags taken so far: where the next would start.
    int64_t End() const { return end_; }
    // No further tag can follow: the last header read was none, the file has
    // no room for another header, or the most tags have been taken.
    bool Done() const
    {
        return done_ || count_ == kMaxLeadingId3v2Tags || size_ - end_ < static_cast<int64_t>(kId3v2HeaderSize);
    }
    // Reads the ten bytes at End(), which the caller has at header (only
    // while not Done): an ID3v2 header moves End() past its tag and gives the
    // size the header claims; anything else ends the walk and gives -1.
    int64_t Take(const uint8_t* header)
    {
        const int64_t bytes = Id3v2TagSize(header);
        if (bytes < 0) {
            done_ = true;
        } else {
            end_ = bytes < size_ - end_ ? end_ + bytes : size_;
            ++count_;
        }
        return bytes;
    }

private:
    int64_t size_;
    int64_t end_ = 0;
    int count_ = 0;
    bool done_ = false;
};

// Walks the leading ID3v2 tags of the size bytes at data, calling
// tag(offset, claimed size) for each; returns the first byte after them.
template <typename Tag>
int64_t WalkLeadingId3v2Tags(const uint8_t* data, int64_t size, Tag tag)
{
    LeadingId3v2Tags tags(size);
    while (!tags.Done()) {
        const int64_t at = tags.End();
        const int64_t bytes = tags.Take(data + at);
        if (bytes >= 0) tag(at, bytes);
    }
    return tags.End();
}

// One frame of an ID3v2 tag as the tag holds it.
struct Id3v2Frame {
    std::string id;             // three characters (v2.2) or four, as they stand
    uint8_t abFlags[2] = {};    // the two flag bytes of v2.3 and v2.4; zeros in v2.2
    std::vector<uint8_t> data;  // the bytes after the frame header (in a v2.2 or v2.3 tag unsynchronised as a
                                // whole, those of the tag resynchronised)
};

// The frames of the ID3v2 tag at the start of some bytes, in their order.
struct Id3v2Frames {
    int nMajor = 0;          // 2, 3 or 4; 0 when the bytes start with no ID3v2 tag
    int64_t nTagBytes = 0;   // header, body and footer, as the header gives them
    bool bUnsync = false;    // v2.4: the header says every frame is unsynchronised
    bool bReadable = false;  // the frames could be walked (not a compressed v2.2 tag, an extended header that fits)
    bool bSizesFit = false;  // every frame's header and size fit in the tag up to its padding
    std::vector<Id3v2Frame> frames;
};

// Walks the frames of the ID3v2 tag at the start of data (size bytes, which
// may end before the tag does), up to its padding or to the first frame
// whose size does not fit. Never reads outside data[0, size).
Id3v2Frames ReadId3v2Frames(const uint8_t* data, size_t size);

// What a reader takes of a frame: its content with the bytes its flags add
// (group, encryption method, sizes) passed over and unsynchronisation
// undone. False when it is compressed or encrypted, when those bytes do not
// fit, or when its content resynchronised is not the length it gives.
bool Id3v2FrameContent(const Id3v2Frames& tag, const Id3v2Frame& frame, std::vector<uint8_t>& content);

// Whether a frame is compressed or encrypted (v2.3, v2.4).
bool Id3v2FramePacked(int major, const Id3v2Frame& frame);

// The first value of a text frame's content, decoded by its encoding byte.
Id3Text DecodeId3v2Text(const uint8_t* data, size_t size);

// Reads the ID3v2 tag at the start of data (size bytes, which may end before
// the tag does: the missing part counts as absent). Each text is the frame's
// first value, up to its terminator. Frames that are compressed or encrypted
// are passed over. Never reads outside data[0, size).
Id3v2Info ReadId3v2(const uint8_t* data, size_t size);

// Decodes UTF-8 to UTF-16; malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(const std::string& text);
