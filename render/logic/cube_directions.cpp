// render/logic/cube_directions.cpp -- the texels of the normalisation cube map; no GL.
#include "render/logic/cube_directions.h"

#include <cmath>

namespace render {

void cubeFaceDirection(int face, int size, int column, int row, float out[3]) {
    out[0] = out[1] = out[2] = 0;
    if (face < 0 || face >= kCubeFaces || size < 1) return;
    const float s = 2.0f * (static_cast<float>(column) + 0.5f) / static_cast<float>(size) - 1.0f;
    const float t = 2.0f * (static_cast<float>(row) + 0.5f) / static_cast<float>(size) - 1.0f;
    // Each face's (s, t) runs the way the cube-map targets address their texels.
    const float directions[kCubeFaces][3] = {
        {1, -t, -s}, {-1, -t, s}, {s, 1, t}, {s, -1, -t}, {s, -t, 1}, {-s, -t, -1},
    };
    const float* d = directions[face];
    const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    for (int k = 0; k < 3; ++k) out[k] = d[k] / length;
}

uint8_t packUnitComponent(float c) {
    float byte = c * 127.0f + 128.0f;
    if (byte < 0.0f) byte = 0.0f;
    if (byte > 255.0f) byte = 255.0f;
    return static_cast<uint8_t>(byte);
}

std::vector<uint8_t> normalisationCubeFace(int face, int size) {
    if (face < 0 || face >= kCubeFaces || size < 1) return {};
    std::vector<uint8_t> texels(static_cast<size_t>(size) * static_cast<size_t>(size) * 3);
    size_t at = 0;
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column) {
            float d[3];
            cubeFaceDirection(face, size, column, row, d);
            for (float c : d) texels[at++] = packUnitComponent(c);
        }
    return texels;
}

} // namespace render
