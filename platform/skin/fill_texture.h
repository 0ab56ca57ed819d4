// The background tile of CreateFillBmp as plain pixels (portable, so that
// its seamless tiling and its calm can be checked natively).
//
// The texture is smooth value noise on a lattice that wraps around the tile's
// edges, so the tile repeats without a visible seam, plus a faint per-pixel
// grain: a quiet paper-like surface around a pale blue-grey.
#pragma once

#include <cstdint>
#include <vector>

struct FillTextureParams {
    int widthPx = 128;
    int heightPx = 128;
    // Peak-to-peak brightness variation of the smooth noise, in levels of
    // 0..255 (CreateFillBmp's third integer; 30 gives a quiet surface).
    int contrastLevels = 30;
    // Approximate size of the texture's features in pixels (the fourth
    // integer). The lattice is rounded so that whole cells fit the tile.
    int featurePx = 15;
    // Seed of the noise (the fifth integer); 0 is as good as any other.
    uint32_t seed = 0;
};

// Pixels row by row from the top, each 0x00RRGGBB (the layout of a 32-bit
// DIB). Empty when a size is not positive. Sizes above 4096 are cut to 4096;
// contrast is held to 0..128, feature size to 1..the tile size.
std::vector<uint32_t> MakeFillTexture(const FillTextureParams& params);

// The same pixels scaled darker by percent (0..100), for the second tile.
std::vector<uint32_t> ShadeTexture(const std::vector<uint32_t>& pixels, int percent);
