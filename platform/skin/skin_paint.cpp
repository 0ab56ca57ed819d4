// How a skinned button looks; see skin_paint.h and the KIV_STYLE_* bits.
#include "skin_paint.h"

#include "kiv_controls.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int kCornerRadiusPx = 6;
constexpr int kCheckBoxPx = 13;
constexpr int kGapPx = 4;          // between icon, indicator and caption
constexpr int kMarginPx = 3;       // between the face's edge and its content
// A check box sits like a standard one: its indicator one pixel from the
// left edge, a narrower gap, and its caption free to run to one pixel from
// the right edge, so that a short caption ("播放所选") fits whole into a
// box of 40 dialog units.
constexpr int kCheckBoxSideMarginPx = 1;
constexpr int kCheckBoxGapPx = 3;
constexpr int kSmallIconPx = 16;
constexpr int kLargeIconPx = 32;

// Face colours: top and bottom of the gradient, and the border.
struct FaceColours {
    COLORREF top;
    COLORREF bottom;
    COLORREF border;
};
const FaceColours kFaceNormal = {RGB(252, 253, 255), RGB(218, 225, 237), RGB(128, 142, 166)};
const FaceColours kFaceHot = {RGB(255, 255, 255), RGB(200, 220, 247), RGB(58, 112, 196)};
const FaceColours kFacePressed = {RGB(184, 202, 230), RGB(226, 234, 246), RGB(46, 90, 168)};
const FaceColours kFaceDisabled = {RGB(238, 238, 240), RGB(238, 238, 240), RGB(178, 180, 186)};
const COLORREF kCaptionColour = RGB(20, 30, 52);
const COLORREF kCaptionDisabledColour = RGB(150, 152, 158);
const COLORREF kCheckColour = RGB(32, 72, 160);

COLORREF Mix(COLORREF a, COLORREF b, int num, int den)
{
    auto ch = [&](int ca, int cb) { return ca + (cb - ca) * num / den; };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

// The parent's background under the button, so that the face's corners and
// flat buttons show the window's pattern: the parent erases into our DC with
// its origin (and the pattern's) moved to where the button sits.
void PaintParentBackground(HWND hwnd, HDC hdc, const RECT& rc)
{
    HWND parent = GetParent(hwnd);
    POINT pt = {0, 0};
    if (parent) MapWindowPoints(hwnd, parent, &pt, 1);
    POINT oldOrg;
    POINT oldBrushOrg;
    SetViewportOrgEx(hdc, -pt.x, -pt.y, &oldOrg);
    SetBrushOrgEx(hdc, -pt.x, -pt.y, &oldBrushOrg);
    bool erased = parent && SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) != 0;
    SetViewportOrgEx(hdc, oldOrg.x, oldOrg.y, nullptr);
    SetBrushOrgEx(hdc, oldBrushOrg.x, oldBrushOrg.y, nullptr);
    if (!erased) FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
}

void PaintFace(HDC hdc, const RECT& rc, const FaceColours& c, DWORD style)
{
    bool round = (style & KIV_STYLE_ROUND) != 0;
    HRGN rgn = round ? CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, kCornerRadiusPx, kCornerRadiusPx)
                     : CreateRectRgn(rc.left, rc.top, rc.right, rc.bottom);
    SelectClipRgn(hdc, rgn);
    int height = std::max<int>(1, rc.bottom - rc.top);
    bool gradient = (style & KIV_STYLE_GRADIENT) != 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        COLORREF colour = gradient ? Mix(c.top, c.bottom, y - rc.top, height) : Mix(c.top, c.bottom, 1, 2);
        HBRUSH brush = CreateSolidBrush(colour);
        RECT line = {rc.left, y, rc.right, y + 1};
        FillRect(hdc, &line, brush);
        DeleteObject(brush);
    }
    SelectClipRgn(hdc, nullptr);
    HBRUSH border = CreateSolidBrush(c.border);
    FrameRgn(hdc, rgn, border, 1, 1);
    DeleteObject(border);
    DeleteObject(rgn);
}

// A disabled icon: drawn, then turned grey and faded into the face.
void GreyOut(HDC hdc, int x, int y, int size)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = size;
    bmi.bmiHeader.biHeight = -size;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return;
    HDC hdcDib = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(hdcDib, dib);
    BitBlt(hdcDib, 0, 0, size, size, hdc, x, y, SRCCOPY);
    GdiFlush();
    auto* px = static_cast<DWORD*>(bits);
    for (int i = 0; i < size * size; ++i) {
        DWORD p = px[i];
        int grey = (((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
        grey = (grey + 2 * 236) / 3;
        px[i] = (static_cast<DWORD>(grey) << 16) | (static_cast<DWORD>(grey) << 8) | static_cast<DWORD>(grey);
    }
    BitBlt(hdc, x, y, size, size, hdcDib, 0, 0, SRCCOPY);
    SelectObject(hdcDib, old);
    DeleteDC(hdcDib);
    DeleteObject(dib);
}

void PaintCheckIndicator(HDC hdc, int x, int y, int check, bool disabled)
{
    RECT box = {x, y, x + kCheckBoxPx, y + kCheckBoxPx};
    HBRUSH fill = CreateSolidBrush(disabled ? RGB(236, 236, 236) : RGB(255, 255, 255));
    FillRect(hdc, &box, fill);
    DeleteObject(fill);
    HBRUSH frame = CreateSolidBrush(disabled ? kFaceDisabled.border : kFaceNormal.border);
    FrameRect(hdc, &box, frame);
    DeleteObject(frame);
    COLORREF mark = disabled ? kCaptionDisabledColour : kCheckColour;
    if (check == BST_CHECKED) {
        HPEN pen = CreatePen(PS_SOLID, 2, mark);
        HGDIOBJ oldPen = SelectObject(hdc, pen);
        POINT tick[3] = {{x + 3, y + 6}, {x + 5, y + 9}, {x + 10, y + 3}};
        Polyline(hdc, tick, 3);
        SelectObject(hdc, oldPen);
        DeleteObject(pen);
    } else if (check == BST_INDETERMINATE) {
        RECT inner = {x + 3, y + 3, x + kCheckBoxPx - 3, y + kCheckBoxPx - 3};
        HBRUSH b = CreateSolidBrush(mark);
        FillRect(hdc, &inner, b);
        DeleteObject(b);
    }
}

}  // namespace

void PaintSkinButton(HWND hButton, HDC hdc, const RECT& rc, const SkinButtonLook& look, const char* text, HFONT font)
{
    PaintParentBackground(hButton, hdc, rc);

    // Face: always with KIV_STYLE_FACE; a flat button only while lit or pressed.
    bool active = look.bPressed || look.bHot || (look.bCheckBox && look.nCheck == BST_CHECKED);
    const FaceColours& colours = look.bDisabled ? kFaceDisabled
                                 : (look.bPressed || (look.bCheckBox && look.nCheck == BST_CHECKED)) ? kFacePressed
                                 : look.bHot ? kFaceHot
                                             : kFaceNormal;
    if ((look.dwStyle & KIV_STYLE_FACE) || (active && !look.bDisabled)) {
        DWORD faceStyle = look.dwStyle;
        if (!(look.dwStyle & KIV_STYLE_FACE)) faceStyle |= KIV_STYLE_ROUND | KIV_STYLE_GRADIENT;
        PaintFace(hdc, rc, colours, faceStyle);
    }

    // Content: icon, check indicator and caption, laid out as one block.
    const int sideMarginPx = look.bCheckBox ? kCheckBoxSideMarginPx : kMarginPx;
    RECT content = {rc.left + sideMarginPx, rc.top + kMarginPx, rc.right - sideMarginPx, rc.bottom - kMarginPx};
    if (look.bPressed) OffsetRect(&content, 1, 1);
    int contentW = std::max<int>(0, content.right - content.left);
    int contentH = std::max<int>(0, content.bottom - content.top);

    int iconPx = 0;
    if (look.hIcon) {
        iconPx = (look.dwStyle & KIV_STYLE_LARGE_ICON) ? kLargeIconPx : kSmallIconPx;
        iconPx = std::min(iconPx, std::min(contentW, contentH));
        // Without room for a caption beside or under it, the icon still shows.
    }
    bool hasCaption = (look.dwStyle & KIV_STYLE_CAPTION) && text && text[0];
    HGDIOBJ oldFont = SelectObject(hdc, font);
    SIZE textSize = {0, 0};
    int textLength = hasCaption ? static_cast<int>(strlen(text)) : 0;
    if (hasCaption) {
        RECT measure = {0, 0, contentW, contentH};
        DrawTextA(hdc, text, textLength, &measure, DT_SINGLELINE | DT_CALCRECT);
        textSize.cx = std::min<LONG>(measure.right - measure.left, contentW);
        textSize.cy = measure.bottom - measure.top;
    }
    int indicatorPx = look.bCheckBox ? kCheckBoxPx : 0;

    int iconX = 0;
    int iconY = 0;
    RECT textRect = content;
    bool above = (look.dwStyle & KIV_STYLE_ICON_ABOVE) && iconPx > 0 && hasCaption;
    if (above) {
        int blockH = iconPx + 2 + textSize.cy;
        int top = content.top + std::max(0, (contentH - blockH) / 2);
        iconX = content.left + (contentW - iconPx) / 2;
        iconY = top;
        textRect = {content.left, top + iconPx + 2, content.right, std::min<LONG>(content.bottom, top + blockH)};
    } else {
        // In a row: [indicator] [icon] [caption], centred; a check box's row
        // starts at the left like a standard check box.
        int rowW = indicatorPx + (indicatorPx && (iconPx || hasCaption) ? kCheckBoxGapPx : 0) + iconPx +
                   (iconPx && hasCaption ? kGapPx : 0) + textSize.cx;
        int x = look.bCheckBox ? content.left : content.left + std::max(0, (contentW - rowW) / 2);
        if (indicatorPx) {
            PaintCheckIndicator(hdc, x, content.top + (contentH - kCheckBoxPx) / 2, look.nCheck, look.bDisabled);
            x += indicatorPx + kCheckBoxGapPx;
        }
        iconX = x;
        iconY = content.top + (contentH - iconPx) / 2;
        if (iconPx) x += iconPx + kGapPx;
        textRect = {x, content.top, std::min<LONG>(content.right, x + textSize.cx), content.bottom};
    }

    if (iconPx > 0) {
        DrawIconEx(hdc, iconX, iconY, look.hIcon, iconPx, iconPx, 0, nullptr, DI_NORMAL);
        if (look.bDisabled) GreyOut(hdc, iconX, iconY, iconPx);
    }
    if (hasCaption) {
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, look.bDisabled ? kCaptionDisabledColour : kCaptionColour);
        UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | (above ? DT_CENTER : DT_LEFT);
        DrawTextA(hdc, text, textLength, &textRect, format);
    }
    SelectObject(hdc, oldFont);

    if (look.bFocus) {
        RECT focus = {rc.left + 3, rc.top + 3, rc.right - 3, rc.bottom - 3};
        SetTextColor(hdc, RGB(0, 0, 0));
        SetBkColor(hdc, RGB(255, 255, 255));
        DrawFocusRect(hdc, &focus);
    }
}
