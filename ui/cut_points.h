// The selection's ends moved by small steps and heard before the cut: the
// start or the end nudged by a frame or a tenth of a second, set to a time
// picked on the slider, and the few seconds after the start or before the
// end played.
#pragma once

#include <windows.h>

// How long the previews of the ends play, in seconds.
constexpr float kPreviewSeconds = 3;
// The Alt nudge, in seconds.
constexpr float kNudgeSeconds = 0.1f;

// The length of one frame of the source (samples a frame / rate of its
// first frame); 0 without a source.
float FrameSeconds();

// fStart += seconds, kept within 0..fEnd; fEnd += seconds, kept within
// fStart..fDuration. The editors and the slider follow. Nothing happens
// without a source.
void NudgeStart(float seconds);
void NudgeEnd(float seconds);

// The start or the end set to t, by the rules of the set-start and set-end
// commands (MoveSelectionStart, MoveSelectionEnd); the position stays.
void SetStartAt(float t);
void SetEndAt(float t);

// Plays kPreviewSeconds from fStart, or up to fEnd, each kept inside the
// selection, and stops by itself (PlayRange). The position follows.
void PreviewStart(HWND hMainDlg);
void PreviewEnd(HWND hMainDlg);
