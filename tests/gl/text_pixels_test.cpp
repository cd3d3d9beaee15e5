// tests/gl/text_pixels_test.cpp -- the texture text against the glBitmap text it replaces, the
// overlay drawn both ways and colour and depth compared byte for byte.
#include <cstring>
#include <string>
#include <vector>

#include "app/text_lines.h"
#include "render/bitmap_font.h"
#include "tests/gl/bitmap_text_reference.h"
#include "tests/gl/gl_checks.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

struct Picture { std::vector<unsigned char> rgba; std::vector<unsigned int> depth; };

Picture readPicture() {
    Picture p;
    p.rgba.resize(static_cast<size_t>(kWidth * kHeight * 4));
    p.depth.resize(static_cast<size_t>(kWidth * kHeight));
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, p.rgba.data());
    glReadPixels(0, 0, kWidth, kHeight, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, p.depth.data());
    return p;
}

int differingPixels(const Picture& a, const Picture& b) {
    int n = 0;
    for (size_t i = 0; i < a.depth.size(); ++i)
        if (memcmp(&a.rgba[i * 4], &b.rgba[i * 4], 4) != 0 || a.depth[i] != b.depth[i]) ++n;
    return n;
}

// Colour, alpha and depth vary across the window; the depth crosses the text's (0.5), hiding its left part.
void drawBackground() {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.1f, 0.2f, 0.3f, 0.4f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glDisable(GL_CULL_FACE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    const float corners[4][7] = {{0.9f, 0.1f, 0.3f, 0.2f, -1, -1, -0.6f}, {0.2f, 0.8f, 0.1f, 0.9f, 0.8f, -1, 0.4f},
                                 {0.1f, 0.3f, 0.9f, 0.6f, 0.8f, 1, 0.4f}, {0.6f, 0.6f, 0.2f, 0.1f, -1, 1, -0.6f}};
    glBegin(GL_QUADS);
    for (const float* c : corners) glColor4fv(c), glVertex3fv(c + 4);
    glEnd();
}

// The state in which the frame prints its text.
void setFrameState(const int viewport[4]) {
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glDisable(GL_TEXTURE_2D);
}

// The status line, the hint and the key list, shifted by a part of a cell.
template <typename Print>
void printOverlay(Print print, float columnShift, float rowShift) {
    std::string status = formatStatusLine(3, "models/creature.md5mesh", true, 0.25f);
    print(status.c_str(), columnShift, 1 + rowShift);
    for (const TextLine& line : hintLines) print(line.text, columnShift, static_cast<float>(line.row) + rowShift);
    for (const TextLine& line : helpLines) print(line.text, 7 + columnShift, static_cast<float>(line.row) + rowShift);
    print("\x01\x7f\xff~ bytes outside 32..127", 20 + columnShift, 1 + rowShift);
}

struct TextCase {
    const char* name; int viewport[4]; float columnShift, rowShift, colour[4]; bool alphaTest, drawsSomething;
};

const TextCase kCases[] = {
    {"the frame's white", {0, 0, kWidth, kHeight}, 0, 0, {1, 1, 1, 1}, true, true},
    {"between pixels", {0, 0, kWidth, kHeight}, 0.37f, 0.61f, {1, 0.5f, 0.25f, 1}, true, true},
    {"half a pixel", {0, 0, kWidth, kHeight}, 0.5f / 22.4f, 0.5f / 16.8f, {0, 0, 0, 1}, true, true},
    {"translucent, no alpha test", {0, 0, kWidth, kHeight}, 0.5f, 0.25f, {0.3f, 0.6f, 0.9f, 0.75f}, false, true},
    {"translucent under the frame's alpha test", {0, 0, kWidth, kHeight}, 0.1f, 0.2f, {1, 1, 1, 0.4f}, true, false},
    {"offset viewport", {100, 50, 400, 300}, 0.25f, 0.75f, {1, 1, 0, 1}, true, true},
    {"start left of the viewport", {0, 0, kWidth, kHeight}, -21.0f, 0.5f, {1, 1, 1, 1}, true, false},
};

} // namespace

TEST(TextPixels, SamePixelsAndDepthsAsGlBitmapText) {
    OffscreenGl gl;
    const bool open = gl.open("text pixels", kWidth, kHeight);
    const unsigned int textureFont = open ? render::buildFont("Arial", 16) : 0;
    const unsigned int bitmapFont = open ? reference::buildBitmapFont("Arial", 16) : 0;
    if (textureFont == 0 || bitmapFont == 0) GTEST_SKIP() << "no offscreen context or no font";
    drawBackground();
    Picture background = readPicture();
    for (const TextCase& c : kCases) {
        SCOPED_TRACE(c.name);
        Picture pictures[2];
        for (int way = 0; way < 2; ++way) {
            drawBackground();
            setFrameState(c.viewport);
            if (!c.alphaTest) glDisable(GL_ALPHA_TEST);
            glColor4fv(c.colour);
            printOverlay(
                [&, way](const char* t, float x, float y) {
                    way ? render::printText(textureFont, t, x, y) : reference::printBitmapText(bitmapFont, t, x, y);
                },
                c.columnShift, c.rowShift);
            pictures[way] = readPicture();
        }
        EXPECT_EQ(differingPixels(pictures[0], pictures[1]), 0);
        const int written = differingPixels(background, pictures[1]);
        EXPECT_TRUE(c.drawsSomething ? written > 2000 : written == 0) << written << " pixels written";
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    render::deleteFont(textureFont);
    reference::deleteBitmapFont(bitmapFont);
    gl.close();
}
