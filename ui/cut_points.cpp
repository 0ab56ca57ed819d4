#include "cut_points.h"

#include "app_state.h"
#include "frame_index.h"
#include "playback.h"
#include "slider.h"
#include "slider_mapping.h"

#include <algorithm>

namespace {

void ShowSelection()
{
    SyncSelectionUI();
    InvalidateRect(g_state.hSlider, nullptr, FALSE);
}

}  // namespace

float FrameSeconds()
{
    const SourceTimeline& timeline = StateIndex().timeline;
    return timeline.nRate > 0 ? static_cast<float>(timeline.nSamplesPerFrame) / timeline.nRate : 0;
}

void NudgeStart(float seconds)
{
    if (g_state.fDuration == 0) return;
    g_state.fStart = std::clamp(g_state.fStart + seconds, 0.0f, std::max(0.0f, g_state.fEnd));
    ShowSelection();
}

void NudgeEnd(float seconds)
{
    if (g_state.fDuration == 0) return;
    g_state.fEnd = std::clamp(g_state.fEnd + seconds, std::min(g_state.fStart, g_state.fDuration), g_state.fDuration);
    ShowSelection();
}

void SetStartAt(float t)
{
    MoveSelectionStart(t, g_state.fDuration, g_state.fStart, g_state.fEnd);
    ShowSelection();
}

void SetEndAt(float t)
{
    MoveSelectionEnd(t, g_state.fStart, g_state.fEnd);
    ShowSelection();
}

void PreviewStart(HWND hMainDlg)
{
    PlayRange(hMainDlg, g_state.fStart, std::min(g_state.fStart + kPreviewSeconds, g_state.fEnd));
}

void PreviewEnd(HWND hMainDlg)
{
    PlayRange(hMainDlg, std::max(g_state.fEnd - kPreviewSeconds, g_state.fStart), g_state.fEnd);
}
