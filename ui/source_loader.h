// Opening and loading the source file: the open-file dialog of command 2037
// "打开文件", and the load of the file named by g_state.szSourcePath into the
// state record (its frame index, its tag texts, its audio stream, its
// duration and the selection).
#pragma once

#include <windows.h>

#include <string>

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

// Shows the open-file dialog over hMainDlg, pre-filled with the open
// source's path (and starting in its folder); the chosen file is shown as
// ShowSourceFile shows it. Cancelling changes nothing and playback goes on.
// Logs "Button: OPEN FILE"; uses szScratch.
void OpenSourceFile(HWND hMainDlg);

// Sets szSourcePath from path (with its UTF-16 original where code page 936
// cannot hold it) and szFileTitle from name, its part after the folder;
// nothing is loaded.
void SetSourceFile(const std::u16string& path, const std::u16string& name);

// Makes path (named name) the source: SetSourceFile (an empty name changes
// nothing else); then playback stops (as the Stop command does, which
// unchecks 2045), the file is loaded, 2038 and 2039 show its name and path
// as the load left them (both empty when it could not be opened), the
// cursor goes to 0 s with the selection shown, and the whole window
// repaints.
void ShowSourceFile(HWND hMainDlg, const std::u16string& path, const std::u16string& name);
