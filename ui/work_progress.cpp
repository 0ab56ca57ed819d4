#include "work_progress.h"

#include "app_state.h"

namespace {

// Work that ends sooner shows nothing.
constexpr ULONGLONG kQuietMs = 330;

struct Work {
    int depth = 0;
    HWND hMainDlg = nullptr;
    ULONGLONG started = 0;
    bool shown = false;
    HWND focus = nullptr;  // where the focus was when input was held off
    char caption[128] = {};
};
Work g_work;

// Input again and the caption as before.
void EndShowing()
{
    if (!g_work.shown) return;
    g_work.shown = false;
    g_work.caption[0] = '\0';
    EnableWindow(g_work.hMainDlg, TRUE);
    if (g_work.focus && IsWindow(g_work.focus)) SetFocus(g_work.focus);
    InvalidateRect(g_state.hSlider, nullptr, FALSE);
}

}  // namespace

WindowWork::WindowWork(HWND hMainDlg)
{
    if (g_work.depth++ > 0) return;
    g_work.hMainDlg = hMainDlg;
    g_work.started = GetTickCount64();
}

WindowWork::~WindowWork()
{
    if (--g_work.depth == 0) EndShowing();
}

void ShowWorkProgress(const char* what, int percent)
{
    if (g_work.depth == 0) return;
    if (!what) {
        EndShowing();
        g_work.started = ~0ull >> 1;  // nothing more shown of this work
        return;
    }
    if (!g_work.shown && GetTickCount64() - g_work.started >= kQuietMs && GetTickCount64() >= g_work.started) {
        g_work.shown = true;
        g_work.focus = GetFocus();
        EnableWindow(g_work.hMainDlg, FALSE);
    }
    if (g_work.shown) {
        if (percent < 0) {
            wsprintfA(g_work.caption, "正在%s...", what);
        } else {
            wsprintfA(g_work.caption, "正在%s... %d%%", what, percent);
        }
        InvalidateRect(g_state.hSlider, nullptr, FALSE);
    }
    // Paint, and take the messages other programs and the system send (so
    // the window never counts as not responding); input waits in the queue
    // of a disabled window, which gets none.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&msg);
}

bool WorkUnderWay()
{
    return g_work.depth > 0;
}

const char* WorkCaption()
{
    return g_work.shown ? g_work.caption : nullptr;
}
