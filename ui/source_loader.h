// Loading the source file named by g_state.szSourcePath into the state
// record: its frame index, its tag texts, its audio stream, its duration and
// the selection.
#pragma once

#include <windows.h>

// Loads szSourcePath: builds its frame index, reads its tag texts (a missing
// one reads "-"), opens it as a stream in place of the previous source's
// (which is released), takes its duration, selects the whole file and gives
// the time editors its range. fPosition stays; the caller moves it.
// A file that cannot be opened for reading (missing, locked, empty path) is
// no source: szSourcePath and szFileTitle become empty, the previous stream
// is released, hChannel, fDuration, fStart and fEnd become 0, the tag texts
// none and the frame index empty; fPosition and the time editors' ranges
// stay. No message is shown. Nothing the engine or the audio library
// reports during a load is tested: a file the library cannot play gives a
// duration of 0.
void LoadSource(HWND hMainDlg);
