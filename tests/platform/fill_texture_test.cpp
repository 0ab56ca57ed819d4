// The background tile: it must repeat without a visible seam and stay calm
// enough to read black text on.
#include "fill_texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int Brightness(uint32_t p)
{
    return static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
}

struct Steps {
    int worstInside = 0;   // largest step between neighbours inside the tile
    double meanInside = 0;
    int worstAcross = 0;   // largest step across the tile's wrap-around edges
    double meanAcross = 0;
};

Steps MeasureSteps(const std::vector<uint32_t>& px, int w, int h)
{
    Steps s;
    long long sumInside = 0;
    long long countInside = 0;
    long long sumAcross = 0;
    long long countAcross = 0;
    auto at = [&](int x, int y) { return Brightness(px[static_cast<size_t>(y) * w + x]); };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int right = std::abs(at(x, y) - at((x + 1) % w, y));
            int down = std::abs(at(x, y) - at(x, (y + 1) % h));
            bool seamX = x == w - 1;
            bool seamY = y == h - 1;
            (seamX ? s.worstAcross : s.worstInside) = std::max(seamX ? s.worstAcross : s.worstInside, right);
            (seamY ? s.worstAcross : s.worstInside) = std::max(seamY ? s.worstAcross : s.worstInside, down);
            (seamX ? sumAcross : sumInside) += right;
            (seamX ? countAcross : countInside) += 1;
            (seamY ? sumAcross : sumInside) += down;
            (seamY ? countAcross : countInside) += 1;
        }
    }
    s.meanInside = double(sumInside) / countInside;
    s.meanAcross = double(sumAcross) / countAcross;
    return s;
}

TEST(FillTexture, TilesWithoutASeam)
{
    for (int feature : {15, 7, 40, 128}) {
        for (int size : {128, 100}) {
            SCOPED_TRACE(testing::Message() << "feature " << feature << " size " << size);
            FillTextureParams p;
            p.widthPx = size;
            p.heightPx = size;
            p.featurePx = feature;
            std::vector<uint32_t> px = MakeFillTexture(p);
            ASSERT_EQ(px.size(), static_cast<size_t>(size * size));
            Steps s = MeasureSteps(px, size, size);
            // Across the edges the texture changes no more than inside it.
            EXPECT_LE(s.worstAcross, s.worstInside);
            EXPECT_LT(s.meanAcross, 1.5 * s.meanInside + 0.5);
        }
    }
}

TEST(FillTexture, IsCalmAndLight)
{
    FillTextureParams p;  // what the program asks for: 128 x 128, 30, 15
    std::vector<uint32_t> px = MakeFillTexture(p);
    int lo = 255;
    int hi = 0;
    double sum = 0;
    for (uint32_t v : px) {
        int b = Brightness(v);
        lo = std::min(lo, b);
        hi = std::max(hi, b);
        sum += b;
    }
    double mean = sum / px.size();
    EXPECT_GT(mean, 215);    // light: black text reads well on it
    EXPECT_LE(hi - lo, 34);  // the contrast asked for, plus the faint grain
    EXPECT_GE(hi - lo, 10);  // but a texture, not a flat colour
    Steps s = MeasureSteps(px, 128, 128);
    EXPECT_LE(s.worstInside, 8);  // smooth: no hard edges
}

TEST(FillTexture, ContrastZeroLeavesOnlyTheFaintGrain)
{
    FillTextureParams flat;
    flat.contrastLevels = 0;
    std::vector<uint32_t> px = MakeFillTexture(flat);
    auto [lo, hi] = std::minmax_element(px.begin(), px.end(),
                                        [](uint32_t a, uint32_t b) { return Brightness(a) < Brightness(b); });
    EXPECT_LE(Brightness(*hi) - Brightness(*lo), 4);
}

}  // namespace
