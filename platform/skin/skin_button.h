// A button drawn by the library: the subclass procedure and the painting
// behind RedrawButton (Windows only).
#pragma once

#include "kiv_controls.h"

// Subclasses hButton (once) and stores what desc says; repaints it.
// False when hButton is not a window.
bool SkinButton(HWND hButton, const SkinButtonDesc& desc);
