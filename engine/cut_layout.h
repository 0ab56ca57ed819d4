// What a cut writes, frame by frame: a Xing/Info frame of its own, the
// priming frames (reservoir.h), then the frames of the source, byte for byte.
// The encoder delay and padding it states make a gapless decoder play exactly
// the samples of the selected frames, as far as the source plays them: the
// source's own encoder delay and padding stay cut off where the selection
// reaches into them.
//
// A cut of any size is written holding a chunk of it at a time: the layout
// is made from the frame index and the bytes of the cut's first frames (its
// head), then the frames stream from the source to the new file in runs of
// one chunk at most, the music CRC taken on the way; the Xing/Info frame
// written first is written again once that CRC is known.
#pragma once

#include "byte_digest.h"
#include "frame_entry.h"
#include "info_frame.h"
#include "reservoir.h"
#include "source_file.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// The index entries whose bytes the layout of a cut reads: the frames before
// the selection that its priming may draw on (two, and those their reservoir
// may reach), and its first frames, as far
// as kCutHeadBytes of them or to the end of the selection.
struct CutHead {
    int32_t nFirst = 0;  // first entry
    int32_t nEnd = 0;    // entry after the last
};
constexpr int64_t kCutHeadBytes = 64 << 10;
CutHead MP3CutHead(const FrameEntry* frames, int32_t i, int32_t j);

// Where the frames written change version, layer or sample rate, no Xing/Info
// frame can describe them: infoFrame is empty and the counts are of the
// frames alone.
struct CutLayout {
    std::vector<uint8_t> infoFrame;  // the cut's Xing/Info frame, or none; its music CRC
                                     // is right once MP3EmitCut has run
    InfoFrameContent content;        // what infoFrame states, but its model and source
    uint8_t modelHeader[4] = {};     // header of the first frame after it: the model
    InfoFrameFacts sourceInfo;       // what the source's describing frame says
    Priming priming;                 // made frames, and where copying starts
    int32_t nEndCopied = 0;          // copied entries are priming.nFirstCopied to nEndCopied - 1
    int32_t nAvailable = 0;          // bytes of the main data stream before the first copied entry
    int32_t nDelay = 0;              // encoder delay stated, in samples
    int32_t nPadding = 0;            // padding stated, in samples
    int32_t nFrames = 0;             // frames after the Xing/Info frame
    int64_t nBytes = 0;              // bytes of all frames, the Xing/Info frame included
    uint16_t nMusicCrc = 0;          // MP3LameCrc of the frames after the Xing/Info frame (MP3EmitCut)
    uint64_t nMusicDigest = 0;       // ByteDigest of the same bytes (MP3EmitCut)
};

// Decoded samples of the source, [nStart, nEnd).
struct SampleRange {
    int64_t nStart = 0;
    int64_t nEnd = 0;
};

// Lays out the cut of index entries i to j - 1 of the index frames that
// plays their decoded samples played (within them) and no other, from a
// source of sourceBytes bytes; head holds the bytes of the entries
// MP3CutHead names, each found where the index says (the caller checks), and
// sourceInfo is what the source's describing frame says (kind None when it
// has none). A last frame cut off by the end of the file is left out. False,
// and layout empty, when no frame is to be written (i >= j, or none whole).
// Where the delay or padding to state would not fit in the LAME extension,
// the cut plays its frames' samples whole.
bool MP3LayOutCut(const FrameEntry* frames, int32_t i, int32_t j, const SampleRange& played, int64_t sourceBytes,
                  const SourceBytes& head, const InfoFrameFacts& sourceInfo, CutLayout& layout);

// The frame of the given length at frame as the cut writes a copied frame
// marked silent: a copy made silent with the given main_data_begin
// (MP3MakeSilent).
std::vector<uint8_t> MP3SilentCopy(const uint8_t* frame, int32_t length, int32_t mainDataBegin);

// Gives the source's bytes [from, to), at most kReadChunkBytes of them,
// valid until its next call; null when they cannot be read.
using CutSourceReader = std::function<const uint8_t*(int64_t from, int64_t to)>;
// Takes the next bytes of the cut; false to stop.
using CutWriter = std::function<bool(const uint8_t* bytes, size_t count)>;

enum class CutEmitted {
    Done,
    ReadFailed,   // the source could not be read
    WriteFailed,  // write returned false
    Changed,      // a copied frame no longer stands where the index says
};

// Hands write the bytes of the layout's frames, in order: the Xing/Info
// frame (if any, with the music CRC still unknown), the priming frames, then
// the copied frames as read, runs of frames adjacent in the source in one
// call, those the main data stream does not reach (reservoir.h) as silence.
// Each copied frame must begin with the header the index has for it. Sets
// the layout's music CRC and digest and makes its Xing/Info frame final:
// the caller writes it again in place.
CutEmitted MP3EmitCut(CutLayout& layout, const FrameEntry* frames, const CutSourceReader& read,
                      const CutWriter& write);
