// The check of a new file after the cut has written and tagged it: read back
// from the disk, it must hold at its audio start exactly the frames the cut
// meant to write, described truly by their Xing/Info frame where they have
// one, and no frame after them.
#pragma once

#include "cut_layout.h"
#include "source_file.h"

#include <cstdint>

// What the cut wrote (from its CutLayout).
struct CutWritten {
    int32_t nFrames = 0;     // frames after the Xing/Info frame (all, without one)
    int64_t nBytes = 0;      // bytes of all frames, the Xing/Info frame included
    uint16_t nMusicCrc = 0;  // MP3LameCrc of the frames after the Xing/Info frame
};

// Checks the file at path against the layout it was written from, after
// MP3EmitCut: after its leading ID3v2 tags, the layout's Xing/Info frame
// byte for byte (where it has one), then the layout's number of accepted
// frames back to back, ending where its byte count says, whose bytes have
// the digest of those MP3EmitCut handed over; after them no further frame.
// Reads the file in chunks, in order; changes nothing. True when everything
// holds; false on any difference or when the file cannot be read. progress
// hears of each chunk read.
bool MP3CheckCutFile(const OsPath& path, const CutLayout& layout, const WorkProgress& progress = nullptr);

// The check of a whole cut held in memory against what was written: the
// Xing/Info frame (as above, and its music CRC that of the frames after it),
// then exactly that many accepted frames of its version, layer and sample
// rate, back to back, ending where its byte count says, with the CRC of
// their bytes. Frames that change format come without a Xing/Info frame.
bool MP3CheckCutBytes(const uint8_t* data, int64_t size, const CutWritten& written);
