#include "shortcuts.h"

#include "app_state.h"
#include "bass.h"
#include "cut_points.h"
#include "diag_log.h"
#include "resource.h"
#include "slider.h"
#include "slider_mapping.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr float kLineSeconds = 1;
constexpr float kShiftLineSeconds = 10;
constexpr float kPageSeconds = 60;
constexpr float kWheelNotchSeconds = 5;
constexpr int kTipWidthPx = 420;
constexpr int kTipShowMs = 30000;


enum MenuItem { kMenuPreviewStart = 1, kMenuPreviewEnd, kMenuStartHere, kMenuEndHere };

HHOOK g_filter = nullptr;
HWND g_tip = nullptr;  // the slider's tooltip
int g_wheelDelta = 0;  // of notches not yet whole

// The button's command, posted as its click posts it.
void Press(int id)
{
    PostMessageA(g_state.hMainDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(g_state.hMainDlg, id)));
}

bool IsClass(HWND hwnd, const char* name)
{
    char text[32] = {};
    return hwnd && GetClassNameA(hwnd, text, sizeof text) && lstrcmpiA(text, name) == 0;
}

// An edit, or a time editor or anything inside one.
bool TakesText(HWND focus)
{
    for (HWND w = focus; w && w != g_state.hMainDlg; w = GetParent(w)) {
        if (IsClass(w, "Edit") || IsClass(w, DATETIMEPICK_CLASSA)) return true;
    }
    return false;
}

void SeekTo(float t)
{
    SetPosition(std::clamp(t, 0.0f, g_state.fDuration));
    SeekToPosition();
}

// The slider's own keys: true for them, which seek when seek is true.
bool OnSliderKey(WPARAM key, bool shift, bool seek)
{
    const float line = shift ? kShiftLineSeconds : kLineSeconds;
    float to;
    switch (key) {
    case VK_LEFT:
    case VK_UP: to = g_state.fPosition - line; break;
    case VK_RIGHT:
    case VK_DOWN: to = g_state.fPosition + line; break;
    case VK_PRIOR: to = g_state.fPosition - kPageSeconds; break;
    case VK_NEXT: to = g_state.fPosition + kPageSeconds; break;
    case VK_HOME: to = 0; break;
    case VK_END: to = g_state.fDuration; break;
    default: return false;
    }
    if (seek) SeekTo(to);
    return true;
}

void Nudge(bool end, int direction, bool tenth)
{
    const float step = tenth ? kNudgeSeconds : FrameSeconds();
    g_log.Print("Key: NUDGE %s %s", end ? "END" : "START",
                tenth ? (direction > 0 ? "+0.1 S" : "-0.1 S") : (direction > 0 ? "+1 FRAME" : "-1 FRAME"));
    if (end) {
        NudgeEnd(direction * step);
    } else {
        NudgeStart(direction * step);
    }
}

void Preview(bool end, const char* how)
{
    g_log.Print("%s: PREVIEW %s", how, end ? "END" : "START");
    if (end) {
        PreviewEnd(g_state.hMainDlg);
    } else {
        PreviewStart(g_state.hMainDlg);
    }
}

// A key pressed in the main window: true when it was a shortcut, now done.
bool OnKey(WPARAM key)
{
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
    HWND focus = GetFocus();
    if (TakesText(focus)) return false;
    if (ctrl && (key == VK_LEFT || key == VK_RIGHT)) {
        Nudge(shift, key == VK_RIGHT ? 1 : -1, alt);
        return true;
    }
    // The trackbar never moves its thumb by itself: it would not seek.
    if (focus == g_state.hSlider && OnSliderKey(key, shift, !ctrl && !alt)) return true;
    if (alt) return false;
    if (ctrl) {
        if (key == 'O' && !shift) Press(IDC_BUTTON_OPEN_FILE);
        else if (key == 'S' && !shift) Press(IDC_BUTTON_CUT);
        else return false;
        return true;
    }
    switch (key) {
    case VK_SPACE:
        if (shift || IsClass(focus, "Button")) return false;
        Press(BASS_ChannelIsActive(g_state.hChannel) == BASS_ACTIVE_PLAYING ? IDC_BUTTON_STOP : IDC_BUTTON_PLAY);
        return true;
    case 'P':
        if (shift) return false;
        Press(IDC_BUTTON_PLAY_SELECTION);
        return true;
    case 'I':
    case 'O':
        if (shift) {
            Preview(key == 'O', "Key");
        } else {
            Press(key == 'I' ? IDC_BUTTON_SET_START : IDC_BUTTON_SET_END);
        }
        return true;
    case VK_ESCAPE:
        if (shift) return false;
        Press(IDC_BUTTON_CLEAR);
        return true;
    default:
        return false;
    }
}

bool OverSlider(LPARAM screenPoint)
{
    RECT rc;
    const POINT at = {static_cast<short>(LOWORD(screenPoint)), static_cast<short>(HIWORD(screenPoint))};
    return GetWindowRect(g_state.hSlider, &rc) && PtInRect(&rc, at);
}

void OnWheel(WPARAM wParam)
{
    g_wheelDelta += GET_WHEEL_DELTA_WPARAM(wParam);
    const int notches = g_wheelDelta / WHEEL_DELTA;
    g_wheelDelta -= notches * WHEEL_DELTA;
    if (notches != 0) SeekTo(g_state.fPosition + notches * kWheelNotchSeconds);
}

// The slider's context menu at the pointer (client x of the slider).
void ShowSliderMenu(int x)
{
    const float here =
        PositionAtPixel(static_cast<uint16_t>(x), g_state.rcChannel, g_state.nThumbMargin, g_state.fDuration);
    HMENU menu = CreatePopupMenu();
    const UINT withSource = g_state.fDuration > 0 ? MF_STRING : MF_STRING | MF_GRAYED;
    AppendMenuA(menu, withSource, kMenuPreviewStart, "试听起点后 3 秒\tShift+I");
    AppendMenuA(menu, withSource, kMenuPreviewEnd, "试听终点前 3 秒\tShift+O");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, withSource, kMenuStartHere, "在此设置起点");
    AppendMenuA(menu, withSource, kMenuEndHere, "在此设置终点");
    POINT at;
    GetCursorPos(&at);
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0,
                                      g_state.hMainDlg, nullptr);
    DestroyMenu(menu);
    switch (chosen) {
    case kMenuPreviewStart:
    case kMenuPreviewEnd: Preview(chosen == kMenuPreviewEnd, "Menu"); break;
    case kMenuStartHere:
        g_log.Print("Menu: SET START HERE");
        SetStartAt(here);
        break;
    case kMenuEndHere:
        g_log.Print("Menu: SET END HERE");
        SetEndAt(here);
        break;
    default: break;
    }
}

// Messages of the main window's loop, before the dialog manager's: true when
// taken.
bool OnDialogMessage(const MSG& msg)
{
    HWND main = g_state.hMainDlg;
    if (!main) return false;
    // The wheel over the slider, whichever part of the window it came to
    // (the slider's tooltip may lie over it); not to a box or dialog the
    // window has open over it, which keeps its wheel.
    const bool ours = msg.hwnd == main || msg.hwnd == g_tip || IsChild(main, msg.hwnd);
    if (msg.message == WM_MOUSEWHEEL && ours && IsWindowEnabled(main) && OverSlider(msg.lParam)) {
        OnWheel(msg.wParam);
        return true;
    }
    if (msg.hwnd != main && !IsChild(main, msg.hwnd)) return false;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: return OnKey(msg.wParam);
    case WM_RBUTTONUP:
        if (msg.hwnd != g_state.hSlider) return false;
        ShowSliderMenu(static_cast<short>(LOWORD(msg.lParam)));
        return true;
    default: return false;
    }
}

LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == MSGF_DIALOGBOX && OnDialogMessage(*reinterpret_cast<const MSG*>(lParam))) return TRUE;
    return CallNextHookEx(g_filter, code, wParam, lParam);
}

void AddKeyListTip(HWND hMainDlg)
{
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hMainDlg, nullptr,
                               g_state.hInstance, nullptr);
    g_tip = tip;
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hMainDlg;
    tool.uId = reinterpret_cast<UINT_PTR>(g_state.hSlider);
    tool.lpszText = const_cast<char*>(kShortcutList);
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, kTipWidthPx);
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, kTipShowMs);
}

}  // namespace

void InstallShortcuts(HWND hMainDlg)
{
    AddKeyListTip(hMainDlg);
    g_filter = SetWindowsHookExA(WH_MSGFILTER, MessageFilter, nullptr, GetCurrentThreadId());
}

void RemoveShortcuts()
{
    if (g_filter) UnhookWindowsHookEx(g_filter);
    g_filter = nullptr;
}
