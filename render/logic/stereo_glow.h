// render/logic/stereo_glow.h -- the numbers of the two optional frame stages: the stereo eye
// offsets, viewports and marker sizes, and the glow's size limits and sample quads; no GL.
#pragma once

namespace render {

// Half the distance between the eyes, in world units.
constexpr float stereoEyeOffset = 5.0f;

// The x translation put first on the view of `eye` (0: the first view, the left half; 1: the
// second, the right half). Parallel viewing gives the left half the left eye (+5) and crossed
// viewing the right eye (-5); 0 when stereo is off or the eye is neither.
float stereoEyeShift(int stereoMode, int eye);

struct ViewRect {
    int x, y, width, height;
};

// The viewport of a stereo view: half the render width (integer division), the full height,
// the second view starting at that half width.
ViewRect stereoViewRect(int renderWidth, int renderHeight, int eye);

// Point size of a light marker; the selected light's is one pixel smaller in the second view.
float lightMarkerSize(bool selected, int eye);

// The glow's capture texture and the blurred corner it is shrunk into, in pixels.
constexpr int glowCaptureSize = 1024;
constexpr int glowBlurSize = 64;

// Whether the glow runs over a render region of w x h: it must be switched on, the driver must
// offer combiners and texture units, and the picture must fit the capture texture while
// covering the blurred corner (a smaller picture would copy pixels the window does not have).
bool glowApplies(int glowOn, bool hasEnvCombine, bool hasMultitexture, int width, int height);

// Texture coordinates of the four quads that shrink the captured picture into the blurred
// corner: the picture's part of the capture texture (w/1024 by h/1024) shifted by a quarter
// pixel's worth of texture coordinate, b = 1/(4w) across and a = 1/(4h) up, to the lower
// left, lower right, upper left and upper right. Each quad lists its corners counter-clockwise
// from the lower left, as (s, t).
struct GlowSampleQuads {
    float texCoords[4][4][2];
};
GlowSampleQuads glowSampleQuads(int width, int height);

// Weight of each of the four samples: together they give 1.8 times their average.
constexpr float glowSampleWeight = 0.45f;
// The blurred copy minus this is laid over the picture at half strength.
constexpr float glowThreshold = 0.25f;
constexpr float glowBlend = 0.5f;

} // namespace render
