#include "playback.h"

// TODO: BASS_Init(-1, 44100, 0, hMainDlg, nullptr); on failure
// ShowAudioError("不能初始化设备"), EndDialog(hMainDlg, 0) and return false.
bool StartAudioOutput(HWND)
{
    return true;
}

// TODO: SetTimer(hMainDlg, IDT_POSITION, 50, nullptr).
void StartPositionTimer(HWND) {}

// TODO: while the stream plays, SetPosition to its position; stop selection
// playback once the position reaches fEnd.
void OnPositionTimer(HWND) {}

// TODO: the playback commands and the selection playback state.
void PlaySource(HWND) {}
void StopPlayback(HWND) {}
void PlaySelection(HWND) {}
void TogglePlaySelection(HWND) {}
