// The slider's arithmetic, portable: seconds to slider units, a pointer's
// pixel to seconds, the selection's rectangle on the channel, its share of
// the file, the byte a seek goes to, the caption drawn on the channel and
// the rules by which the selection's ends move. Products are formed first,
// in double (or wider) precision, and truncated toward zero; with no source
// (a duration of 0) every mapping gives 0.
#pragma once

#include "win_types.h"

#include <cstddef>
#include <cstdint>

// The slider's range is 0 to kSliderUnits.
constexpr int kSliderUnits = 1000;

// trunc(1000 x t / fDuration): 29.99 s of a 60 s file is unit 499. 0 when
// fDuration is 0. Times outside the file give units outside 0..1000 (the
// trackbar clamps them); results beyond the int range saturate.
int SliderUnitOf(float t, float fDuration);

// nThumbMargin from the pixels of the ticks at 250 (tic250Px) and 500
// (tic500Px): tic250Px - tic500Px / 2, the division truncating toward zero.
int ThumbMarginOf(int tic250Px, int tic500Px);

// The time under the pointer on the slider: x16 is the low word of the
// mouse message's lParam (a word with bit 15 set, a pointer left of the
// captured slider, counts as 0); f = (x - (left + margin - 2)) / (width -
// 2 x margin), held as a float and kept within 0..1; the result is
// fDuration x f as a float. A channel too narrow for the margins gives 0.
float PositionAtPixel(uint16_t x16, const RECT& rcChannel, int nThumbMargin, float fDuration);

// The selection's rectangle inside the channel rectangle rc of a paint:
// one pixel in from its top and bottom; left and right at the selection's
// ends, widened by a pixel each side. Empty (all four 0) with no source.
RECT SelectionRect(const RECT& rc, int nThumbMargin, float fStart, float fEnd, float fDuration);

// trunc((fEnd - fStart) x 100 / fDuration): the selection's share of the
// file in percent; 0 when fDuration is 0.
int SelectionPercent(float fStart, float fEnd, float fDuration);

// The byte of a stream of lengthBytes bytes at fPosition:
// trunc(lengthBytes x fPosition / fDuration), the length taken as unsigned
// and the arithmetic carried in long double (64-bit mantissa, so lengths
// above 2^53 keep their low bits). 0 when fDuration is 0 or the result is
// not a positive number; results beyond 2^64 - 1 saturate.
QWORD SeekByteOf(QWORD lengthBytes, float fPosition, float fDuration);

// The caption drawn on the slider's channel: the selection's duration, its
// share of the file and its size, e.g. "持续时间: 00:01:23.4 (25%, 1302.5 Kb)".
// Writes the duration part ("持续时间: HH:MM:SS.T" of fEnd - fStart) into
// caption (captionBytes bytes) and the whole caption into out (outBytes
// bytes): the duration part, the percent of SelectionPercent and sizeKb with
// one decimal. Both are cut to fit and always terminated.
void FormatSliderCaption(float fStart, float fEnd, float fDuration, double sizeKb, char* caption,
                         size_t captionBytes, char* out, size_t outBytes);

// The rules by which the selection's start and end move: a start set beyond
// the end widens the end to the end of the file, an end set before the start
// widens the start to the beginning of the file; neither swaps the two.

// fStart = value; when it then lies beyond fEnd, fEnd = fDuration.
void MoveSelectionStart(float value, float fDuration, float& fStart, float& fEnd);

// fEnd = value; when it then lies before fStart, fStart = 0.
void MoveSelectionEnd(float value, float& fStart, float& fEnd);

// Keeps the selection inside the file: a negative fStart becomes 0, an fEnd
// beyond fDuration becomes fDuration. fStart > fEnd may remain.
void ClampSelection(float fDuration, float& fStart, float& fEnd);
