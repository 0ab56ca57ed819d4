#include "slider_mapping.h"

#include "time_fields.h"

#include <climits>
#include <cstdio>

namespace {

// Truncation toward zero into an int: values that are not numbers give 0,
// values beyond the int range the nearest end of it.
int TruncToInt(double v)
{
    if (!(v == v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

// Set in a 16-bit pointer coordinate when the pointer is left of the window.
constexpr uint16_t kNegativeCoordinateBit = 0x8000;

}  // namespace

int SliderUnitOf(float t, float fDuration)
{
    if (fDuration == 0) return 0;
    return TruncToInt(kSliderUnits * static_cast<double>(t) / fDuration);
}

int ThumbMarginOf(int tic250Px, int tic500Px)
{
    return tic250Px - tic500Px / 2;
}

float PositionAtPixel(uint16_t x16, const RECT& rcChannel, int nThumbMargin, float fDuration)
{
    const int x = (x16 & kNegativeCoordinateBit) ? 0 : x16;
    const int travelPx = (rcChannel.right - rcChannel.left) - 2 * nThumbMargin;
    if (travelPx <= 0) return 0;
    float f = static_cast<float>(static_cast<double>(x - (rcChannel.left + nThumbMargin - 2)) / travelPx);
    if (f < 0) {
        f = 0;
    } else if (f > 1) {
        f = 1;
    }
    return static_cast<float>(static_cast<double>(fDuration) * f);
}

RECT SelectionRect(const RECT& rc, int nThumbMargin, float fStart, float fEnd, float fDuration)
{
    RECT selection = {0, 0, 0, 0};
    if (fDuration == 0) return selection;
    const int travelPx = (rc.right - rc.left) - 2 * nThumbMargin;
    const double origin = static_cast<double>(rc.left) + nThumbMargin;
    selection.left = TruncToInt(origin + static_cast<double>(travelPx) * fStart / fDuration - 1);
    selection.right = TruncToInt(origin + static_cast<double>(travelPx) * fEnd / fDuration + 1);
    selection.top = rc.top + 1;
    selection.bottom = rc.bottom - 1;
    return selection;
}

int SelectionPercent(float fStart, float fEnd, float fDuration)
{
    if (fDuration == 0) return 0;
    return TruncToInt((static_cast<double>(fEnd) - fStart) * 100 / fDuration);
}

QWORD SeekByteOf(QWORD lengthBytes, float fPosition, float fDuration)
{
    if (fDuration == 0) return 0;
    const long double bytes = static_cast<long double>(lengthBytes) * fPosition / fDuration;
    if (!(bytes > 0)) return 0;
    // 2^64: the first value a 64-bit count cannot hold.
    const long double kBeyondQword = 18446744073709551616.0L;
    if (bytes >= kBeyondQword) return ~QWORD(0);
    return static_cast<QWORD>(bytes);
}

void FormatSliderCaption(float fStart, float fEnd, float fDuration, double sizeKb, char* caption,
                         size_t captionBytes, char* out, size_t outBytes)
{
    SecondsToText(fEnd - fStart, "持续时间: %s", caption, captionBytes);
    // The C library's formatting: the platform's wsprintf has no %f.
    snprintf(out, outBytes, "%s (%d%%, %.1f Kb)", caption, SelectionPercent(fStart, fEnd, fDuration), sizeKb);
}

void MoveSelectionStart(float value, float fDuration, float& fStart, float& fEnd)
{
    fStart = value;
    if (fStart > fEnd) fEnd = fDuration;
}

void MoveSelectionEnd(float value, float& fStart, float& fEnd)
{
    fEnd = value;
    if (fEnd < fStart) fStart = 0;
}

void ClampSelection(float fDuration, float& fStart, float& fEnd)
{
    if (fStart < 0) fStart = 0;
    if (fEnd > fDuration) fEnd = fDuration;
}
