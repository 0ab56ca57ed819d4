#include "selection.h"

// TODO: the start and end rules, the clamping, SyncSelectionUI and the
// repaint of the slider after each command.
void SetStartAtPosition(HWND) {}
void SetEndAtPosition(HWND) {}
void ClearSelection(HWND) {}
