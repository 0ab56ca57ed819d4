// Preview playback: the audio output of the main window, the play, stop
// and play-selection commands, and the 50 ms position timer that moves the
// cursor with the playback and stops selection playback at its end.
#pragma once

#include <windows.h>

// Opens the audio output for the main window (the default device). Returns
// false when it cannot be opened; the error box "不能初始化设备" with the
// library's error code has then been shown and the dialog ended, and the
// window's initialisation stops.
bool StartAudioOutput(HWND hMainDlg);

// Starts the position timer (IDT_POSITION, 50 ms, arriving as WM_TIMER).
void StartPositionTimer(HWND hMainDlg);

// WM_TIMER: while the stream plays, the cursor follows it; selection
// playback that has reached fEnd stops there, with 2045 unchecked and the
// cursor exactly at fEnd, and a range of PlayRange at its end likewise, also
// where the stream played out by itself between two ticks. Does nothing else
// while the stream does not play.
void OnPositionTimer(HWND hMainDlg);

// Commands: play from where the stream stands (2010; ends selection
// playback's flag, leaves 2045 alone), stop (2012; unchecks 2045, leaves the
// flag), play the selection from fStart (2028) and the play-selection check
// box (2045: stops selection playback while its flag is set, else plays the
// selection). Each of them forgets a range of PlayRange.
void PlaySource(HWND hMainDlg);
void StopPlayback(HWND hMainDlg);
void PlaySelection(HWND hMainDlg);
void TogglePlaySelection(HWND hMainDlg);

// Plays from `from` and stops by itself at `to`, as selection playback stops
// at fEnd, but not before to - from seconds have passed (selection playback
// that runs ends first; 2045 stays unchecked).
void PlayRange(HWND hMainDlg, float from, float to);

// A seek of the user's ends a range of PlayRange: playback goes on from
// where the user went, as ordinary playback does.
void ForgetPlayRange();
