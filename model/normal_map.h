// model/normal_map.h -- a mesh's normal map built on the CPU from a height map and/or a
// tangent-space normal map, and its renormalised mip chain; no GL.
#pragma once

#include <cstdint>
#include <vector>

#include "model/tga_image.h"

// Height differences of neighbouring texels (heights in 0..1) are multiplied by this.
constexpr float kBumpStrength = 7.0f;

// The images a normal map is made from; null where not found.
struct NormalMapSources {
    const TgaImage* height = nullptr;  // H: 8-bit grey or 24/32-bit colour
    const TgaImage* local = nullptr;   // L: tangent-space normal map
    const TgaImage* diffuse = nullptr; // its alpha, when 32-bit, wins over the others
};

// Level 0 of the normal map: RGBA texels (x in R, y in G, z in B, 128 is zero), the size of
// H when there is one, else of L. An empty image when neither can give one (no H and no L,
// or only an L that is not 24 or 32 bits).
TgaImage buildNormalMap(const NormalMapSources& sources);

// One mip level: max(1, width/2) x max(1, height/2) texels, each the renormalised sum of a
// 2 x 2 block (wrapping at the edges) with the mean alpha. Odd sizes drop the last column or
// row instead of writing past the result. Empty when `texels` is not width x height x 4.
std::vector<uint8_t> buildNormalMipLevel(int width, int height, const std::vector<uint8_t>& texels);

// Level 0 followed by every mip level down to 1 x 1.
std::vector<TgaImage> buildNormalMipChain(TgaImage level0);
