// The skinned-control library (KivControls.dll) as the program calls it.
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

// Takes over the drawing of a button (push button or check box): icon,
// caption (its window text), tooltip and look from desc. The button keeps
// its id, BN_CLICKED, enabled and visible state and check state.
KIVDEF(BOOL) RedrawButton(HWND hButton, const SkinButtonDesc* desc);

// Makes the background tile: *phbmFill receives a bitmap of the rectangle's
// size that tiles seamlessly; *phbmFill2 a second GDI object. Both belong to
// the caller, who releases them with DeleteObject.
KIVDEF(BOOL) CreateFillBmp(int kind, const RECT* rect, int a, int b, int c, int d,
                           HBITMAP* phbmFill, HBITMAP* phbmFill2);
