#include "slider.h"

#include "app_state.h"
#include "bass.h"
#include "cutter.h"
#include "level_overview.h"
#include "playback.h"
#include "resource.h"
#include "slider_mapping.h"
#include "sound_level.h"
#include "time_editors.h"
#include "work_progress.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kPageUnits = 5;
constexpr int kTicStepUnits = 250;
constexpr int kCaptionFontHeight = 16;
const COLORREF kChannelColour = RGB(200, 200, 255);
const COLORREF kSelectionColour = RGB(0, 0, 255);
const COLORREF kCaptionColour = RGB(255, 255, 255);
// The level overview: darker than the channel outside the selection, lighter
// than the selection inside it; full scale fills the channel, kOverviewFloorDb
// and below leave it empty.
const COLORREF kOverviewColour = RGB(140, 140, 200);
const COLORREF kSelectedOverviewColour = RGB(90, 140, 255);
constexpr double kOverviewFloorDb = -60;

// The overview's levels, one a pixel column of the thumb's travel, made from
// the source's frame levels (OverviewLevels) again when they or the travel
// change, or when more of them are known.
struct LevelOverview {
    std::vector<uint8_t> columns;
    const uint8_t* levels = nullptr;
    size_t count = 0;
    bool stale = true;
};
LevelOverview g_overview;

const std::vector<uint8_t>& OverviewColumns(int travelPx)
{
    const std::vector<uint8_t>& levels = OverviewLevels();
    LevelOverview& o = g_overview;
    if (o.stale || o.levels != levels.data() || o.count != levels.size() || int(o.columns.size()) != travelPx) {
        o.columns = ColumnLevels(levels, std::max(0, travelPx));
        o.levels = levels.data();
        o.count = levels.size();
        o.stale = false;
    }
    return o.columns;
}

// The overview over the channel rc: a column of each level's height from the
// bottom, where the thumb's travel maps the file (as SelectionRect does).
void PaintLevelOverview(HDC hdc, const RECT& rc, const RECT& selection)
{
    const int origin = rc.left + g_state.nThumbMargin;
    const std::vector<uint8_t>& columns = OverviewColumns(rc.right - rc.left - 2 * g_state.nThumbMargin);
    if (columns.empty() || g_state.fDuration == 0) return;
    HBRUSH brush = CreateSolidBrush(kOverviewColour);
    HBRUSH selectedBrush = CreateSolidBrush(kSelectedOverviewColour);
    const int heightPx = rc.bottom - rc.top - 2;
    for (size_t c = 0; c < columns.size(); ++c) {
        if (columns[c] == kLevelSilent) continue;
        const double share = 1 - LevelDb(columns[c]) / kOverviewFloorDb;
        const int barPx = static_cast<int>(std::clamp(share, 0.0, 1.0) * heightPx + 0.5);
        const int x = origin + static_cast<int>(c);
        const RECT bar = {x, rc.bottom - 1 - barPx, x + 1, rc.bottom - 1};
        FillRect(hdc, &bar, x >= selection.left && x < selection.right ? selectedBrush : brush);
    }
    DeleteObject(brush);
    DeleteObject(selectedBrush);
}

void RepaintSlider()
{
    InvalidateRect(g_state.hSlider, nullptr, FALSE);
}

// The trackbar's own procedure, kept in the slider's user data.
WNDPROC PreviousProc(HWND hSlider)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hSlider, GWLP_USERDATA));
}

// A press of the left button, or a move with it held and nothing else,
// seeks to the time under the pointer; the trackbar then handles the
// message as usual. The overview's decode ends with the slider.
LRESULT CALLBACK SliderProc(HWND hSlider, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) StopLevelOverview();
    if (msg == WM_LBUTTONDOWN || (msg == WM_MOUSEMOVE && wParam == MK_LBUTTON)) {
        SetPosition(PositionAtPixel(LOWORD(lParam), g_state.rcChannel, g_state.nThumbMargin, g_state.fDuration));
        SeekToPosition();
    }
    WNDPROC previous = PreviousProc(hSlider);
    return previous ? CallWindowProcA(previous, hSlider, msg, wParam, lParam)
                    : DefWindowProcA(hSlider, msg, wParam, lParam);
}

// The channel in the channel colour, the selection in blue, the level
// overview over both, and the caption in white over all.
void PaintChannel(const NMCUSTOMDRAW& draw)
{
    HBRUSH channelBrush = CreateSolidBrush(kChannelColour);
    HBRUSH selectionBrush = CreateSolidBrush(kSelectionColour);
    // While long work goes on, the frame index may be in the making: the
    // caption is its progress, or as it was drawn last.
    static std::string s_lastCaption;
    if (const char* work = WorkCaption()) {
        lstrcpynA(g_state.szScratch, work, static_cast<int>(kTextBufferBytes));
    } else if (WorkUnderWay()) {
        lstrcpynA(g_state.szScratch, s_lastCaption.c_str(), static_cast<int>(kTextBufferBytes));
    } else {
        FormatSliderCaption(g_state.fStart, g_state.fEnd, g_state.fDuration, MP3SelectionSize(), g_state.szCaption,
                            sizeof g_state.szCaption, g_state.szScratch, kTextBufferBytes);
        s_lastCaption = g_state.szScratch;
    }
    FillRect(draw.hdc, &g_state.rcChannel, channelBrush);
    const RECT selection =
        SelectionRect(draw.rc, g_state.nThumbMargin, g_state.fStart, g_state.fEnd, g_state.fDuration);
    FillRect(draw.hdc, &selection, selectionBrush);
    PaintLevelOverview(draw.hdc, draw.rc, selection);
    SetTextColor(draw.hdc, kCaptionColour);
    SetBkMode(draw.hdc, TRANSPARENT);
    HGDIOBJ previousFont = SelectObject(draw.hdc, g_state.hSliderFont);
    RECT text = g_state.rcChannel;
    text.top += 1;
    DrawTextExA(draw.hdc, g_state.szScratch, -1, &text, DT_CENTER | DT_VCENTER, nullptr);
    SelectObject(draw.hdc, previousFont);
    DeleteObject(channelBrush);
    DeleteObject(selectionBrush);
}

}  // namespace

void SetUpSlider(HWND hMainDlg)
{
    g_state.hSlider = GetDlgItem(hMainDlg, IDC_SLIDER);
    HWND hSlider = g_state.hSlider;
    SendMessageA(hSlider, TBM_SETRANGE, FALSE, MAKELPARAM(0, kSliderUnits));
    SendMessageA(hSlider, TBM_SETPAGESIZE, 0, kPageUnits);
    SendMessageA(hSlider, TBM_SETSEL, FALSE, MAKELPARAM(0, kSliderUnits));
    SetPosition(0);
    for (int tic = kTicStepUnits; tic < kSliderUnits; tic += kTicStepUnits) SendMessageA(hSlider, TBM_SETTIC, 0, tic);
    const int tic250Px = static_cast<int>(SendMessageA(hSlider, TBM_GETTICPOS, 0, 0));
    const int tic500Px = static_cast<int>(SendMessageA(hSlider, TBM_GETTICPOS, 1, 0));
    g_state.nThumbMargin = ThumbMarginOf(tic250Px, tic500Px);
    g_state.hSliderFont = CreateFontA(kCaptionFontHeight, 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                      "MS Shell Dlg");
    SendMessageA(hSlider, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&g_state.rcChannel));
    SyncSelectionUI();
    // The trackbar's procedure is kept before SliderProc can be called.
    SetWindowLongPtrA(hSlider, GWLP_USERDATA, GetWindowLongPtrA(hSlider, GWLP_WNDPROC));
    SetWindowLongPtrA(hSlider, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SliderProc));
}

LRESULT OnSliderCustomDraw(HWND, NMCUSTOMDRAW* draw)
{
    switch (draw->dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_POSTPAINT:
        return CDRF_SKIPDEFAULT;
    case CDDS_PREERASE:
    case CDDS_POSTERASE:
        return CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT:
        return draw->dwItemSpec == TBCD_CHANNEL ? CDRF_NOTIFYPOSTPAINT : 0;
    case CDDS_ITEMPOSTPAINT:
        if (draw->dwItemSpec != TBCD_CHANNEL) return 0;
        PaintChannel(*draw);
        return CDRF_SKIPDEFAULT;
    default:
        return 0;
    }
}

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
    ForgetPlayRange();
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

void RefreshLevelOverview()
{
    g_overview.stale = true;
}
