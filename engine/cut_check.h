// The check of a new file after the cut has written and tagged it: read back
// from the disk, it must hold at its audio start exactly the frames the cut
// meant to write, described truly by their Xing/Info frame.
#pragma once

#include <cstdint>

// What the cut wrote (from its CutLayout).
struct CutWritten {
    int32_t nFrames = 0;     // frames after the Xing/Info frame
    int64_t nBytes = 0;      // bytes of all frames, the Xing/Info frame included
    uint16_t nMusicCrc = 0;  // MP3LameCrc of the frames after the Xing/Info frame
};

// Reads the file at path and checks it: after its leading ID3v2 tags, a
// Xing/Info frame with a LAME extension whose frame count, byte count, music
// length and music CRC are those written and whose own CRC is right; then
// exactly that many frames with accepted headers, back to back, ending where
// the byte count says and inside the file; and the CRC of their bytes. True
// when everything holds; false on any difference or when the file cannot be
// read. Reads the file into memory once; changes nothing.
bool MP3CheckCutFile(const char* path, const CutWritten& written);

// The same check of the bytes of a whole file held in memory.
bool MP3CheckCutBytes(const uint8_t* data, int64_t size, const CutWritten& written);
