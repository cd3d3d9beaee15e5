// tests/gl/light_passes_test.cpp -- the lighting passes in the render-pass tests' context: a flat
// bump-mapped floor under known lights, pixels read back on every texture-unit path; and the
// register-combiner set-ups, which Mesa lacks, through recorded entry points.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

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

namespace recorded {

struct Call { // a register-combiner entry point's name and integer arguments
    std::string name;
    std::vector<GLint> args;
    bool operator==(const Call& o) const { return name == o.name && args == o.args; }
};
std::vector<Call> calls;
std::vector<GLfloat> constantColour;

void APIENTRY parameteri(GLenum p, GLint v) { calls.push_back({"Parameteri", {GLint(p), v}}); }
void APIENTRY parameterfv(GLenum p, const GLfloat* v) {
    calls.push_back({"Parameterfv", {GLint(p)}});
    constantColour.assign(v, v + 4);
}
void APIENTRY input(GLenum stage, GLenum portion, GLenum variable, GLenum in, GLenum mapping, GLenum usage) {
    calls.push_back({"Input", {GLint(stage), GLint(portion), GLint(variable), GLint(in), GLint(mapping), GLint(usage)}});
}
void APIENTRY output(GLenum stage, GLenum portion, GLenum ab, GLenum cd, GLenum sum, GLenum scale, GLenum bias,
                     GLboolean abDot, GLboolean cdDot, GLboolean mux) {
    calls.push_back({"Output", {GLint(stage), GLint(portion), GLint(ab), GLint(cd), GLint(sum), GLint(scale),
                                GLint(bias), abDot, cdDot, mux}});
}
void APIENTRY finalInput(GLenum variable, GLenum in, GLenum mapping, GLenum usage) {
    calls.push_back({"Final", {GLint(variable), GLint(in), GLint(mapping), GLint(usage)}});
}

std::vector<Call> record(int generalCombiners, bool intoAlpha, int maxGeneralCombiners) {
    using namespace render::ext;
    calls.clear();
    const auto saved = std::make_tuple(glCombinerParameteriNV, glCombinerParameterfvNV, glCombinerInputNV,
                                       glCombinerOutputNV, glFinalCombinerInputNV);
    glCombinerParameteriNV = parameteri;
    glCombinerParameterfvNV = parameterfv;
    glCombinerInputNV = input;
    glCombinerOutputNV = output;
    glFinalCombinerInputNV = finalInput;
    render::loadHighlightCombiners(generalCombiners, intoAlpha, maxGeneralCombiners);
    std::tie(glCombinerParameteriNV, glCombinerParameterfvNV, glCombinerInputNV, glCombinerOutputNV,
             glFinalCombinerInputNV) = saved;
    return calls;
}

} // namespace recorded

// The highlight's combiner programs call for call; Mesa has none, so stubs record the calls.
TEST(RegisterCombiners, HighlightProgramsIssueTheTablesCallsInOrder) {
    using recorded::Call;
    const GLint id = GL_UNSIGNED_IDENTITY_NV, inv = GL_UNSIGNED_INVERT_NV, rgb = GL_RGB;
    const GLint c0 = GL_COMBINER0_NV, c1 = GL_COMBINER1_NV, c2 = GL_COMBINER2_NV, c3 = GL_COMBINER3_NV;
    const GLint A = GL_VARIABLE_A_NV, B = GL_VARIABLE_B_NV, C = GL_VARIABLE_C_NV, D = GL_VARIABLE_D_NV;
    const GLint spare = GL_SPARE0_NV, discard = GL_DISCARD_NV, x2 = GL_SCALE_BY_TWO_NV,
                half = GL_BIAS_BY_NEGATIVE_ONE_HALF_NV;
    const std::vector<Call> header = {{"Parameteri", {GL_NUM_GENERAL_COMBINERS_NV, 3}},
                                      {"Parameterfv", {GL_CONSTANT_COLOR0_NV}}};
    const std::vector<Call> stages01 = {
        {"Input", {c0, rgb, A, GL_TEXTURE0_ARB, GL_EXPAND_NORMAL_NV, rgb}},
        {"Input", {c0, rgb, B, GL_TEXTURE1_ARB, GL_EXPAND_NORMAL_NV, rgb}},
        {"Output", {c0, rgb, spare, discard, discard, GL_NONE, GL_NONE, 1, 0, 0}},
        {"Input", {c1, rgb, A, spare, id, rgb}},
        {"Input", {c1, rgb, B, spare, id, rgb}},
        {"Input", {c1, rgb, C, GL_CONSTANT_COLOR0_NV, id, rgb}},
        {"Input", {c1, rgb, D, GL_ZERO, inv, rgb}},
        {"Output", {c1, rgb, discard, discard, spare, x2, half, 0, 0, 0}},
    };
    const std::vector<Call> stage2 = {
        {"Input", {c2, rgb, A, spare, id, rgb}},  {"Input", {c2, rgb, B, GL_ZERO, inv, rgb}},
        {"Input", {c2, rgb, C, GL_ZERO, id, rgb}}, {"Input", {c2, rgb, D, GL_ZERO, id, rgb}},
        {"Output", {c2, rgb, spare, discard, discard, x2, half, 0, 0, 0}},
    };
    const std::vector<Call> stage3 = {
        {"Input", {c3, rgb, A, spare, id, rgb}},  {"Input", {c3, rgb, B, GL_ZERO, inv, rgb}},
        {"Input", {c3, rgb, C, spare, id, rgb}},  {"Input", {c3, rgb, D, GL_ZERO, inv, rgb}},
        {"Output", {c3, rgb, discard, discard, spare, x2, half, 0, 0, 0}},
    };
    const std::vector<Call> finalHighlight = {
        {"Final", {A, GL_TEXTURE3_ARB, id, rgb}},        {"Final", {B, GL_E_TIMES_F_NV, id, rgb}},
        {"Final", {C, GL_ZERO, id, rgb}},                {"Final", {D, GL_ZERO, id, rgb}},
        {"Final", {GL_VARIABLE_E_NV, spare, id, rgb}},   {"Final", {GL_VARIABLE_F_NV, GL_PRIMARY_COLOR_NV, id, rgb}},
        {"Final", {GL_VARIABLE_G_NV, GL_ZERO, inv, GL_ALPHA}},
    };
    std::vector<Call> finalAlpha;
    for (GLint v : {A, B, C, D, GLint(GL_VARIABLE_E_NV), GLint(GL_VARIABLE_F_NV)})
        finalAlpha.push_back({"Final", {v, GL_ZERO, id, rgb}});
    finalAlpha.push_back({"Final", {GL_VARIABLE_G_NV, spare, id, GL_BLUE}});

    auto join = [](std::initializer_list<std::vector<Call>> parts) {
        std::vector<Call> all;
        for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    std::vector<Call> twoHeader = header;
    twoHeader[0].args[1] = 2;
    struct Case {
        const char* what;
        int general;
        bool intoAlpha;
        int maxGeneral;
        std::vector<Call> expected;
    } cases[] = {
        {"four units, 8 combiners", 3, false, 8, join({header, stages01, stage2, stage3, finalHighlight})},
        // Exactly three combiners: the unused fourth stage would be refused, so it is left out.
        {"four units, 3 combiners", 3, false, 3, join({header, stages01, stage2, finalHighlight})},
        {"two units, 2 combiners", 2, true, 2, join({twoHeader, stages01, finalAlpha})},
        {"two units, 3 combiners", 3, true, 8, join({header, stages01, stage2, finalAlpha})},
    };
    for (const Case& c : cases) {
        const std::vector<Call> got = recorded::record(c.general, c.intoAlpha, c.maxGeneral);
        ASSERT_EQ(got.size(), c.expected.size()) << c.what;
        for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], c.expected[i]) << c.what << ", call " << i;
        EXPECT_EQ(recorded::constantColour, (std::vector<GLfloat>{0.04f, 0.04f, 0.04f, 1.0f})) << c.what;
    }
}
