// tests/gl/light_passes_test.cpp -- the lighting passes in the render-pass tests' context: a flat
// bump-mapped floor under known lights, pixels read back on every texture-unit path; and the
// register-combiner set-ups, which Mesa lacks, through recorded entry points.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

#include "model/model.h"
#include "model/normal_map.h"
#include "render/frame_passes.h"
#include "render/frame_state.h"
#include "render/gl_extensions.h"
#include "render/light_paths.h"
#include "render/texture_upload.h"
#include "scene/scene.h"
#include "tests/gl/gl_checks.h"

namespace {

constexpr int kSize = 64;

#define REQUIRE_BUMP_MAPPING()                                                                 \
    REQUIRE_CONTEXT();                                                                         \
    if (!render::canBumpMap(probedCapabilities()) || probedCapabilities().maxTextureUnits < 4) \
    GTEST_SKIP() << "the driver cannot bump-map on four units"

// A floor filling the view at z = 0, normal +z, tangents along x and y, a flat normal map, white
// diffuse and specular maps; triangle 0 is the lower-right half.
void makeFloor(Model& model, bool diffuse = true) {
    makeSquare(model, 1, 0);
    for (Vertex& v : model.verts[0]) v.normal[2] = v.tangentS[0] = v.tangentT[1] = 1;
    model.tris[0].resize(2);
    for (size_t i = 0; i < 6; ++i) model.tris[0][i / 3].v[i % 3] = model.indices[0][i];
    for (Triangle& t : model.tris[0]) t.normal[2] = 1;
    model.hasDiffuse[0] = diffuse;
    model.diffuseImage[0] = tgaImage(1, 1, 24, {255, 255, 255});
    model.hasLocal[0] = 1;
    model.normalImage[0] = buildNormalMipChain(tgaImage(1, 1, 32, {128, 128, 255, 255}));
    model.hasSpecular[0] = 1;
    model.specularImage[0] = tgaImage(1, 1, 24, {255, 255, 255});
    render::uploadModelTextures(model);
}

// An orthographic view from model (0, 0, 3); the floor's depth laid by a black ambient pass.
void beginFrame(Model& floor) {
    orthoView(kSize, kSize, -1, 1, -1, 1, 5);
    glTranslatef(0, 0, -3);
    glClearColor(0, 0, 0, 0);
    glClearStencil(0);
    glClear(GL_STENCIL_BUFFER_BIT);
    render::setFrameState(probedCapabilities());
    const float black[4] = {0, 0, 0, 1};
    render::drawAmbientPass(floor, black, probedCapabilities());
}

// A light at model position (x, y, z) under the view of beginFrame.
Light lightAt(float x, float y, float z, float r = 1, float g = 1, float b = 1) {
    Light light;
    light.eyePos[0] = x, light.eyePos[1] = y, light.eyePos[2] = z - 3;
    light.lightcolor_d[0] = r, light.lightcolor_d[1] = g, light.lightcolor_d[2] = b;
    return light;
}

// A cube map whose six 1-texel faces are white: a filter that changes nothing.
GLuint whiteCube() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, name);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    const uint8_t texel[3] = {255, 255, 255};
    for (GLenum face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + face, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    return name;
}

void expectFrameState(const std::string& where) {
    for (int unit = 1; unit < 4; ++unit) {
        render::ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_TEXTURE_CUBE_MAP_ARB)) << where << " unit " << unit;
    }
    render::ext::glActiveTextureARB(GL_TEXTURE0_ARB);
    expectStates({{GL_DEPTH_FUNC, GL_LESS}, {GL_DEPTH_WRITEMASK, GL_TRUE}, {GL_BLEND_SRC, GL_ONE},
                  {GL_BLEND_DST, GL_ZERO}, {GL_LIGHTING, GL_FALSE}, {GL_STENCIL_TEST, GL_FALSE},
                  {GL_ACTIVE_TEXTURE_ARB, GL_TEXTURE0_ARB}, {GL_CLIENT_ACTIVE_TEXTURE_ARB, GL_TEXTURE0_ARB}},
                 where);
    expectModulateAndColourWrites(where);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << where;
}

} // namespace

// Diffuse x cos(angle) across the floor on every unit path, each leaving the frame's state behind.
TEST(LightPass, FlatFloorGetsCosineOfTheLightAngleOnEveryUnitPath) {
    REQUIRE_BUMP_MAPPING();
    Model floor;
    makeFloor(floor);
    const GLuint white = whiteCube();
    const float height = 1.0f;
    struct Path { const char* name; const char* caps; bool filtered; } paths[] = {
        {"four units", "", true}, {"three units", "", false}, {"two units", "units=2", false},
        {"two units, filtered", "units=2", true}};
    for (const Path& path : paths) {
        Light light = lightAt(0, 0, height);
        light.cubemap = path.filtered;
        light.normalCubeTex = light.blurredCubeTex = white;
        light.light_nearradius = 100, light.light_farradius = 200;
        beginFrame(floor);
        render::drawLightPass(floor, light, false, limited(path.caps));
        for (int px : {3, 20, 32, 50, 61})
            for (int py : {5, 32, 58}) {
                const float x = (px + 0.5f) * 2 / kSize - 1, y = (py + 0.5f) * 2 / kSize - 1; // on the floor
                const float cosine = height / std::sqrt(x * x + y * y + height * height);
                const Rgba got = pixelAt(px, py);
                EXPECT_NEAR(got.r, 255 * cosine, 8) << path.name << " at " << px << "," << py;
                EXPECT_NEAR(got.g, got.r, 2) << path.name;
            }
        expectFrameState(path.name);
    }
    glDeleteTextures(1, &white);
}

// Lights add up; the highlight alone, without shadows only on triangles facing the light.
TEST(LightPass, LightsAddAndHighlightOnlyWhereTrianglesFaceTheLight) {
    REQUIRE_BUMP_MAPPING();
    Model floor;
    makeFloor(floor);
    beginFrame(floor);
    render::drawLightPass(floor, lightAt(0, 0, 1, 1, 0, 0), false, probedCapabilities());
    render::drawLightPass(floor, lightAt(0, 0, 1, 0, 1, 0), false, probedCapabilities());
    const Rgba both = pixelAt(31, 31);
    EXPECT_TRUE(both.r > 247 && both.g > 247 && both.b < 4) << both.r << " " << both.g << " " << both.b;

    Model shiny;
    makeFloor(shiny, false);
    shiny.specular = true;
    shiny.tris[0][1].normal[2] = -1; // the upper-left triangle faces away
    for (const char* caps : {"", "units=2"})
        for (bool shadowed : {false, true}) {
            beginFrame(shiny);
            Light light = lightAt(0, 0, 2, 0, 0, 0); // no diffuse colour: highlight alone
            render::drawLightPass(shiny, light, shadowed, limited(caps));
            const Rgba facing = pixelAt(36, 28), away = pixelAt(28, 36);
            EXPECT_GT(facing.r, 200) << caps;
            EXPECT_TRUE(shadowed ? away.r > 200 : away.r < 4) << caps << ", shadowed " << shadowed << ": " << away.r;
            expectFrameState(caps);
        }
}

// Without cube maps: GL_LIGHT0 at the model-space position (the view turns the floor half round),
// the one-time notice for a filtered light, the stencil mask kept, the frame's state handed back.
TEST(LightPass, PerVertexFallbackLightsAtTheModelSpacePositionInsideTheStencil) {
    REQUIRE_CONTEXT();
    Model floor;
    makeFloor(floor);
    const bool noticeBefore = render::lightPassState().noticeShown;
    testing::internal::CaptureStderr(); // where the console dialogs write their boxes
    const GlCapabilities caps = limited("-cubemap");
    for (bool filtered : {false, true}) {
        beginFrame(floor);
        glRotatef(180, 0, 0, 1);
        // Model (-1, -1, 0.3) is eye (1, 1, -2.7): the top-right of the window.
        Light light;
        light.eyePos[0] = light.eyePos[1] = 1, light.eyePos[2] = -2.7f;
        light.lightcolor_s[0] = light.lightcolor_s[1] = light.lightcolor_s[2] = 0;
        light.cubemap = filtered;
        glEnable(GL_SCISSOR_TEST); // a shadow over the left half of the window
        glScissor(0, 0, kSize / 2, kSize);
        glClearStencil(1);
        glClear(GL_STENCIL_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        render::drawLightPass(floor, light, true, caps);
        EXPECT_GT(pixelAt(kSize - 3, kSize - 3).r, 180) << "lit corner, filtered " << filtered;
        EXPECT_LT(pixelAt(kSize - 3, 3).r, 120) << "far corner, filtered " << filtered;
        EXPECT_EQ(pixelAt(3, kSize - 3).r, 0) << "in the shadow, filtered " << filtered;
        expectFrameState(filtered ? "per vertex, filtered" : "per vertex");
    }
    const std::string boxes = testing::internal::GetCapturedStderr();
    const size_t notice = boxes.find("VGA capabilities: ");
    EXPECT_EQ(notice != std::string::npos, !noticeBefore) << boxes;
    EXPECT_TRUE(notice == std::string::npos || boxes.find("VGA capabilities: ", notice + 1) == std::string::npos);
}

namespace recorded { // register-combiner entry points that note the last general stage and the final G input

GLint lastStage = -1;
std::pair<GLint, GLint> finalG; // input and usage
void APIENTRY parameteri(GLenum, GLint) {}
void APIENTRY parameterfv(GLenum, const GLfloat*) {}
void APIENTRY input(GLenum stage, GLenum, GLenum, GLenum, GLenum, GLenum) {
    lastStage = std::max(lastStage, GLint(stage - GL_COMBINER0_NV));
}
void APIENTRY output(GLenum stage, GLenum, GLenum, GLenum, GLenum, GLenum, GLenum, GLboolean, GLboolean, GLboolean) {
    lastStage = std::max(lastStage, GLint(stage - GL_COMBINER0_NV));
}
void APIENTRY finalInput(GLenum variable, GLenum in, GLenum, GLenum usage) {
    if (variable == GL_VARIABLE_G_NV) finalG = {GLint(in), GLint(usage)};
}

} // namespace recorded

// Mesa has no register combiners: stubs record that no stage passes the driver's count (exactly
// three refuse a fourth) and that the two-unit path leaves the highlight in alpha.
TEST(RegisterCombiners, HighlightStagesStayWithinTheDriversCountAndEndInColourOrAlpha) {
    using namespace render::ext;
    const auto saved = std::make_tuple(glCombinerParameteriNV, glCombinerParameterfvNV, glCombinerInputNV,
                                       glCombinerOutputNV, glFinalCombinerInputNV);
    std::tie(glCombinerParameteriNV, glCombinerParameterfvNV, glCombinerInputNV, glCombinerOutputNV,
             glFinalCombinerInputNV) = std::make_tuple(recorded::parameteri, recorded::parameterfv, recorded::input,
                                                       recorded::output, recorded::finalInput);
    const int cases[][4] = {{3, false, 8, 3}, {3, false, 3, 2}, {2, true, 2, 1}, {3, true, 8, 2}}; // used, alpha, max, last
    for (const auto& c : cases) {
        recorded::lastStage = -1;
        render::loadHighlightCombiners(c[0], c[1], c[2]);
        EXPECT_EQ(recorded::lastStage, c[3]) << c[0] << " of " << c[2];
        EXPECT_EQ(recorded::finalG, c[1] ? std::make_pair(GLint(GL_SPARE0_NV), GLint(GL_BLUE))
                                         : std::make_pair(GLint(GL_ZERO), GLint(GL_ALPHA)));
    }
    std::tie(glCombinerParameteriNV, glCombinerParameterfvNV, glCombinerInputNV, glCombinerOutputNV,
             glFinalCombinerInputNV) = saved;
}
