// The caption drawn on the slider's channel: the selection's duration, its
// share of the file and its size, e.g. "持续时间: 00:01:23.4 (25%, 1302.5 Kb)".
#pragma once

#include <cstddef>

// Writes the duration part ("持续时间: HH:MM:SS.T" of fEnd - fStart) into
// caption (captionBytes bytes) and the whole caption into out (outBytes
// bytes): the duration part, the percent of SelectionPercent and sizeKb with
// one decimal. Both are cut to fit and always terminated.
void FormatSliderCaption(float fStart, float fEnd, float fDuration, double sizeKb, char* caption,
                         size_t captionBytes, char* out, size_t outBytes);
