#include "playback.h"

#include "app_state.h"
#include "bass.h"
#include "engine_ui.h"
#include "resource.h"
#include "slider.h"

namespace {

constexpr int kDefaultDevice = -1;
constexpr DWORD kOutputRateHz = 44100;
constexpr UINT kPositionTimerMs = 50;

// A range that plays by itself (PlayRange): its end (negative: none) and
// when it started. The device may count what it holds but has not played
// yet (under Wine about 0.1 s), so the range stops once the stream has
// reached its end and its length has passed since it started, whichever
// comes later.
float g_rangeEnd = -1;
float g_rangeSeconds = 0;
ULONGLONG g_rangeStartMs = 0;

bool RangeOver(float t)
{
    return g_rangeEnd >= 0 && !(t < g_rangeEnd) && !((GetTickCount64() - g_rangeStartMs) / 1000.0 < g_rangeSeconds);
}

void ShowPlaySelectionBox(HWND hMainDlg, bool checked)
{
    CheckDlgButton(hMainDlg, IDC_CHECK_PLAY_SELECTION, checked ? BST_CHECKED : BST_UNCHECKED);
}

// Selection playback is over: the flag and the box are cleared and the
// stream stops.
void EndSelectionPlayback(HWND hMainDlg)
{
    g_state.bPlaySelection = 0;
    ShowPlaySelectionBox(hMainDlg, false);
    BASS_ChannelStop(g_state.hChannel);
}

}  // namespace

bool StartAudioOutput(HWND hMainDlg)
{
    if (BASS_Init(kDefaultDevice, kOutputRateHz, 0, hMainDlg, nullptr)) return true;
    CurrentEngineUi().ShowAudioError("不能初始化设备");
    EndDialog(hMainDlg, 0);
    return false;
}

void StartPositionTimer(HWND hMainDlg)
{
    SetTimer(hMainDlg, IDT_POSITION, kPositionTimerMs, nullptr);
}

void OnPositionTimer(HWND hMainDlg)
{
    if (BASS_ChannelIsActive(g_state.hChannel) != BASS_ACTIVE_PLAYING) {
        // A stream that played out by itself before a tick saw it reach an
        // end (the selection's end at the file's end, a damaged file that
        // ends early) ends selection playback and a range all the same.
        const bool selection = g_state.bPlaySelection != 0 &&
                               IsDlgButtonChecked(hMainDlg, IDC_CHECK_PLAY_SELECTION) == BST_CHECKED;
        const bool playedOut = g_state.hChannel != 0 && (selection || g_rangeEnd >= 0) &&
                               BASS_ChannelGetPosition(g_state.hChannel) >= BASS_ChannelGetLength(g_state.hChannel);
        if (playedOut && selection) {
            EndSelectionPlayback(hMainDlg);
            SetPosition(g_state.fEnd);
        } else if (playedOut) {
            SetPosition(g_rangeEnd);
            g_rangeEnd = -1;
        }
        return;
    }
    g_state.qwLength = BASS_ChannelGetPosition(g_state.hChannel);
    const float t = BASS_ChannelBytes2Seconds(g_state.hChannel, g_state.qwLength);
    if (g_state.bPlaySelection != 0 && !(t < g_state.fEnd)) {
        EndSelectionPlayback(hMainDlg);
        SetPosition(g_state.fEnd);
    } else if (RangeOver(t)) {
        BASS_ChannelStop(g_state.hChannel);
        SetPosition(g_rangeEnd);
        g_rangeEnd = -1;
    } else {
        SetPosition(t);
    }
}

void PlaySource(HWND)
{
    g_state.bPlaySelection = 0;
    g_rangeEnd = -1;
    BASS_ChannelPlay(g_state.hChannel, FALSE);
}

void StopPlayback(HWND hMainDlg)
{
    g_rangeEnd = -1;
    ShowPlaySelectionBox(hMainDlg, false);
    BASS_ChannelStop(g_state.hChannel);
}

void PlaySelection(HWND hMainDlg)
{
    g_state.bPlaySelection = 1;
    g_rangeEnd = -1;
    ShowPlaySelectionBox(hMainDlg, true);
    SetPosition(g_state.fStart);
    SeekToPosition();
    BASS_ChannelPlay(g_state.hChannel, FALSE);
}

void TogglePlaySelection(HWND hMainDlg)
{
    if (g_state.bPlaySelection != 0) {
        EndSelectionPlayback(hMainDlg);
    } else {
        PlaySelection(hMainDlg);
    }
}

void PlayRange(HWND hMainDlg, float from, float to)
{
    if (g_state.bPlaySelection != 0) EndSelectionPlayback(hMainDlg);
    SetPosition(from);
    SeekToPosition();
    g_rangeEnd = to;
    g_rangeSeconds = to - from;
    g_rangeStartMs = GetTickCount64();
    BASS_ChannelPlay(g_state.hChannel, FALSE);
}

void ForgetPlayRange()
{
    g_rangeEnd = -1;
}
