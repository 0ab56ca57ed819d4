// The bit reservoir at the start of a cut. Each copied frame's audio data
// begins main_data_begin bytes before its own main data area, in the areas
// of the frames before it; the first frames of a cut would point into frames
// that were not copied, and decode to a click or a burst of silence. The cut
// therefore starts with priming frames that give every copied frame exactly
// the bytes it points to, and, where that fits, the sound of the frame before
// the selection, so that the first selected frame also finds the transform
// overlap it continues. A gapless decoder drops the priming frames' samples
// (the cut's encoder delay says how many).
//
// The main data stream runs on across frames that follow each other directly
// in the source; across anything else (junk, a lost sync) it breaks, as it
// does for a decoder, which plays a frame that points back across the break
// as silence. The cut writes such frames as frames of silence (the same
// length and main data area, no audio data: MP3MakeSilent), so that no
// decoder takes other bytes for their audio.
#pragma once

#include "frame_entry.h"
#include "source_file.h"

#include <cstdint>
#include <vector>

struct Priming {
    // Frames made for the cut, written before the copied ones.
    std::vector<std::vector<uint8_t>> frames;
    // The first index entry copied: the first selected one, or the one before it.
    int32_t nFirstCopied = 0;
    // Copied entries, in order, written as frames of silence: their audio
    // data was never there (it lay before the start or across a break).
    std::vector<int32_t> silenced;
    // The selected frames decode exactly as in the source, from their first
    // sample on.
    bool bExact = false;

    // Frames of the cut ahead of the first selected one.
    int32_t Lead(int32_t firstSelected) const
    {
        return static_cast<int32_t>(frames.size()) + firstSelected - nFirstCopied;
    }
};

// Plans the start of a cut of index entries i to j - 1 (i < j) whose bytes are
// held in source. A frame rebuilt to need no earlier byte (its main data area
// ending with the bytes the frames after it point to) decodes its last
// granule as in the source and hands on the overlap of its transform; so does
// the first frame copied after a frame of silence that carries those bytes.
// A whole granule after that decodes as in the source and gives the filter
// bank the memory it has there (under 512 samples): from then on the frames
// decode exactly as in the source. Tried in turn, with two granules a frame
// (MPEG 1) and with one (MPEG 2 and 2.5):
//  - nothing, for a cut from the first frame when leadIn is false;
//  - MPEG 1: the frame before the selection rebuilt whole; the frame of
//    silence, then the frame before the selection; the frame before rebuilt
//    with its granule 0 reduced to its scale factors;
//  - MPEG 2: the frame before the selection after the one before it rebuilt;
//    the frame of silence, then the two frames before the selection; the
//    frame before rebuilt; the frame of silence, then the frame before;
//  - the frame of silence before the selection (none when it cannot be made).
// bExact tells whether the selected frames decode exactly as in the source
// (always from the file's first frame); otherwise they differ as far as the
// overlap and the filter bank remember. Made frames have the header of the
// frame they stand for, no CRC, and the lowest bitrate not below that frame's
// that holds what they carry. Frame i must be held.
Priming MP3PrimeCut(const FrameEntry* frames, int32_t i, int32_t j, const SourceBytes& source, bool leadIn);

// Bytes of the main data stream before entry k, as far as it runs on to it,
// up to the most a main_data_begin of its version can point back.
int32_t MP3StreamAvailable(const FrameEntry* frames, int32_t k, const SourceBytes& source);

// The frames of a cut from entry first on, taken in order after available
// bytes of the stream before entry first: which of them point back further
// than their stream reaches (those the cut silences), and how far the first
// of them reach back into the bytes before entry first.
class ReservoirWalk {
public:
    ReservoirWalk(int32_t first, int64_t available) : first_(first), runs_(available) {}
    // Takes entry k, the one after those taken (the first: entry first);
    // bytes are its bytes when they hold its side information, else null
    // (the stream breaks there). True when it points back further than its
    // stream reaches.
    bool Take(const FrameEntry* frames, int32_t k, const uint8_t* bytes);
    // The most any frame taken points back before entry first.
    int32_t Reach() const { return reach_; }

private:
    int32_t first_;
    int64_t runs_;           // bytes of the stream before the next entry that it runs on from
    int64_t distance_ = 0;   // main data bytes of the frames taken
    uint8_t previous_[4] = {};  // header of the entry taken last
    bool bPrevious_ = false;    // it held its side information
    int32_t reach_ = 0;
};
