// Loading the source file named by g_state.szSourcePath into the state
// record: its frame index, its tag texts, its audio stream, its duration and
// the selection.
#pragma once

#include <windows.h>

// Loads szSourcePath. A file that cannot be opened for reading (missing,
// locked, empty path) is no source: szSourcePath and szFileTitle become
// empty, hChannel, fDuration, fStart and fEnd become 0 and the tag texts
// none; fPosition and the time editors' ranges stay. No message is shown.
void LoadSource(HWND hMainDlg);
