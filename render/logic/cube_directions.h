// render/logic/cube_directions.h -- the texels of the normalisation cube map: the unit
// direction through each texel's centre, packed into three bytes; no GL.
#pragma once

#include <cstdint>
#include <vector>

namespace render {

// Faces in the order of the cube-map targets: +X, -X, +Y, -Y, +Z, -Z.
constexpr int kCubeFaces = 6;

// The unit direction through the centre of texel (column, row) of `face` on a cube of
// size x size texels per face. (0, 0, 0) for a face outside 0..5 or a size below 1.
void cubeFaceDirection(int face, int size, int column, int row, float out[3]);

// A unit vector component packed as trunc(c * 127 + 128): -1 gives 1, 0 gives 128, +1 gives 255.
uint8_t packUnitComponent(float c);

// One face of the normalisation cube map: size x size RGB texels, columns fastest, each
// holding the packed direction through its centre. Empty for a bad face or size.
std::vector<uint8_t> normalisationCubeFace(int face, int size);

} // namespace render
