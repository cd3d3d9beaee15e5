// tests/stereo_glow_test.cpp -- the numbers of stereo and the glow: eye offsets, viewports,
// marker sizes, when the glow runs and where it samples.
#include <gtest/gtest.h>

#include <vector>

#include "render/logic/stereo_glow.h"

TEST(StereoNumbers, EyeShiftsViewportsAndMarkers) {
    struct Eyes {
        int mode;
        float first, second;
    } eyes[] = {{0, 0, 0}, {1, 5, -5}, {2, -5, 5}, {3, 0, 0}, {-1, 0, 0}}; // crossed swaps the eyes
    for (const Eyes& c : eyes) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(render::stereoEyeShift(c.mode, 0), c.first);
        EXPECT_EQ(render::stereoEyeShift(c.mode, 1), c.second);
        EXPECT_EQ(render::stereoEyeShift(c.mode, 2), 0.0f);
    }
    // Half the render width in integer division, the full height.
    struct View {
        int width, height, eye, x, w;
    } views[] = {{640, 480, 0, 0, 320}, {640, 480, 1, 320, 320}, {641, 300, 1, 320, 320}, {1, 1, 1, 0, 0}};
    for (const View& c : views) {
        const render::ViewRect got = render::stereoViewRect(c.width, c.height, c.eye);
        EXPECT_EQ(std::vector<int>({got.x, got.y, got.width, got.height}), std::vector<int>({c.x, 0, c.w, c.height}))
            << c.width << " eye " << c.eye;
    }
    // The selected light's marker is one pixel smaller in the second view.
    EXPECT_EQ(render::lightMarkerSize(true, 0), 8.0f);
    EXPECT_EQ(render::lightMarkerSize(true, 1), 7.0f);
    EXPECT_EQ(render::lightMarkerSize(false, 1), 5.0f);
}

TEST(GlowNumbers, RunsOnlyWhenOnSupportedAndTheCaptureTextureHoldsThePicture) {
    struct Case {
        int glowOn;
        bool combine, multitexture;
        int width, height;
        bool applies;
    } cases[] = {
        {1, true, true, 640, 480, true},    {1, true, true, 1024, 768, true},  {1, true, true, 1024, 1024, true},
        {1, true, true, 1025, 768, false},  {1, true, true, 768, 1025, false}, {0, true, true, 640, 480, false},
        {2, true, true, 640, 480, false},   {1, false, true, 640, 480, false}, {1, true, false, 640, 480, false},
        // Smaller than the blurred corner: its copy would read pixels the window lacks.
        {1, true, true, 64, 64, true},      {1, true, true, 63, 480, false},   {1, true, true, 640, 40, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(render::glowApplies(c.glowOn, c.combine, c.multitexture, c.width, c.height), c.applies)
            << c.glowOn << " " << c.combine << c.multitexture << " " << c.width << "x" << c.height;
}

TEST(GlowNumbers, FourSamplesAQuarterPixelAroundThePicturesPartOfTheTexture) {
    const int w = 640, h = 480;
    const float a = 1.0f / (4 * h), b = 1.0f / (4 * w), right = w / 1024.0f, top = h / 1024.0f;
    render::GlowSampleQuads quads = render::glowSampleQuads(w, h);
    const float shifts[4][2] = {{-b, -a}, {b, -a}, {-b, a}, {b, a}};
    const float corners[4][2] = {{0, 0}, {right, 0}, {right, top}, {0, top}};
    for (int q = 0; q < 4; ++q)
        for (int c = 0; c < 4; ++c) {
            EXPECT_FLOAT_EQ(quads.texCoords[q][c][0], corners[c][0] + shifts[q][0]) << q << "," << c;
            EXPECT_FLOAT_EQ(quads.texCoords[q][c][1], corners[c][1] + shifts[q][1]) << q << "," << c;
        }
    // A full-size picture reaches the texture's far edge, give or take the shift.
    render::GlowSampleQuads full = render::glowSampleQuads(1024, 1024);
    EXPECT_FLOAT_EQ(full.texCoords[3][2][0], 1.0f + 1.0f / 4096);
}
