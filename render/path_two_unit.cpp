// render/path_two_unit.cpp -- diffuse light and highlight on two texture units, each in two
// passes through destination alpha.
//
// Diffuse, pass A (colour mask alpha only, no blending):
//   unit 0  normal map (u, v)                 RGB = dot3(texel, unit 1 texel): N.L into alpha
//   unit 1  normalisation cube (tslight)      RGB and alpha = previous
// Diffuse, pass B, blend (destination alpha, one), colour mask RGB only:
//   plain light:    unit 0 diffuse map, modulate by lightcolor_d; unit 1 off
//   filtered light: unit 0 diffuse map x primary alpha (w), alpha = primary alpha
//                   unit 1 sharp filter cube (cubemaptexcoord) x previous; then the blurred
//                   filter with unit 0 taking 1 - w; primary from vertexcolor
// Highlight, pass A (alpha only): N.H sharpened into alpha
//   register combiners: unit 0 normal map, unit 1 normalisation cube (halight), 2 or 3
//                       general combiners, final alpha = spare0 blue
//   texture environment: unit 0 dot3 as above, unit 1 alpha = (previous - 0.72) x 4
// Highlight, pass B, blend (destination alpha, one): unit 0 specular map x lightcolor_s,
//   unit 1 off, over the light-facing triangles.
#include "model/model.h"
#include "render/gl_extensions.h"
#include "render/light_paths.h"
#include "scene/scene.h"

namespace render {
namespace {

void commonState() {
    glDisable(GL_NORMALIZE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDepthFunc(GL_EQUAL);
    glColor4f(1, 1, 1, 1);
}

void alphaOnly() {
    glDisable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
}

void addWeightedByDestinationAlpha() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_DST_ALPHA, GL_ONE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
}

// Unit 0 alone, its 2D texture modulated by `colour`.
void textureTimesColour(const LightMesh& d, GLuint texture, const float colour[4]) {
    selectUnit(1);
    noTexture();
    noCoordinates();
    selectUnit(0);
    useTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    uvCoordinates(d);
    glColor4fv(colour);
}

void diffuseIntoAlpha(const LightMesh& d) {
    normalDotCube(d, d.scratch.tslight.data());
    combineRgb(GL_REPLACE, GL_PREVIOUS_ARB, GL_SRC_COLOR);
    combineAlpha(GL_REPLACE, GL_PREVIOUS_ARB, GL_SRC_ALPHA);
    alphaOnly();
    vertexArray(d);
    drawAllTriangles(d);
}

void filteredDiffuse(const LightMesh& d) {
    const auto m = static_cast<size_t>(d.mesh);
    selectUnit(0);
    useTexture(GL_TEXTURE_2D, d.model.diffuseTex[m]);
    combineRgb(GL_MODULATE, GL_TEXTURE, GL_SRC_COLOR, GL_PRIMARY_COLOR_ARB, GL_SRC_ALPHA);
    combineAlpha(GL_REPLACE, GL_PRIMARY_COLOR_ARB, GL_SRC_ALPHA);
    uvCoordinates(d);
    selectUnit(1);
    useTexture(GL_TEXTURE_CUBE_MAP_ARB, d.light.normalCubeTex);
    combineRgb(GL_MODULATE, GL_TEXTURE, GL_SRC_COLOR, GL_PREVIOUS_ARB, GL_SRC_COLOR);
    combineAlpha(GL_REPLACE, GL_PRIMARY_COLOR_ARB, GL_SRC_ALPHA);
    vectorCoordinates(d.scratch.cubemaptexcoord.data());
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, d.scratch.vertexcolor.data());
    drawAllTriangles(d);

    useTexture(GL_TEXTURE_CUBE_MAP_ARB, d.light.blurredCubeTex);
    selectUnit(0);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_ONE_MINUS_SRC_ALPHA);
    drawAllTriangles(d);

    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_SRC_COLOR);
    glDisableClientState(GL_COLOR_ARRAY);
}

void drawDiffuse(const LightMesh& d) {
    diffuseIntoAlpha(d);
    addWeightedByDestinationAlpha();
    if (d.light.cubemap)
        filteredDiffuse(d);
    else {
        textureTimesColour(d, d.model.diffuseTex[static_cast<size_t>(d.mesh)], d.light.lightcolor_d);
        drawAllTriangles(d);
    }
}

void highlightIntoAlpha(const LightMesh& d) {
    normalDotCube(d, d.scratch.halight.data());
    if (d.plan.highlight == Highlight::TwoUnitCombiners) {
        glEnable(GL_REGISTER_COMBINERS_NV);
        loadHighlightCombiners(d.caps.maxGeneralCombiners >= 3 ? 3 : 2, true, d.caps.maxGeneralCombiners);
    } else {
        glColor4f(0.72f, 0.72f, 0.72f, 0.72f);
        selectUnit(1);
        combineRgb(GL_REPLACE, GL_PREVIOUS_ARB, GL_SRC_COLOR);
        combineAlpha(GL_SUBTRACT_ARB, GL_PREVIOUS_ARB, GL_SRC_ALPHA, GL_PRIMARY_COLOR_ARB, GL_SRC_ALPHA);
        glTexEnvf(GL_TEXTURE_ENV, GL_ALPHA_SCALE, 4.0f);
    }
    alphaOnly();
    vertexArray(d);
    drawHighlightTriangles(d);
    if (d.caps.hasRegisterCombiners) glDisable(GL_REGISTER_COMBINERS_NV);
    selectUnit(1);
    glTexEnvf(GL_TEXTURE_ENV, GL_ALPHA_SCALE, 1.0f);
}

void drawHighlight(const LightMesh& d) {
    const bool pushed = highlightDepth(d);
    highlightIntoAlpha(d);
    addWeightedByDestinationAlpha();
    textureTimesColour(d, d.model.specularTex[static_cast<size_t>(d.mesh)], d.light.lightcolor_s);
    drawHighlightTriangles(d);
    if (pushed) glPopAttrib();
}

} // namespace

void drawTwoUnit(const LightMesh& d) {
    commonState();
    if (d.plan.diffuse) drawDiffuse(d);
    if (d.plan.highlight != Highlight::None) drawHighlight(d);
    glDisable(GL_ALPHA_TEST);
}

} // namespace render
