// tests/gl/render_passes_test.cpp -- the renderer's passes called directly on an offscreen
// context (Mesa), pixels, depths and textures read back; the state kept around the panel; and
// the window's key mapping.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#include "model/model.h"
#include "model/normal_map.h"
#include "platform/sdl_window.h"
#include "render/frame_passes.h"
#include "render/frame_state.h"
#include "render/gl_extensions.h"
#include "render/panel_gl_state.h"
#include "render/texture_upload.h"
#include "tests/gl/gl_checks.h"

namespace {

constexpr int kSize = 64, kMid = kSize / 2;

OffscreenGl gl;
bool ready = false;
struct OffscreenContext : ::testing::Environment {
    void SetUp() override { ready = openProbed(gl, "render passes", kSize, kSize); }
    void TearDown() override { gl.close(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new OffscreenContext);

#define REQUIRE_CONTEXT() \
    if (!ready) GTEST_SKIP() << "no OpenGL context on the offscreen driver"

float depthAt(int x, int y) {
    float d = -1;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &d);
    return d;
}

void expectColour(Rgba got, int r, int g, int b, int tolerance, const char* where) {
    EXPECT_NEAR(got.r, r, tolerance) << where;
    EXPECT_NEAR(got.g, g, tolerance) << where;
    EXPECT_NEAR(got.b, b, tolerance) << where;
}

// The frame state cleared to black at depth 1; an orthographic [-1, 1]^3 where depth = (1 - z) / 2.
void beginFrame() {
    orthoView(kSize, -1, 1, -1, 1, 1);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    render::setFrameState(probedCapabilities());
}

TgaImage image(int width, int height, int bits, std::vector<uint8_t> pixels) {
    TgaImage img;
    img.imageType = 2;
    img.width = static_cast<int16_t>(width);
    img.height = static_cast<int16_t>(height);
    img.bitsPerPixel = static_cast<uint8_t>(bits);
    img.pixels = std::move(pixels);
    return img;
}

void drawAmbient(Model& model, float r, float g, float b) {
    const float ambient[4] = {r, g, b, 1};
    render::drawAmbientPass(model, ambient, probedCapabilities());
}

} // namespace

TEST(AmbientPass, TexelTimesAmbientColourWhereTheModelStandsAndDepthOnlyThere) {
    REQUIRE_CONTEXT();
    Model model;
    makeSquare(model, 0.5f, 0.2f);
    model.hasDiffuse[0] = 1;
    std::vector<uint8_t> texels;
    for (int i = 0; i < 4; ++i) texels.insert(texels.end(), {200, 100, 160, 255});
    model.diffuseImage[0] = image(2, 2, 32, texels);
    render::uploadModelTextures(model);
    beginFrame();
    drawAmbient(model, 0.5f, 0.25f, 1.0f);
    expectColour(pixelAt(kMid, kMid), 100, 25, 160, 2, "centre");
    expectColour(pixelAt(2, 2), 0, 0, 0, 0, "corner");
    EXPECT_NEAR(depthAt(kMid, kMid), 0.4f, 1e-3f);
    EXPECT_EQ(depthAt(2, 2), 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(AmbientPass, UntexturedInTheAmbientColourAndSpecularOnlySurfacesLeftOut) {
    REQUIRE_CONTEXT();
    Model model;
    makeSquare(model, 0.5f, 0.0f);
    beginFrame();
    // A black texture left enabled on unit 1 by an earlier pass must not darken the picture.
    GLuint black = 0;
    if (probedCapabilities().hasMultitexture) {
        const uint8_t texel[3] = {0, 0, 0};
        render::ext::glActiveTextureARB(GL_TEXTURE1_ARB);
        glGenTextures(1, &black);
        glBindTexture(GL_TEXTURE_2D, black);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
        glEnable(GL_TEXTURE_2D);
        render::ext::glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    drawAmbient(model, 0.2f, 0.4f, 0.6f);
    expectColour(pixelAt(kMid, kMid), 51, 102, 153, 2, "plain");
    if (black) glDeleteTextures(1, &black);
    expectStates({{GL_DEPTH_FUNC, GL_LESS}, {GL_DEPTH_WRITEMASK, GL_TRUE}, {GL_BLEND, GL_FALSE},
                  {GL_ACTIVE_TEXTURE_ARB, GL_TEXTURE0_ARB}});
    expectModulateAndColourWrites();

    model.hasSpecular[0] = 1; // a highlight-only surface writes neither colour nor depth
    beginFrame();
    drawAmbient(model, 0.2f, 0.4f, 0.6f);
    expectColour(pixelAt(kMid, kMid), 0, 0, 0, 0, "specular only");
    EXPECT_EQ(depthAt(kMid, kMid), 1.0f);

    // A skinned model is wound clockwise: the same counter-clockwise square is its back.
    model.hasSpecular[0] = 0;
    model.joints.resize(1);
    beginFrame();
    drawAmbient(model, 0.2f, 0.4f, 0.6f);
    expectColour(pixelAt(kMid, kMid), 0, 0, 0, 0, "culled");
}

TEST(TextureUpload, BottomRowLandsAtTheBottomAndOddRowsStayAligned) {
    REQUIRE_CONTEXT();
    Model model;
    makeSquare(model, 1.0f, 0.0f);
    model.hasDiffuse[0] = 1;
    // 24-bit rows of 6 bytes: red, green along the bottom; blue, white along the top.
    model.diffuseImage[0] = image(2, 2, 24, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
    render::uploadModelTextures(model);
    beginFrame();
    drawAmbient(model, 1, 1, 1);
    const int lo = kSize / 4, hi = 3 * kSize / 4;
    expectColour(pixelAt(lo, lo), 255, 0, 0, 8, "bottom left");
    expectColour(pixelAt(hi, lo), 0, 255, 0, 8, "bottom right");
    expectColour(pixelAt(lo, hi), 0, 0, 255, 8, "top left");
    expectColour(pixelAt(hi, hi), 255, 255, 255, 8, "top right");
}

TEST(TextureUpload, AlphaKeptAndNormalMapCarriesItsOwnMipChain) {
    REQUIRE_CONTEXT();
    Model model;
    ASSERT_TRUE(model.allocateMeshes(1));
    model.hasDiffuse[0] = 1;
    model.diffuseImage[0] = image(1, 1, 32, {10, 20, 30, 40});
    // A 4 x 2 normal map whose neighbours point apart: their box average is shorter than 1.
    std::vector<uint8_t> texels;
    for (int i = 0; i < 8; ++i)
        texels.insert(texels.end(), {static_cast<uint8_t>(i % 2 ? 218 : 38), 128, 218, static_cast<uint8_t>(i * 30)});
    model.normalImage[0] = buildNormalMipChain(image(4, 2, 32, texels));
    ASSERT_EQ(model.normalImage[0].size(), 3u);
    render::uploadModelTextures(model);

    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    uint8_t diffuse[4] = {};
    glBindTexture(GL_TEXTURE_2D, model.diffuseTex[0]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, diffuse);
    EXPECT_EQ(diffuse[3], 40);

    glBindTexture(GL_TEXTURE_2D, model.normalTex[0]);
    for (int level = 0; level < 3; ++level) {
        const TgaImage& expected = model.normalImage[0][static_cast<size_t>(level)];
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w * 100 + h, expected.width * 100 + expected.height) << "level " << level;
        std::vector<uint8_t> got(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, got.data());
        EXPECT_EQ(got, expected.pixels) << "level " << level;
    }
    // The renormalised level 1 keeps unit length where a box filter would have shrunk z.
    EXPECT_EQ(model.normalImage[0][1].pixels[2], 255);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST(TextureUpload, ReleaseAndReuploadDeleteTheNamesTheyMade) {
    REQUIRE_CONTEXT();
    render::installTextureDeleter();
    Model model;
    ASSERT_TRUE(model.allocateMeshes(2));
    for (size_t m = 0; m < 2; ++m) {
        model.hasDiffuse[m] = model.hasSpecular[m] = 1;
        model.diffuseImage[m] = model.specularImage[m] = image(1, 1, 24, {1, 2, 3});
        model.normalImage[m] = buildNormalMipChain(image(1, 1, 32, {128, 128, 255, 255}));
    }
    render::uploadModelTextures(model);
    auto names = [&] {
        std::vector<GLuint> all;
        for (size_t m = 0; m < 2; ++m) all.insert(all.end(), {model.diffuseTex[m], model.specularTex[m], model.normalTex[m]});
        return all;
    };
    for (GLuint name : names()) EXPECT_TRUE(glIsTexture(name)) << name;
    // A second upload of mesh 0 (a texture chosen again) replaces its names.
    const GLuint oldDiffuse = model.diffuseTex[0];
    render::uploadMeshTextures(model, 0);
    EXPECT_FALSE(glIsTexture(oldDiffuse));
    const std::vector<GLuint> current = names();
    model.release();
    for (GLuint name : current) EXPECT_FALSE(glIsTexture(name)) << name;
    setTextureDeleter(nullptr);
}

TEST(NormalisationCube, CentreTexelOfEachFaceIsItsAxis) {
    REQUIRE_CONTEXT();
    if (!probedCapabilities().hasCubeMap) GTEST_SKIP() << "the driver has no cube maps";
    const int axes[6][3] = {{255, 128, 128}, {1, 128, 128}, {128, 255, 128},
                            {128, 1, 128},   {128, 128, 255}, {128, 128, 1}};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int size : {3, 128}) {
        GLuint tex = 0;
        glGenTextures(1, &tex);
        glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, tex);
        glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        render::buildNormalisationCubeMap(size);
        GLint minFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, GL_LINEAR);
        std::vector<uint8_t> face(static_cast<size_t>(size * size * 3));
        const size_t centre = static_cast<size_t>(((size / 2) * size + size / 2) * 3);
        for (int f = 0; f < 6; ++f) {
            glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + static_cast<GLenum>(f), 0, GL_RGB, GL_UNSIGNED_BYTE,
                          face.data());
            for (size_t k = 0; k < 3; ++k)
                EXPECT_NEAR(face[centre + k], axes[f][k], size % 2 ? 0 : 1) << "face " << f << " size " << size;
        }
        glDeleteTextures(1, &tex);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(SkeletonMarkers, BonesAndAxesInFrontOfTheModelWithoutWritingDepth) {
    REQUIRE_CONTEXT();
    Model wall;
    makeSquare(wall, 1.0f, 0.5f); // fills the depth buffer in front of the skeleton
    Model skeleton;
    skeleton.joints.resize(2);
    // Axes half a unit long; joints at the pixel centres (16.5, 16.5) and (48.5, 48.5).
    for (Joint& j : skeleton.joints) j.rot[0] = j.rot[4] = j.rot[8] = 0.25f;
    skeleton.joints[0].parent = -1;
    skeleton.joints[1].parent = 0;
    skeleton.joints[0].pos[0] = skeleton.joints[0].pos[1] = 2 * 16.5f / kSize - 1;
    skeleton.joints[1].pos[0] = skeleton.joints[1].pos[1] = 2 * 48.5f / kSize - 1;
    beginFrame();
    drawAmbient(wall, 0, 0, 0);
    render::drawSkeleton(skeleton);
    expectColour(pixelAt(32, 32), 153, 153, 255, 3, "bone");
    expectColour(pixelAt(20, 16), 255, 0, 0, 3, "red axis of joint 0");
    expectColour(pixelAt(16, 20), 0, 255, 0, 3, "green axis of joint 0");
    expectColour(pixelAt(48, 52), 0, 255, 0, 3, "green axis of joint 1");
    expectColour(pixelAt(52, 48), 255, 0, 0, 3, "red axis of joint 1");
    EXPECT_NEAR(depthAt(32, 32), 0.25f, 1e-3f); // still the wall's
    expectStates({{GL_DEPTH_FUNC, GL_LESS}, {GL_TEXTURE_2D, GL_TRUE}});
}

TEST(SkeletonMarkers, CameraFrustumNearRectangleInWhite) {
    REQUIRE_CONTEXT();
    Model camera;
    camera.joints.resize(1);
    camera.cameraJoint = 0;
    // c0 along -z (towards the viewer), c1 along x, c2 along y: the near rectangle spans half the view.
    const float rot[9] = {0, 0, -0.1f, 0.25f, 0, 0, 0, 0.25f, 0};
    std::copy(rot, rot + 9, camera.joints[0].rot);
    camera.joints[0].pos[0] = camera.joints[0].pos[1] = 1.0f / kSize; // edges on pixel centres
    beginFrame();
    render::drawCameraJoints(camera);
    expectColour(pixelAt(16, 32), 255, 255, 255, 3, "near rectangle's left edge");
    expectColour(pixelAt(kMid, kMid), 0, 0, 0, 0, "inside");
    expectStates({{GL_LINE_WIDTH, 1}});
}

TEST(SdlKeys, KeypadArrowsAndPagesActAsTheMainKeys) {
    const int pairs[][2] = {{SDLK_KP_8, SDLK_UP},   {SDLK_KP_2, SDLK_DOWN},   {SDLK_KP_4, SDLK_LEFT},
                            {SDLK_KP_6, SDLK_RIGHT}, {SDLK_KP_9, SDLK_PAGEUP}, {SDLK_KP_3, SDLK_PAGEDOWN}};
    for (const auto& pair : pairs) {
        EXPECT_NE(platform::virtualKeyFromSdl(pair[1]), 0);
        EXPECT_EQ(platform::virtualKeyFromSdl(pair[0]), platform::virtualKeyFromSdl(pair[1])) << pair[0];
    }
}

// Matrices, client arrays, attributes, the viewport and the clear colour come back after the panel.
TEST(PanelGlState, PutsBackWhatThePanelChanges) {
    REQUIRE_CONTEXT();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glEnableClientState(GL_NORMAL_ARRAY);
    glDepthMask(GL_FALSE);
    glViewport(0, 0, 17, 19);
    glClearColor(0.25f, 0.5f, 0.75f, 0.0f);
    {
        render::PanelGlState saved;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glDepthMask(GL_TRUE);
        glEnable(GL_SCISSOR_TEST);
        render::clearForChooser(8, 8);
        glMatrixMode(GL_TEXTURE);
    }
    expectStates({{GL_MATRIX_MODE, GL_MODELVIEW}, {GL_NORMAL_ARRAY, GL_TRUE}, {GL_COLOR_ARRAY, GL_FALSE},
                  {GL_SCISSOR_TEST, GL_FALSE}, {GL_DEPTH_WRITEMASK, GL_FALSE}, {GL_MODELVIEW_STACK_DEPTH, 1}});
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12] + 10 * m[13] + 100 * m[14], 321.0f);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2] * 100 + viewport[3], 1719);
    float clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[2], 0.75f);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDepthMask(GL_TRUE);
    glLoadIdentity();
    glViewport(0, 0, kSize, kSize);
    glClearColor(0, 0, 0, 0);
}
