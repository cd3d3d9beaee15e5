// render/path_register_combiners.cpp -- the highlight on NV register combiners: four units
// with three general combiners, and the program the two-unit highlight writes into
// destination alpha with two or three.
//
// Four units:
//   unit 0  normal map (u, v)
//   unit 1  normalisation cube (halight)
//   unit 2  off
//   unit 3  specular map (u, v)
//   combiner 0  spare0 = expand(tex0) . expand(tex1)            s = N.H
//   combiner 1  spare0 = 2 (s s + 0.04 - 1/2)                   constant colour 0 = 0.04
//   combiner 2  spare0 = 2 (spare0 - 1/2)
//   combiner 3  spare0 = 2 (2 spare0 - 1/2), only with a fourth combiner, never enabled
//   final       tex3 x spare0 x primary (lightcolor_s), alpha 1
// Two units (destination alpha): combiners 0 and 1, or 0 to 2; the final combiner writes
// spare0's blue into alpha and zero into colour.
#include "model/model.h"
#include "render/gl_extensions.h"
#include "render/light_paths.h"

namespace render {
namespace {

using ext::glCombinerInputNV;
using ext::glCombinerOutputNV;
using ext::glFinalCombinerInputNV;

constexpr GLenum kIdentity = GL_UNSIGNED_IDENTITY_NV;
constexpr GLenum kInvert = GL_UNSIGNED_INVERT_NV; // zero inverted: the constant 1

// One general combiner stage on RGB: up to four inputs (variable, register, mapping), then
// the outputs (A.B or A x B, C x D, their sum), scale and bias.
struct StageInput {
    GLenum variable, input, mapping;
};
struct Stage {
    GLenum stage;
    StageInput inputs[4];
    int inputCount;
    GLenum abOutput, cdOutput, sumOutput, scale, bias;
    GLboolean abDotProduct;
};

// s = N.H; then 2 (s s + 0.04 - 1/2); then 2 (x - 1/2); then 2 (2 x - 1/2).
const Stage kStages[4] = {
    {GL_COMBINER0_NV,
     {{GL_VARIABLE_A_NV, GL_TEXTURE0_ARB, GL_EXPAND_NORMAL_NV}, {GL_VARIABLE_B_NV, GL_TEXTURE1_ARB, GL_EXPAND_NORMAL_NV}},
     2, GL_SPARE0_NV, GL_DISCARD_NV, GL_DISCARD_NV, GL_NONE, GL_NONE, GL_TRUE},
    {GL_COMBINER1_NV,
     {{GL_VARIABLE_A_NV, GL_SPARE0_NV, kIdentity},
      {GL_VARIABLE_B_NV, GL_SPARE0_NV, kIdentity},
      {GL_VARIABLE_C_NV, GL_CONSTANT_COLOR0_NV, kIdentity},
      {GL_VARIABLE_D_NV, GL_ZERO, kInvert}},
     4, GL_DISCARD_NV, GL_DISCARD_NV, GL_SPARE0_NV, GL_SCALE_BY_TWO_NV, GL_BIAS_BY_NEGATIVE_ONE_HALF_NV, GL_FALSE},
    {GL_COMBINER2_NV,
     {{GL_VARIABLE_A_NV, GL_SPARE0_NV, kIdentity},
      {GL_VARIABLE_B_NV, GL_ZERO, kInvert},
      {GL_VARIABLE_C_NV, GL_ZERO, kIdentity},
      {GL_VARIABLE_D_NV, GL_ZERO, kIdentity}},
     4, GL_SPARE0_NV, GL_DISCARD_NV, GL_DISCARD_NV, GL_SCALE_BY_TWO_NV, GL_BIAS_BY_NEGATIVE_ONE_HALF_NV, GL_FALSE},
    {GL_COMBINER3_NV,
     {{GL_VARIABLE_A_NV, GL_SPARE0_NV, kIdentity},
      {GL_VARIABLE_B_NV, GL_ZERO, kInvert},
      {GL_VARIABLE_C_NV, GL_SPARE0_NV, kIdentity},
      {GL_VARIABLE_D_NV, GL_ZERO, kInvert}},
     4, GL_DISCARD_NV, GL_DISCARD_NV, GL_SPARE0_NV, GL_SCALE_BY_TWO_NV, GL_BIAS_BY_NEGATIVE_ONE_HALF_NV, GL_FALSE},
};

void loadStage(const Stage& s) {
    for (int i = 0; i < s.inputCount; ++i)
        glCombinerInputNV(s.stage, GL_RGB, s.inputs[i].variable, s.inputs[i].input, s.inputs[i].mapping, GL_RGB);
    glCombinerOutputNV(s.stage, GL_RGB, s.abOutput, s.cdOutput, s.sumOutput, s.scale, s.bias, s.abDotProduct,
                       GL_FALSE, GL_FALSE);
}

void finalInput(GLenum variable, GLenum input, GLenum mapping, GLenum usage) {
    glFinalCombinerInputNV(variable, input, mapping, usage);
}

// specular map x spare0 x primary colour, alpha 1.
void finalHighlight() {
    finalInput(GL_VARIABLE_A_NV, GL_TEXTURE3_ARB, kIdentity, GL_RGB);
    finalInput(GL_VARIABLE_B_NV, GL_E_TIMES_F_NV, kIdentity, GL_RGB);
    finalInput(GL_VARIABLE_C_NV, GL_ZERO, kIdentity, GL_RGB);
    finalInput(GL_VARIABLE_D_NV, GL_ZERO, kIdentity, GL_RGB);
    finalInput(GL_VARIABLE_E_NV, GL_SPARE0_NV, kIdentity, GL_RGB);
    finalInput(GL_VARIABLE_F_NV, GL_PRIMARY_COLOR_NV, kIdentity, GL_RGB);
    finalInput(GL_VARIABLE_G_NV, GL_ZERO, kInvert, GL_ALPHA);
}

// Colour zero, alpha = spare0's blue.
void finalIntoAlpha() {
    for (GLenum variable : {GL_VARIABLE_A_NV, GL_VARIABLE_B_NV, GL_VARIABLE_C_NV, GL_VARIABLE_D_NV, GL_VARIABLE_E_NV,
                            GL_VARIABLE_F_NV})
        finalInput(variable, GL_ZERO, kIdentity, GL_RGB);
    finalInput(GL_VARIABLE_G_NV, GL_SPARE0_NV, kIdentity, GL_BLUE);
}

} // namespace

void loadHighlightCombiners(int generalCombiners, bool intoAlpha, int maxGeneralCombiners) {
    const GLfloat constant[4] = {0.04f, 0.04f, 0.04f, 1.0f};
    ext::glCombinerParameteriNV(GL_NUM_GENERAL_COMBINERS_NV, generalCombiners);
    ext::glCombinerParameterfvNV(GL_CONSTANT_COLOR0_NV, constant);
    for (int stage = 0; stage < generalCombiners && stage < 3; ++stage) loadStage(kStages[stage]);
    // A fourth stage is written though never enabled; a driver without one would refuse it.
    if (!intoAlpha && maxGeneralCombiners > 3) loadStage(kStages[3]);
    if (intoAlpha)
        finalIntoAlpha();
    else
        finalHighlight();
}

void setUpFourUnitCombiners(const LightMesh& d) {
    const auto m = static_cast<size_t>(d.mesh);
    selectUnit(0);
    useTexture(GL_TEXTURE_2D, d.model.normalTex[m]);
    uvCoordinates(d);
    selectUnit(1);
    useTexture(GL_TEXTURE_CUBE_MAP_ARB, d.normalisationCube);
    vectorCoordinates(d.scratch.halight.data());
    selectUnit(2);
    noTexture();
    noCoordinates();
    selectUnit(3);
    useTexture(GL_TEXTURE_2D, d.model.specularTex[m]);
    uvCoordinates(d);
    glEnable(GL_REGISTER_COMBINERS_NV);
    loadHighlightCombiners(3, false, d.caps.maxGeneralCombiners);
}

} // namespace render
