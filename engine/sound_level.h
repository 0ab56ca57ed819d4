// The loudness of a source along its frames, from each frame's side
// information alone (no decoding): the level overview of the slider and the
// silences of the command line.
//
// A level is one byte a frame: 0 when the first granule of the frame codes
// no audio bits (that granule decodes to silence), else the estimated RMS of the
// louder channel of that granule in half decibels, kLevelZeroDb standing for
// full scale. The second granule of an MPEG 1 frame is left out: reading it
// would double what the levels add to the frame scan, and a pixel column or a
// second spans many frames. The estimate takes the quantizer step of
// global_gain and the largest quantized value the chosen Huffman tables can
// code; fitted to the decoded RMS of lame encodings, it is off by about 10 dB
// for a single granule, and much less over many frames.
#pragma once

#include "frame_index.h"

#include <cstdint>
#include <utility>
#include <vector>

constexpr uint8_t kLevelSilent = 0;
constexpr int32_t kLevelZeroDb = 192;
constexpr int32_t kLevelStepsPerDb = 2;

// The level of the frame of the given length (the bytes held of it) whose
// first four bytes are an accepted header; kLevelSilent when it is too short
// to hold its side information.
uint8_t MP3FrameLevel(const uint8_t* frame, int32_t length);

// The decibels a level stands for (relative to full scale); about -96 dB or
// below for kLevelSilent.
double LevelDb(uint8_t level);

// The level of sound of the given mean power per sample relative to full
// scale (1 for a square wave at full scale); kLevelSilent for none.
uint8_t LevelOfPower(double power);

// The levels of frames [first, end) of levels taken together (their mean
// power), as a level; kLevelSilent when all are silent or the span is empty.
uint8_t SpanLevel(const std::vector<uint8_t>& levels, int64_t first, int64_t end);

// One level for each of columns equal spans of the frames: span c holds
// frames [c n / columns, (c + 1) n / columns), at least one when there are
// frames. Empty with no frames or no columns.
std::vector<uint8_t> ColumnLevels(const std::vector<uint8_t>& levels, int32_t columns);

// A run of quiet frames: [first, end).
struct SilentSpan {
    int32_t first;
    int32_t end;
};

// The runs of at least minFrames frames (1 or more) each below thresholdDb
// (silent frames always count), in file order.
std::vector<SilentSpan> FindSilences(const std::vector<uint8_t>& levels, double thresholdDb, int32_t minFrames);

// The selections, in samples counted from the first one the source plays
// (CutJob's exact range), that cut the source of index into its parts at the
// middle of each silence that lies inside it (not touching its first or last
// frame): part k ends where the frame after the middle of silence k begins,
// and part k + 1 starts there, so that the parts follow each other without a
// frame taken twice or left out. One selection of the whole source when there
// is no such silence.
std::vector<std::pair<int64_t, int64_t>> SplitAtSilences(const std::vector<SilentSpan>& silences,
                                                         const FrameIndex& index);
