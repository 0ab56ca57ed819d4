// Value noise that wraps around the tile; see fill_texture.h.
#include "fill_texture.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxSidePx = 4096;
// The base colour: a pale blue-grey on which black text reads well.
constexpr int kBaseRed = 229;
constexpr int kBaseGreen = 233;
constexpr int kBaseBlue = 239;
// Peak-to-peak amplitude of the per-pixel grain, in levels.
constexpr double kGrainLevels = 3.0;

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ (seed + 0x9E3779B9u) * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

// 0..1 from a hash.
double Unit(uint32_t h)
{
    return (h & 0xFFFFFF) / double(0xFFFFFF);
}

double SmoothStep(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

// Smooth noise in 0..1 at pixel (x, y) of a lattice of cellsX x cellsY
// cells stretched over the tile; lattice indexes wrap, so the left edge
// continues the right one and the top the bottom.
double LatticeNoise(double x, double y, int widthPx, int heightPx, int cellsX, int cellsY, uint32_t seed)
{
    double fx = x * cellsX / widthPx;
    double fy = y * cellsY / heightPx;
    int ix = static_cast<int>(std::floor(fx));
    int iy = static_cast<int>(std::floor(fy));
    double tx = SmoothStep(fx - ix);
    double ty = SmoothStep(fy - iy);
    auto at = [&](int cx, int cy) {
        return Unit(Hash(static_cast<uint32_t>(cx % cellsX), static_cast<uint32_t>(cy % cellsY), seed));
    };
    double top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * tx;
    double bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

int ClampLevel(double v)
{
    return static_cast<int>(std::lround(std::min(255.0, std::max(0.0, v))));
}

uint32_t Rgb(int r, int g, int b)
{
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

}  // namespace

std::vector<uint32_t> MakeFillTexture(const FillTextureParams& params)
{
    if (params.widthPx <= 0 || params.heightPx <= 0) return {};
    const int w = std::min(params.widthPx, kMaxSidePx);
    const int h = std::min(params.heightPx, kMaxSidePx);
    const double contrast = std::min(128, std::max(0, params.contrastLevels));
    const int feature = std::min(std::max(w, h), std::max(1, params.featurePx));
    // Whole cells per side; a second octave at twice the rate adds detail.
    const int cellsX = std::max(1, static_cast<int>(std::lround(double(w) / feature)));
    const int cellsY = std::max(1, static_cast<int>(std::lround(double(h) / feature)));

    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double n = 0.7 * LatticeNoise(x, y, w, h, cellsX, cellsY, params.seed) +
                       0.3 * LatticeNoise(x, y, w, h, cellsX * 2, cellsY * 2, params.seed + 1);
            double grain = (Unit(Hash(x, y, params.seed + 2)) - 0.5) * kGrainLevels;
            double delta = (n - 0.5) * contrast + grain;
            pixels[static_cast<size_t>(y) * w + x] =
                Rgb(ClampLevel(kBaseRed + delta), ClampLevel(kBaseGreen + delta), ClampLevel(kBaseBlue + delta));
        }
    }
    return pixels;
}

std::vector<uint32_t> ShadeTexture(const std::vector<uint32_t>& pixels, int percent)
{
    const int keep = 100 - std::min(100, std::max(0, percent));
    std::vector<uint32_t> out(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        uint32_t p = pixels[i];
        out[i] = Rgb(((p >> 16) & 0xFF) * keep / 100, ((p >> 8) & 0xFF) * keep / 100, (p & 0xFF) * keep / 100);
    }
    return out;
}
