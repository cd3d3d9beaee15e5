// tests/gl/render_passes_test.cpp -- the renderer's passes called directly on an offscreen
// context (Mesa), pixels, depths and textures read back.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>
#include <vector>

#include "model/model.h"
#include "model/normal_map.h"
#include "render/frame_passes.h"
#include "render/frame_state.h"
#include "render/gl_extensions.h"
#include "render/start_up.h"
#include "render/texture_upload.h"
#include "tests/gl/gl_checks.h"

namespace {

constexpr int kSize = 64, kMid = kSize / 2;

OffscreenGl gl;
struct OffscreenContext : ::testing::Environment {
    void SetUp() override {
        if (openProbed(gl, "render passes", kSize, kSize)) render::createNormalisationCubeTexture(probedCapabilities());
    }
    void TearDown() override { gl.close(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new OffscreenContext);

float depthAt(int x, int y) {
    float d = -1;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &d);
    return d;
}

void expectColour(Rgba got, int r, int g, int b, int tolerance, const char* where) {
    EXPECT_TRUE(std::abs(got.r - r) <= tolerance && std::abs(got.g - g) <= tolerance && std::abs(got.b - b) <= tolerance)
        << where << ": " << got.r << " " << got.g << " " << got.b;
}

// The frame state cleared to black at depth 1; an orthographic [-1, 1]^3 where depth = (1 - z) / 2.
void beginFrame() {
    orthoView(kSize, kSize, -1, 1, -1, 1, 1);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    render::setFrameState(probedCapabilities());
}

void drawAmbient(Model& model, float r, float g, float b) {
    const float ambient[4] = {r, g, b, 1};
    render::drawAmbientPass(model, ambient, probedCapabilities());
}

} // namespace

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
    model.diffuseImage[0] = tgaImage(2, 2, 24, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
    render::uploadModelTextures(model);
    beginFrame();
    drawAmbient(model, 1, 1, 1);
    const int lo = kSize / 4, hi = 3 * kSize / 4;
    expectColour(pixelAt(lo, lo), 255, 0, 0, 8, "bottom left");
    expectColour(pixelAt(hi, lo), 0, 255, 0, 8, "bottom right");
    expectColour(pixelAt(lo, hi), 0, 0, 255, 8, "top left");
    expectColour(pixelAt(hi, hi), 255, 255, 255, 8, "top right");
    // Mended: a grey image was left out, and the incomplete texture drew as none at all.
    model.diffuseImage[0] = tgaImage(2, 2, 8, {40, 40, 40, 40});
    render::uploadModelTextures(model);
    beginFrame();
    drawAmbient(model, 1, 1, 1);
    expectColour(pixelAt(lo, lo), 40, 40, 40, 8, "grey");
}

TEST(TextureUpload, ReleaseAndReuploadDeleteTheNamesTheyMade) {
    REQUIRE_CONTEXT();
    render::installTextureDeleter();
    Model model;
    ASSERT_TRUE(model.allocateMeshes(2));
    for (size_t m = 0; m < 2; ++m) {
        model.hasDiffuse[m] = model.hasSpecular[m] = 1;
        model.diffuseImage[m] = model.specularImage[m] = tgaImage(1, 1, 24, {1, 2, 3});
        model.normalImage[m] = buildNormalMipChain(tgaImage(1, 1, 32, {128, 128, 255, 255}));
    }
    render::uploadModelTextures(model);
    const GLuint oldDiffuse = model.diffuseTex[0];
    render::uploadMeshTextures(model, 0); // a texture chosen again replaces the mesh's names
    EXPECT_FALSE(glIsTexture(oldDiffuse));
    std::vector<GLuint> names;
    for (size_t m = 0; m < 2; ++m)
        names.insert(names.end(), {model.diffuseTex[m], model.specularTex[m], model.normalTex[m]});
    for (GLuint name : names) EXPECT_TRUE(glIsTexture(name)) << name;
    model.release();
    for (GLuint name : names) EXPECT_FALSE(glIsTexture(name)) << name;
    setTextureDeleter(nullptr);
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
    expectColour(pixelAt(48, 52), 0, 255, 0, 3, "green axis of joint 1");
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
