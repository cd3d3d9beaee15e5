// render/logic/stereo_glow.cpp -- stereo eye offsets and viewports, glow limits and sample
// quads; no GL.
#include "render/logic/stereo_glow.h"

namespace render {

float stereoEyeShift(int stereoMode, int eye) {
    if (eye != 0 && eye != 1) return 0.0f;
    const float leftEye = stereoEyeOffset, rightEye = -stereoEyeOffset;
    switch (stereoMode) {
    case 1: return eye == 0 ? leftEye : rightEye;
    case 2: return eye == 0 ? rightEye : leftEye;
    default: return 0.0f;
    }
}

ViewRect stereoViewRect(int renderWidth, int renderHeight, int eye) {
    const int half = renderWidth / 2;
    return {eye == 1 ? half : 0, 0, half, renderHeight};
}

float lightMarkerSize(bool selected, int eye) {
    if (!selected) return 5.0f;
    return eye == 1 ? 7.0f : 8.0f;
}

bool glowApplies(int glowOn, bool hasEnvCombine, bool hasMultitexture, int width, int height) {
    if (glowOn != 1 || !hasEnvCombine || !hasMultitexture) return false;
    return width >= glowBlurSize && height >= glowBlurSize && width <= glowCaptureSize &&
           height <= glowCaptureSize;
}

GlowSampleQuads glowSampleQuads(int width, int height) {
    const float a = 1.0f / (4.0f * static_cast<float>(height));
    const float b = 1.0f / (4.0f * static_cast<float>(width));
    const float w = static_cast<float>(width) / glowCaptureSize, h = static_cast<float>(height) / glowCaptureSize;
    const float shifts[4][2] = {{-b, -a}, {b, -a}, {-b, a}, {b, a}};
    const float corners[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    GlowSampleQuads quads{};
    for (int q = 0; q < 4; ++q)
        for (int c = 0; c < 4; ++c) {
            quads.texCoords[q][c][0] = corners[c][0] + shifts[q][0];
            quads.texCoords[q][c][1] = corners[c][1] + shifts[q][1];
        }
    return quads;
}

} // namespace render
