// The exported calls of KivControls.dll.
#include "kiv_controls.h"

#include "fill_texture.h"
#include "skin_button.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char kPropTip[] = "KivControls.Tooltip";
constexpr int kMaxTipWidthPx = 400;
constexpr int kFill2ShadePercent = 10;

HINSTANCE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

// The one tooltip control of a button's parent window, made on first use;
// as a window owned by the parent it goes when the parent goes.
HWND TooltipOf(HWND parent)
{
    HWND tip = static_cast<HWND>(GetPropA(parent, kPropTip));
    if (tip && IsWindow(tip)) return tip;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                          ThisModule(), nullptr);
    if (!tip) return nullptr;
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidthPx);
    SetPropA(parent, kPropTip, tip);
    return tip;
}

// Gives the button the tooltip text (copied by the tooltip control), or
// removes its tooltip when text is null.
void SetTooltip(HWND hButton, const char* text)
{
    HWND parent = GetParent(hButton);
    if (!parent) return;
    HWND tip = text ? TooltipOf(parent) : static_cast<HWND>(GetPropA(parent, kPropTip));
    if (!tip) return;
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;  // understood by every comctl32 from 5.8 on
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = parent;
    ti.uId = reinterpret_cast<UINT_PTR>(hButton);
    SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    if (!text) return;
    std::string copy(text);
    ti.lpszText = &copy[0];
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

HBITMAP MakeBitmap(const std::vector<uint32_t>& pixels, int width, int height)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;  // top-down rows
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    // A device-dependent bitmap: what pattern brushes accept everywhere.
    HBITMAP hbm = CreateCompatibleBitmap(screen, width, height);
    if (hbm && SetDIBits(screen, hbm, 0, height, pixels.data(), &bmi, DIB_RGB_COLORS) != height) {
        DeleteObject(hbm);
        hbm = nullptr;
    }
    ReleaseDC(nullptr, screen);
    return hbm;
}

}  // namespace

KIVDEF(BOOL) RedrawButton(HWND hButton, const SkinButtonDesc* desc)
{
    if (!desc || !IsWindow(hButton)) return FALSE;
    if (!SkinButton(hButton, *desc)) return FALSE;
    SetTooltip(hButton, desc->szTip);
    return TRUE;
}

KIVDEF(BOOL) CreateFillBmp(int kind, const RECT* rect, int a, int b, int c, int /*d*/, HBITMAP* phbmFill,
                           HBITMAP* phbmFill2)
{
    if (phbmFill) *phbmFill = nullptr;
    if (phbmFill2) *phbmFill2 = nullptr;
    if (kind != 1 || !rect || !phbmFill || !phbmFill2) return FALSE;
    FillTextureParams params;
    params.widthPx = rect->right - rect->left;
    params.heightPx = rect->bottom - rect->top;
    params.contrastLevels = a;
    params.featurePx = b;
    params.seed = static_cast<uint32_t>(c);
    std::vector<uint32_t> pixels = MakeFillTexture(params);
    if (pixels.empty()) return FALSE;
    int width = static_cast<int>(std::min<LONG>(params.widthPx, 4096));
    int height = static_cast<int>(pixels.size() / static_cast<size_t>(width));
    HBITMAP fill = MakeBitmap(pixels, width, height);
    HBITMAP fill2 = fill ? MakeBitmap(ShadeTexture(pixels, kFill2ShadePercent), width, height) : nullptr;
    if (!fill || !fill2) {
        if (fill) DeleteObject(fill);
        return FALSE;
    }
    *phbmFill = fill;
    *phbmFill2 = fill2;
    return TRUE;
}
