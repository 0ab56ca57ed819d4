// Preview playback: the audio output of the main window, the play, stop
// and play-selection commands, and the 50 ms position timer that moves the
// cursor with the playback and stops selection playback at its end.
#pragma once

#include <windows.h>

// Opens the audio output for the main window. Returns false when it cannot
// be opened; the error box has then been shown and the dialog ended, and
// the window's initialisation stops.
bool StartAudioOutput(HWND hMainDlg);

// Starts the position timer (IDT_POSITION, 50 ms, arriving as WM_TIMER).
void StartPositionTimer(HWND hMainDlg);

// WM_TIMER: follows the playing stream with the cursor.
void OnPositionTimer(HWND hMainDlg);

// Commands: play from where the stream stands (2010), stop (2012), play the
// selection (2028) and the play-selection check box (2045).
void PlaySource(HWND hMainDlg);
void StopPlayback(HWND hMainDlg);
void PlaySelection(HWND hMainDlg);
void TogglePlaySelection(HWND hMainDlg);
