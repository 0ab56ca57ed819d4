// The frame index of a file: where its audio frames lie. The window's source
// has one, mirrored in nFrames, pFrames, feInfoFrame and nSourceBytes of
// g_state: the load builds it (MP3GetFrames); the cut builds it again when
// the source has changed since.
#pragma once

#include "frame_entry.h"
#include "info_frame.h"
#include "source_file.h"

#include <cstdint>
#include <functional>
#include <vector>

// The source's samples as a gapless decoder plays them: its decoded samples
// nFirstSample to nEndSample - 1 (an encoder's delay and padding, where its
// LAME header states them, left out; else all of them), nRate a second.
struct SourceTimeline {
    int32_t nRate = 0;             // of the first frame; 0 without frames
    int32_t nSamplesPerFrame = 0;  // of the first frame
    int64_t nFirstSample = 0;
    int64_t nEndSample = 0;
};

struct FrameIndex {
    std::vector<FrameEntry> frames;  // the audio frames, in file order
    FrameEntry info = {0, 0, {}};        // the Xing/Info/VBRI frame, not audio; nLength 0 = none
    int64_t nBytes = 0;              // size of the file it was built from; 0 = none
    SourceTimeline timeline;         // what a gapless decoder plays of the frames
    std::vector<uint8_t> levels;     // the level of each frame (sound_level.h), or none
};

// The timeline of the frames of an index whose describing frame says info.
SourceTimeline MP3TimelineOf(const std::vector<FrameEntry>& frames, const InfoFrameFacts& info);

// Reads the whole of an open file in chunks, each scanned for frames as it
// arrives (holding a chunk and the file's last FrameScanner::kTailBytes at
// most), and makes the frames found index: the audio frames,
// and apart from them a first frame that holds an encoder's Xing, Info or
// VBRI header. *counted is the number of audio frames found, -1 when the
// file could not be read. False (index empty) when the file cannot be read
// or the index not held in memory. progress hears of each chunk read. With
// levels, the index has the level of each frame from its side information
// (sound_level.h), which makes the scan a little slower; else none.
bool MP3IndexFile(SourceFile& file, FrameIndex& index, int32_t* counted, const WorkProgress& progress = nullptr,
                  bool levels = false);

// The window's index, which g_state mirrors.
FrameIndex& StateIndex();
// Makes g_state mirror StateIndex() again after it changed.
void MirrorStateIndex();

// Replaces the window's index by count uninitialised entries; nSourceBytes
// becomes 0 until the caller has filled it. With 0 entries, or when they
// cannot be allocated, the index is left empty (nFrames 0, pFrames null);
// either way feInfoFrame becomes none. Returns whether the index now has
// room for count entries.
bool ReplaceFrameIndex(int32_t count);

// MP3IndexFile into the window's index. With log, writes "帧数: %d" once the
// frames are found and again once they are stored.
bool ReadAndIndexSource(SourceFile& file, bool log);

// Builds the frame index of szSourcePath into nFrames, pFrames and
// nSourceBytes of g_state, with its log lines. The file is opened for reading only. When it cannot be
// read (missing, unreadable, 64 GiB or more) the index is left empty, never
// describing a previous file.
void MP3GetFrames();
