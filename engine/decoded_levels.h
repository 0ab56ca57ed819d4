// The levels of a source's frames from its decoded sound: the overview of
// the slider. Where the side information only estimates a frame's level
// (sound_level.h, off by about 10 dB a frame), these are what a listener
// hears, in the same unit; they cost a decode of the whole file (about 3 s
// an hour of sound here), so the window has them made on a thread of its
// own once a load has ended.
#pragma once

#include "frame_index.h"
#include "os.h"

#include <cstdint>
#include <functional>

// The frames whose levels DecodeFrameLevels hands over at a time (but for
// the last of them).
constexpr int64_t kDecodedLevelBlock = 256;

// Decodes the file at path, whose frame index holds frames audio frames of
// samplesPerFrame samples, and gives each frame's level: the RMS of the
// decoded samples it holds, all channels together. On the source's timeline
// (frame_index.h) frame k holds samples [k s - nFirstSample, (k + 1) s -
// nFirstSample), s samples a frame: in the decoder's pass through all of
// them (Mp3Decoder, DecoderOpenMode::Pass), delays and padding kept,
// samples [k s, (k + 1) s), wherever the encoder or the decoder of the
// playback put the start. A frame that holds only zeros, or none (beyond
// where a damaged file's decode ends), is kLevelSilent. take(first, levels,
// count) hears of frames [first, first + count), in order,
// kDecodedLevelBlock at a time; when it returns false the decode stops.
// Returns whether every frame was given: false when the file does not
// decode or take stopped it.
bool DecodeFrameLevels(const OsPath& path, int32_t samplesPerFrame, int64_t frames,
                       const std::function<bool(int64_t first, const uint8_t* levels, int64_t count)>& take);
