// The decoding core of the audio library: an MP3 file as a stream of 16-bit
// signed PCM (native byte order, channels interleaved) at the file's own
// sample rate and channel count, with exact length and sample-accurate
// seeking. Decoding is done by libmpg123; the file is read through the OS
// seam (an ANSI path in the program's code page). Portable: no <windows.h>.
//
// Byte counts are those of the PCM stream. One sample frame (one sample of
// every channel) is BlockBytes() long; positions are always whole frames.
#pragma once

#include "os.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// What Open makes of the file: the stream to play, measured and gapless, as
// below; or one pass through every sample the decoder gives, from the first
// frame's on (an encoder's delay and padding, and the decoder's own delay,
// kept), without the measure: its length stands at the largest value until
// Read reaches its end.
enum class DecoderOpenMode { Playback, Pass };

enum class DecoderOpenResult {
    Ok,
    FileNotOpened,  // the file does not exist or cannot be read
    NotDecodable,   // no MPEG audio that the decoder can play
    DecoderFailed,  // the decoder could not be set up (out of memory)
};

class Mp3Decoder {
public:
    Mp3Decoder();
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Opens the file, measures the whole stream (a scan of every frame
    // header, no decoding) and positions at byte 0. Gapless: the encoder
    // delay and padding that a LAME tag declares are not part of the stream.
    // A file whose sample rate or channel count changes midway is converted
    // to the format of its first frame. On failure the decoder stays closed.
    DecoderOpenResult Open(const OsPath& path, DecoderOpenMode mode = DecoderOpenMode::Playback);
    bool IsOpen() const;

    int RateHz() const;       // 0 when closed
    int Channels() const;     // 1 or 2; 0 when closed
    uint32_t BlockBytes() const;  // bytes per sample frame: 2 x channels
    uint64_t LengthBytes() const; // length of the PCM stream; 0 when closed
    // A byte count of this stream in seconds (exact, in double precision).
    double BytesToSeconds(uint64_t bytes) const;

    // Moves to the sample frame that holds byte (rounded down to a whole
    // frame). The next Read starts exactly with that frame's samples. False
    // when closed or byte lies beyond the length (the position is then
    // unchanged), or when the decoder could not land there (a damaged file:
    // the position is then where it landed); byte == LengthBytes() is
    // allowed: the end.
    bool SeekToByte(uint64_t byte);
    // The byte that the next Read returns first.
    uint64_t PositionBytes() const;
    // Decodes up to bytes (rounded down to whole frames) into out. Returns
    // the count written; less than asked only at the end of the stream.
    // The end can come before LengthBytes() when the file turns out to be
    // damaged beyond what the decoder can skip, or changes its sample rate
    // midway; LengthBytes() then becomes the position reached.
    size_t Read(void* out, size_t bytes);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
