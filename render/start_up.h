// render/start_up.h -- the GL work of start-up: the driver's strings and framebuffer, the
// loading screen, the clear colour, and the normalisation cube map and glow targets.
#pragma once

struct GlCapabilities;

namespace render {

// The driver's identification (vendor, renderer, version, extensions); null members where
// the driver gives none.
struct DriverStrings {
    const char* vendor = nullptr;
    const char* renderer = nullptr;
    const char* version = nullptr;
    const char* extensions = nullptr;
};
DriverStrings driverStrings();

// Red, green, blue and alpha bits of the framebuffer together.
int framebufferColourBits();

void setClearColour(const float colour[4]);

// The loading screen in two steps around the window's own clearing of its panel strip:
// colour, depth and stencil cleared to `background`, then "Loading..." in white at text
// row 2, column 0.
void clearLoadingScreen(const float background[4]);
void printLoadingText(unsigned int fontBase);

// The normalisation cube map on unit 1 (linear, mipmapped, 128 texels a side), unit 0
// active afterwards; 0 without dot3, cube maps or multitexture.
unsigned int createNormalisationCubeTexture(const GlCapabilities& caps);

// 2D texturing on and the two glow targets made, when the driver has the combiners and the
// units the glow needs; else the names stay 0.
void createGlowTargets(const GlCapabilities& caps, unsigned int& glowTex1024, unsigned int& glowTex64);

} // namespace render
