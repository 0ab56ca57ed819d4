// The segment cutter: the selection mapped to frames of the index, the size
// of those frames, and the cut that copies them byte for byte into a new
// file that carries the source's tag texts.
#pragma once

#include <cstdint>

// The frames a selection takes: index entries i to j - 1 (none when i >= j).
struct FrameSpan {
    int32_t i;
    int32_t j;
};

// Maps a selection to frames by proportion: i = trunc(n * fStart / fDuration
// - 1), j = trunc(n * fEnd / fDuration), in double precision, products first;
// then i is raised to 0 and j lowered to n - 1, so the last entry of the index
// is never taken. A duration that is not positive, and times that are not
// numbers, count as 0: with n >= 1 the result is i = 0, j = 0 (no frame).
FrameSpan MP3MapSelection(int32_t nFrames, float fStart, float fEnd, float fDuration);

// The size in kilobytes (bytes / 1024) of the frames the current selection
// of g_state takes; 0 with no source.
double MP3SelectionSize();

// Cuts the selection of g_state out of szSourcePath into a new file, with
// its log lines, its questions and error boxes (through the installed
// EngineUi) and the tag texts. Never overwrites a file; reads the source
// again and indexes the bytes it read, so a source changed since it was
// loaded is cut as it is now. A write error removes the incomplete file and
// is reported; success ends with the question whether to open another file.
void MP3Split();
