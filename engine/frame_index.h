// The frame index of the source: nFrames, pFrames and nSourceBytes of
// g_state. The load builds it (MP3GetFrames); the cut builds it again when
// the source has changed since.
#pragma once

#include "source_file.h"

#include <cstdint>

// Replaces the index of g_state by a new, uninitialised array of the given
// number of entries and releases the previous one; nSourceBytes becomes 0
// until the caller has filled it. With 0 entries, or when the array cannot
// be allocated, the index is left empty (nFrames 0, pFrames null); either
// way feInfoFrame becomes none. Returns
// whether the index now has room for count entries.
bool ReplaceFrameIndex(int32_t count);

// Reads the whole of an open source into bytes, in chunks, each scanned for
// frames as it arrives, and makes the frames found the index of g_state: its
// audio frames in pFrames, and apart from them, in feInfoFrame, a first frame
// that holds an encoder's Xing, Info or VBRI header. With
// log, writes "帧数: %d" once the frames are found and again once they are
// stored. False (and the index empty) when the file cannot be read or the
// index not held in memory.
bool ReadAndIndexSource(SourceFile& file, SourceBytes& bytes, bool log);

// Builds the frame index of szSourcePath into nFrames, pFrames and
// nSourceBytes of g_state, with its log lines. The file is opened for reading only. When it cannot be
// read (missing, unreadable, 2 GiB or more) the index is left empty, never
// describing a previous file.
void MP3GetFrames();
