#include "slider_caption.h"

#include "slider_mapping.h"
#include "time_convert.h"

#include <cstdio>

void FormatSliderCaption(float fStart, float fEnd, float fDuration, double sizeKb, char* caption,
                         size_t captionBytes, char* out, size_t outBytes)
{
    SecondsToText(fEnd - fStart, "持续时间: %s", caption, captionBytes);
    // The C library's formatting: the platform's wsprintf has no %f.
    snprintf(out, outBytes, "%s (%d%%, %.1f Kb)", caption, SelectionPercent(fStart, fEnd, fDuration), sizeKb);
}
