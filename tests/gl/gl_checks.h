// tests/gl/gl_checks.h -- shared by the pixel tests: the context opened and probed, pixels and GL
// state read back, capability lists applied, an image and a square mesh.
#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "model/model.h"
#include "render/gl_probe.h"
#include "render/logic/capability_probe.h"
#include "tests/gl/offscreen_gl.h"

#define REQUIRE_CONTEXT() \
    if (!SDL_GL_GetCurrentContext()) GTEST_SKIP() << "no OpenGL context on the offscreen driver"

// The hidden window opened and the driver probed; false when there is no context.
inline bool openProbed(OffscreenGl& gl, const char* title, int width, int height) {
    if (!gl.open(title, width, height)) return false;
    render::probeGlCapabilities([](const char* name) { return SDL_GL_GetProcAddress(name); }, false);
    return true;
}

// A viewport of width x height pixels onto glOrtho(left, right, bottom, top, -depth, depth); identity model-view.
inline void orthoView(int width, int height, double left, double right, double bottom, double top, double depth) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, -depth, depth);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

struct Rgba { int r, g, b, a; };

inline Rgba pixelAt(int x, int y) {
    unsigned char p[4] = {};
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}

// The back buffer's RGB from the bottom-left corner, rows packed.
inline std::vector<unsigned char> readRgb(int width, int height) {
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// Each (state, value) read back with glGetIntegerv.
inline void expectStates(std::initializer_list<std::pair<GLenum, GLint>> states, const std::string& where = "") {
    for (const auto& [name, want] : states) {
        GLint value = -1;
        glGetIntegerv(name, &value);
        EXPECT_EQ(value, want) << where << ": state 0x" << std::hex << name;
    }
}

inline void expectModulateAndColourWrites(const std::string& where = "") {
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE) << where;
    GLboolean mask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]) << where;
}

inline GlCapabilities limited(const std::string& list) {
    GlCapabilities caps = probedCapabilities();
    std::string log, error;
    EXPECT_TRUE(applyCapabilityLimits(list, caps, log, error)) << error;
    return caps;
}

// An uncompressed true-colour image of `bits` per pixel.
inline TgaImage tgaImage(int width, int height, int bits, std::vector<uint8_t> pixels) {
    TgaImage img;
    img.imageType = 2;
    img.width = static_cast<int16_t>(width), img.height = static_cast<int16_t>(height);
    img.bitsPerPixel = static_cast<uint8_t>(bits);
    img.pixels = std::move(pixels);
    return img;
}

// A static square from (-h, -h) to (h, h) at height z, counter-clockwise from +z, uv 0..1.
inline void makeSquare(Model& model, float h, float z) {
    ASSERT_TRUE(model.allocateMeshes(1));
    model.meshLoaded[0] = 1;
    model.verts[0].resize(4);
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (size_t i = 0; i < 4; ++i) {
        Vertex& v = model.verts[0][i];
        v.pos[0] = h * corners[i][0], v.pos[1] = h * corners[i][1], v.pos[2] = z;
        v.u = (corners[i][0] + 1) / 2, v.v = (corners[i][1] + 1) / 2;
    }
    model.numVerts[0] = 4;
    model.indices[0] = {0, 1, 2, 0, 2, 3};
}
