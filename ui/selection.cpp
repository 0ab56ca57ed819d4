#include "selection.h"

#include "app_state.h"
#include "bass.h"
#include "resource.h"
#include "selection_rules.h"
#include "slider_mapping.h"
#include "time_editors.h"

#include <commctrl.h>

namespace {

void RepaintSlider()
{
    InvalidateRect(g_state.hSlider, nullptr, FALSE);
}

}  // namespace

void SetPosition(float t)
{
    g_state.fPosition = t;
    SendMessageA(g_state.hSlider, TBM_SETPOS, TRUE, SliderUnitOf(g_state.fPosition, g_state.fDuration));
    ShowTimeInEditor(g_state.hMainDlg, IDC_TIME_POSITION, g_state.fPosition);
}

void SyncSelectionUI()
{
    ClampSelection(g_state.fDuration, g_state.fStart, g_state.fEnd);
    SendMessageA(g_state.hSlider, TBM_SETPOS, FALSE, SliderUnitOf(g_state.fPosition, g_state.fDuration));
    // Each end cut to 16 bits, as the message carries them.
    const WORD startUnit = static_cast<WORD>(SliderUnitOf(g_state.fStart, g_state.fDuration));
    const WORD endUnit = static_cast<WORD>(SliderUnitOf(g_state.fEnd, g_state.fDuration));
    SendMessageA(g_state.hSlider, TBM_SETSEL, TRUE, MAKELPARAM(startUnit, endUnit));
    ShowTimeInEditor(g_state.hMainDlg, IDC_TIME_START, g_state.fStart);
    ShowTimeInEditor(g_state.hMainDlg, IDC_TIME_END, g_state.fEnd);
}

void SeekToPosition()
{
    const QWORD lengthBytes = BASS_ChannelGetLength(g_state.hChannel);
    BASS_ChannelSetPosition(g_state.hChannel, SeekByteOf(lengthBytes, g_state.fPosition, g_state.fDuration));
}

void SetStartAtPosition(HWND)
{
    MoveSelectionStart(g_state.fPosition, g_state.fDuration, g_state.fStart, g_state.fEnd);
    SyncSelectionUI();
    RepaintSlider();
}

void SetEndAtPosition(HWND)
{
    MoveSelectionEnd(g_state.fPosition, g_state.fStart, g_state.fEnd);
    SyncSelectionUI();
    RepaintSlider();
}

void ClearSelection(HWND)
{
    g_state.fStart = 0;
    g_state.fEnd = g_state.fDuration;
    SyncSelectionUI();
    RepaintSlider();
}
