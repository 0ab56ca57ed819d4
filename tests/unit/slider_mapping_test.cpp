// The slider's arithmetic against values worked out by hand: slider units,
// the pixel under the pointer, the selection's rectangle, its share and the
// byte a seek goes to, with their truncation and the "no source" rule.
#include "slider_mapping.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

// A channel 400 pixels wide with a margin of 6: the travel is 388 pixels
// from x = 12 (left + margin - 2).
const RECT kChannel = {8, 10, 408, 25};
constexpr int kMargin = 6;

TEST(SliderUnits, AreTruncatedThousandthsOfTheDuration)
{
    EXPECT_EQ(SliderUnitOf(29.99f, 60), 499) << "not 500";
    EXPECT_EQ(SliderUnitOf(30, 60), 500);
    EXPECT_EQ(SliderUnitOf(60, 60), 1000);
    EXPECT_EQ(SliderUnitOf(20, 75), 266);
    EXPECT_EQ(SliderUnitOf(0, 60), 0);
    // The cursor is not clamped; the trackbar clamps what it is given.
    EXPECT_EQ(SliderUnitOf(90, 60), 1500);
    EXPECT_EQ(SliderUnitOf(-1, 60), -16);
    // No source, and values no int holds.
    EXPECT_EQ(SliderUnitOf(5, 0), 0);
    EXPECT_EQ(SliderUnitOf(NAN, 60), 0);
    EXPECT_EQ(SliderUnitOf(1e30f, 1e-30f), INT_MAX);
    EXPECT_EQ(SliderUnitOf(-1e30f, 1e-30f), INT_MIN);
}

TEST(SliderUnits, TheThumbMarginIsTheFirstTickLessHalfTheSecond)
{
    EXPECT_EQ(ThumbMarginOf(108, 206), 5);
    EXPECT_EQ(ThumbMarginOf(107, 205), 5) << "205 / 2 truncates to 102";
    EXPECT_EQ(ThumbMarginOf(-1, -1), -1) << "no ticks: -1 - (-1 / 2), the division truncating toward zero";
}

TEST(SliderPointer, MapsThePixelToTimeWithinTheFile)
{
    EXPECT_EQ(PositionAtPixel(12, kChannel, kMargin, 60), 0.0f);
    EXPECT_EQ(PositionAtPixel(12 + 97, kChannel, kMargin, 60), 15.0f);
    EXPECT_EQ(PositionAtPixel(12 + 194, kChannel, kMargin, 60), 30.0f);
    EXPECT_EQ(PositionAtPixel(12 + 388, kChannel, kMargin, 60), 60.0f);
    // The fraction is held as a float before the product.
    EXPECT_EQ(PositionAtPixel(13, kChannel, kMargin, 60), static_cast<float>(60.0 * static_cast<float>(1.0 / 388)));
    // Left of the travel, beyond it, and left of the captured slider.
    EXPECT_EQ(PositionAtPixel(11, kChannel, kMargin, 60), 0.0f);
    EXPECT_EQ(PositionAtPixel(0, kChannel, kMargin, 60), 0.0f);
    EXPECT_EQ(PositionAtPixel(500, kChannel, kMargin, 60), 60.0f);
    EXPECT_EQ(PositionAtPixel(0xFFF6, kChannel, kMargin, 60), 0.0f);
    EXPECT_EQ(PositionAtPixel(0x7FFF, kChannel, kMargin, 60), 60.0f);
    // No source; a channel narrower than its margins.
    EXPECT_EQ(PositionAtPixel(206, kChannel, kMargin, 0), 0.0f);
    const RECT narrow = {8, 10, 18, 25};
    EXPECT_EQ(PositionAtPixel(14, narrow, kMargin, 60), 0.0f);
}

TEST(SliderSelection, TheRectangleSpansTheSelectionWidenedByAPixel)
{
    RECT r = SelectionRect(kChannel, kMargin, 15, 45, 60);
    EXPECT_EQ(r.left, 110);   // 14 + 388 / 4 - 1
    EXPECT_EQ(r.right, 306);  // 14 + 388 * 3 / 4 + 1
    EXPECT_EQ(r.top, 11);
    EXPECT_EQ(r.bottom, 24);
    r = SelectionRect(kChannel, kMargin, 1, 59, 60);
    EXPECT_EQ(r.left, 19);    // 19.47 truncated
    EXPECT_EQ(r.right, 396);  // 14 + 381.53 + 1 truncated
    r = SelectionRect(kChannel, kMargin, 0, 60, 60);
    EXPECT_EQ(r.left, 13);
    EXPECT_EQ(r.right, 403);
    r = SelectionRect(kChannel, kMargin, 0, 0, 0);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.bottom, 0);
}

TEST(SliderSelection, TheShareIsTruncatedPercent)
{
    EXPECT_EQ(SelectionPercent(15, 45, 60), 50);
    EXPECT_EQ(SelectionPercent(0, 29.99f, 60), 49);
    EXPECT_EQ(SelectionPercent(0, 60, 60), 100);
    EXPECT_EQ(SelectionPercent(45, 15, 60), -50) << "a reversed pair";
    EXPECT_EQ(SelectionPercent(0, 0, 0), 0);
    EXPECT_EQ(SelectionPercent(3, 5, 0), 0);
}

TEST(SliderSeek, TheByteIsTheLengthsShareTakenUnsignedAndWide)
{
    EXPECT_EQ(SeekByteOf(13230000, 20, 75), 3528000u);
    EXPECT_EQ(SeekByteOf(10, 1, 3), 3u);
    EXPECT_EQ(SeekByteOf(13230000, 0, 75), 0u);
    // A length with the top bit set is not negative, and every bit counts.
    const QWORD top = (QWORD(1) << 63) + 1;
    EXPECT_EQ(SeekByteOf(top, 75, 75), top);
    const QWORD beyondDouble = (QWORD(1) << 53) + 1;
    EXPECT_EQ(SeekByteOf(beyondDouble, 2, 2), beyondDouble);
    EXPECT_EQ(SeekByteOf(~QWORD(0), 150, 75), ~QWORD(0)) << "beyond the count: saturated";
    // No source, a cursor before the start.
    EXPECT_EQ(SeekByteOf(13230000, 20, 0), 0u);
    EXPECT_EQ(SeekByteOf(0, 20, 0), 0u);
    EXPECT_EQ(SeekByteOf(13230000, -5, 75), 0u);
}

}  // namespace
