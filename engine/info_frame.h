// The frame an encoder puts first in a file to describe it instead of sound:
// the Xing header ("Xing" for VBR, "Info" for CBR) with the LAME extension, or
// Fraunhofer's VBRI header. Such a frame describes the whole file it was
// made for (frame count, byte count, seek table, encoder delay and padding),
// so it is never audio of a cut; every cut gets a fresh one of its own.
//
// Xing/Info layout (after the side information, big-endian): the tag, 4
// bytes of flags, then as flagged the frame count, the byte count, a
// 100-entry table of contents and a quality figure. The LAME extension
// (36 bytes) follows: encoder string (9), revision and VBR method (1),
// lowpass (1), peak amplitude (4), track and album gain (2 + 2), encoding
// flags and ATH type (1), bitrate (1), encoder delay and padding (12 + 12
// bits), misc (1), MP3 gain (1), preset and surround (2), music length (4),
// CRC-16 of the music (2) and CRC-16 of the frame up to that field (2).
#pragma once

#include "frame_entry.h"
#include "lame_crc.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

enum class InfoFrameKind {
    None,  // an ordinary frame
    Xing,  // "Xing": variable bitrate
    Info,  // "Info": constant bitrate
    Vbri,  // Fraunhofer's "VBRI", 32 bytes after the header
};

// Which kind of describing frame the frame of the given length at frame is
// (an accepted Layer III header first). Xing and Info are looked for right
// after the side information, with and without a CRC counted in. Reads only
// frame[0, length).
InfoFrameKind MP3InfoFrameKind(const uint8_t* frame, int32_t length);

inline bool MP3IsInfoFrame(const uint8_t* frame, int32_t length)
{
    return MP3InfoFrameKind(frame, length) != InfoFrameKind::None;
}

// Whether first, the first frame found in the file bytes [0, size) at data,
// is a describing frame, which the index keeps apart from the audio. Reads
// only the part of the frame that lies within size.
inline bool MP3IsLeadingInfoFrame(const uint8_t* data, int64_t size, const FrameEntry& first)
{
    const int64_t held = std::min<int64_t>(first.nLength, size - first.nOffset);
    return held > 0 && MP3IsInfoFrame(data + first.nOffset, static_cast<int32_t>(held));
}

constexpr int32_t kLameExtensionBytes = 36;
// Fields of the LAME extension, as offsets from its start.
constexpr int32_t kLameMusicLengthAt = 28;  // 4 bytes
constexpr int32_t kLameMusicCrcAt = 32;     // 2 bytes
constexpr int32_t kLameTagCrcAt = 34;       // 2 bytes
constexpr int32_t kTocEntries = 100;
// The largest encoder delay or padding the LAME extension can state.
constexpr int32_t kMaxLameDelay = 4095;
// Samples by which a decoder's output lags its input (the synthesis filter
// bank and the overlap of the transform), as the LAME extension counts:
// a gapless decoder drops encoder delay + 529 samples at the start and
// padding - 529 at the end.
constexpr int32_t kDecoderDelaySamples = 529;

// What a describing frame says.
struct InfoFrameFacts {
    InfoFrameKind kind = InfoFrameKind::None;
    int32_t nFrames = -1;   // frames after this one; -1 when not stated
    int64_t nBytes = -1;    // bytes from this frame's start to the music's end; -1 when not stated
    int32_t nQuality = -1;  // Xing quality figure; -1 when not stated
    bool bLame = false;     // a LAME extension follows the Xing fields
    uint8_t lame[kLameExtensionBytes] = {};  // that extension as it stands
    int32_t nLameOffset = -1;  // where it starts in the frame; -1 without one
    int32_t nDelay = 0;     // encoder delay in samples (LAME extension)
    int32_t nPadding = 0;   // padding in samples (LAME extension)
    int64_t nMusicLength = -1;  // bytes from this frame's start to the music's end (LAME extension)
    int32_t nMusicCrc = -1;     // CRC-16 of the frames after this one (LAME extension)
    bool bTagCrcHolds = false;  // the extension's CRC of the frame up to it is right
};

// Reads the describing frame of the given length at frame. A frame that is
// none, or a field that does not fit in length, leaves the defaults. An
// extension counts as LAME's when its encoder string is printable text that
// starts with a letter.
InfoFrameFacts MP3ReadInfoFrame(const uint8_t* frame, int32_t length);

// What a cut's own Xing/Info frame states.
struct InfoFrameContent {
    const uint8_t* pModel = nullptr;  // header of the first frame after it: version, rate, mode
    int32_t nFrames = 0;              // frames after it
    int64_t nMusicBytes = 0;          // their bytes
    int64_t nTrailingBytes = 0;       // the tags after them, to the end of the file
    uint8_t toc[kTocEntries] = {};    // table of contents (MP3MeasureMusic)
    bool bConstantBitrate = false;    // all those frames have one bitrate: "Info", else "Xing"
    int32_t nDelay = 0;               // encoder delay to state (0 to kMaxLameDelay)
    int32_t nPadding = 0;             // padding to state (0 to kMaxLameDelay)
    uint16_t nMusicCrc = 0;           // MP3LameCrc of all the frames after it
    const InfoFrameFacts* pSource = nullptr;  // the source's describing frame, or null
};

// Sets nFrames, nMusicBytes and the table of contents of content for frames
// frames after it, frame n of them lengthOf(n) bytes long (entry p of the
// table: the byte offset of the frame p% of the way into the music from its
// first frame, as a 256th of the music's bytes, as lame writes it).
void MP3MeasureMusic(int32_t frames, const std::function<int32_t(int32_t n)>& lengthOf, InfoFrameContent& content);

// Builds the frame: a header of the model's version, sample rate and mode,
// without CRC, of the model's bitrate for "Info" and of the lowest bitrate
// that holds it for "Xing" (raised where the model's is too small); side
// information all zero (a decoder that does not know the tag plays it as
// silence); the Xing fields (frames, bytes, table of contents, quality); the
// LAME extension with the source's
// encoder string and settings when it had one (else "LAME" with no version
// and the settings unknown), without the source's peak and track gain (they
// describe the whole source), and with the given delay, padding, music CRC,
// lengths and the CRC of the frame itself. The byte counts end with the last
// frame; but where the tags after it are more than a 16th of the frames, the
// Xing byte count runs to the end of the file (ffmpeg takes a file longer by
// more than a 16th than it states for several files joined, and ignores its
// frame count and padding; mpg123 only remarks on the difference). Both are
// 32 bits wide: for 4 GiB or more the Xing fields leave out the bytes and the
// music length reads 0 (not known). Its length depends on the model and on
// bConstantBitrate only.
std::vector<uint8_t> MP3BuildInfoFrame(const InfoFrameContent& content);
