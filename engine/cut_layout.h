// What a cut writes, frame by frame: a Xing/Info frame of its own, the
// priming frames (reservoir.h), then the frames of the source, byte for byte.
// The encoder delay and padding it states make a gapless decoder play exactly
// the samples of the selected frames, as far as the source plays them: the
// source's own encoder delay and padding stay cut off where the selection
// reaches into them.
#pragma once

#include "frame_entry.h"
#include "info_frame.h"
#include "reservoir.h"
#include "source_file.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// A frame of the source the cut copies.
struct CopiedFrame {
    FrameEntry entry;         // where it stands in the source
    int32_t nSilentBegin;     // -1: copied as it is; else written as a frame of
                              // silence (reservoir.h) with this main_data_begin
};

// Where the frames written change version, layer or sample rate, no Xing/Info
// frame can describe them: infoFrame is empty and the counts are of the
// frames alone.
struct CutLayout {
    std::vector<uint8_t> infoFrame;   // the cut's Xing/Info frame, or none
    Priming priming;                  // made frames, and where copying starts
    std::vector<CopiedFrame> copied;  // source frames copied after them, in order
    int32_t nDelay = 0;               // encoder delay stated, in samples
    int32_t nPadding = 0;             // padding stated, in samples
    int32_t nFrames = 0;              // frames after the Xing/Info frame
    int64_t nBytes = 0;               // bytes of all frames, the Xing/Info frame included
    uint16_t nMusicCrc = 0;           // MP3LameCrc of the frames after the Xing/Info frame
};

// Lays out the cut of index entries i to j - 1 of the index frames (nFrames
// audio entries) from the bytes held in source; sourceInfo is what the
// source's describing frame says (kind None when it has none). Frames whose
// bytes are not held are left out. False, and layout empty, when no frame is
// to be written (i >= j, or none held).
bool MP3LayOutCut(const FrameEntry* frames, int32_t nFrames, int32_t i, int32_t j, const SourceBytes& source,
                  const InfoFrameFacts& sourceInfo, CutLayout& layout);

// The frame of the given length at frame as the cut writes a copied frame
// marked silent: a copy made silent with the given main_data_begin
// (MP3MakeSilent).
std::vector<uint8_t> MP3SilentCopy(const uint8_t* frame, int32_t length, int32_t mainDataBegin);

// Hands the bytes of the layout's frames to write, in order: the Xing/Info
// frame (if any), the priming frames, then the copied frames from source,
// runs of frames adjacent in the source in one call, those marked silent as
// silence.
// Stops at the first call that returns false and returns false; true once
// every byte has been handed over.
bool MP3EmitCut(const CutLayout& layout, const SourceBytes& source, const std::function<bool(const uint8_t*, size_t)>& write);
