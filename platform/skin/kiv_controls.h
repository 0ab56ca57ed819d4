// The skinned-control library (KivControls.dll) as the program calls it.
// Built by platform/skin: buttons drawn by the library (subclassed, the
// button's own behaviour kept) and the background tile of the windows.
#pragma once

#include <windows.h>

#include <cstddef>

#ifdef ZDV_BUILDING_KIVCONTROLS
#define KIVDEF(type) extern "C" __declspec(dllexport) type WINAPI
#else
#define KIVDEF(type) extern "C" __declspec(dllimport) type WINAPI
#endif

// What a button shows. The program clears the record, sets the fields for
// one button and passes it to RedrawButton, which copies what it needs.
// Field order as in the 32-bit form (4, 4, 48, 4, 4 = 64 bytes), with
// pointer-sized fields on x86-64.
struct SkinButtonDesc {
    HICON hIcon;         // normal picture; 0 = none
    HICON hIcon2;        // the same picture in another colour (hover/pressed); 0 = none
    BYTE reserved[48];   // always zero
    const char* szTip;   // tooltip text (ANSI, CP936); 0 = none
    DWORD dwStyle;       // look of the button (see the library)
};
#ifdef _WIN64
static_assert(sizeof(SkinButtonDesc) == 80, "x86-64 layout");
static_assert(offsetof(SkinButtonDesc, szTip) == 64 && offsetof(SkinButtonDesc, dwStyle) == 72, "x86-64 layout");
#else
static_assert(sizeof(SkinButtonDesc) == 64, "32-bit layout");
static_assert(offsetof(SkinButtonDesc, szTip) == 56 && offsetof(SkinButtonDesc, dwStyle) == 60, "32-bit layout");
#endif

// Bits of SkinButtonDesc::dwStyle. The program's style words read:
//   0x80000069  caption, round corners, gradient face, hover, face
//   0x80000029  caption, square corners, gradient face, hover, face
//   0x00000008  no caption, flat (face only on hover or press), hover
//   0x8000012B  caption under a large icon, gradient face, hover, face
//   0x8000006B  caption beside a large icon, round corners, gradient, hover, face
// Bits not named here are ignored.
#define KIV_STYLE_FACE        0x00000001u  // a button face with a border; else flat
#define KIV_STYLE_LARGE_ICON  0x00000002u  // icon up to 32 x 32 pixels; else 16 x 16
#define KIV_STYLE_HOT         0x00000008u  // follows the mouse: lit face, second icon
#define KIV_STYLE_GRADIENT    0x00000020u  // the face shades from light to dark downwards
#define KIV_STYLE_ROUND       0x00000040u  // rounded corners
#define KIV_STYLE_ICON_ABOVE  0x00000100u  // icon above the caption; else left of it
#define KIV_STYLE_CAPTION     0x80000000u  // shows the window text as caption

// Takes over the drawing of a button (push button or check box): icon,
// caption (its window text, read at each paint), tooltip and look from
// desc. The button keeps its id, BN_CLICKED, keyboard handling, enabled and
// visible state and check state; its window procedure is chained, not
// replaced. The icons are shown, not owned; the tooltip text is copied (a
// tooltip control of the parent window holds it; no text: no tooltip). The
// second icon is shown while the mouse is over the button (with
// KIV_STYLE_HOT), while it is pressed and while a check box is checked.
// Calling it again on the same button replaces the record. FALSE (nothing
// changed) when hButton is not a window or desc is null.
KIVDEF(BOOL) RedrawButton(HWND hButton, const SkinButtonDesc* desc);

// Makes the background tile. kind 1 (the only kind): a calm, seamlessly
// tiling paper-like texture of the rectangle's size (at most 4096 pixels a
// side) around a pale blue-grey; a: peak-to-peak brightness variation in
// levels of 0..255 (30: quiet); b: size of its features in pixels (15);
// c: seed of the texture (0: the usual one); d: ignored.
// *phbmFill receives the tile as a bitmap for CreatePatternBrush;
// *phbmFill2 the same tile 10 % darker (for sunken surfaces). Both belong to
// the caller, who releases them with DeleteObject. FALSE, with both set to
// 0, when kind is not 1, the rectangle is empty or a bitmap cannot be made.
KIVDEF(BOOL) CreateFillBmp(int kind, const RECT* rect, int a, int b, int c, int d,
                           HBITMAP* phbmFill, HBITMAP* phbmFill2);
