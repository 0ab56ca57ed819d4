// Painting of one skinned button into a device context (Windows only).
#pragma once

#include <windows.h>

// Everything a paint needs to know about the button at that moment.
struct SkinButtonLook {
    HICON hIcon;      // the picture to show (already chosen: first or second); may be 0
    DWORD dwStyle;    // KIV_STYLE_* bits
    bool bCheckBox;   // draw a check box indicator before the caption
    int nCheck;       // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE
    bool bPressed;
    bool bHot;        // the mouse is over it (only with KIV_STYLE_HOT)
    bool bDisabled;
    bool bFocus;      // draw the focus rectangle
};

// Paints the button's client area rc into hdc (a memory DC of rc's size):
// the parent's background where the face does not cover it, face, icon,
// check indicator, caption (text in font; none when text is empty).
void PaintSkinButton(HWND hButton, HDC hdc, const RECT& rc, const SkinButtonLook& look,
                     const char* text, HFONT font);
