// render/path_four_unit.cpp -- a filtered light through four texture units with texture-
// environment combiners: the diffuse light through the sharp and the blurred filter, and the
// highlight (either set-up) that the plain lights share.
//
// Diffuse, drawn twice (sharp filter weighted w, blurred filter weighted 1 - w):
//   unit 0  normal map (u, v)                    RGB = dot3(texel, unit 1 texel)
//   unit 1  normalisation cube (tslight)         RGB = primary (light colour) x previous
//   unit 2  sharp, then blurred filter cube      RGB = texel x previous, alpha = texel
//           (cubemaptexcoord)
//   unit 3  diffuse map (u, v)                   RGB = texel x previous, alpha = primary
//                                                alpha (w), then 1 - w
//   blend (source alpha, one); primary colour from vertexcolor = (lightcolor_d, w)
//
// Highlight with texture-environment combiners (N.H sharpened twice by subtract-and-scale):
//   unit 0  normal map (u, v)                    RGB = dot3(texel, unit 1 texel), into alpha too
//   unit 1  normalisation cube (halight)         alpha = (previous - 0.72) x 4
//   unit 2  any complete 2D texture, not read    alpha = (previous - 0.72) x 4
//   unit 3  specular map (u, v)                  RGB = texel x primary (lightcolor_s),
//                                                alpha = previous
//   blend (source alpha, one) over the light-facing triangles
#include "model/model.h"
#include "render/gl_extensions.h"
#include "render/light_paths.h"
#include "scene/scene.h"

namespace render {
namespace {

// Primary alpha the subtract-and-scale stages take away from N.H.
constexpr float kHighlightCut = 0.72f;

void subtractAndScale() {
    combineRgb(GL_REPLACE, GL_PREVIOUS_ARB, GL_SRC_COLOR);
    combineAlpha(GL_SUBTRACT_ARB, GL_PREVIOUS_ARB, GL_SRC_ALPHA, GL_PRIMARY_COLOR_ARB, GL_SRC_ALPHA);
    glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, 1.0f);
    glTexEnvf(GL_TEXTURE_ENV, GL_ALPHA_SCALE, 4.0f);
}

void setUpFourUnitEnvironment(const LightMesh& d) {
    const auto m = static_cast<size_t>(d.mesh);
    normalDotCube(d, d.scratch.halight.data());
    selectUnit(0);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB_ARB, GL_CONSTANT_ARB);
    combineAlpha(GL_REPLACE, GL_TEXTURE, GL_SRC_ALPHA);
    selectUnit(1);
    subtractAndScale();
    // Unit 2 needs a complete texture to take part at all; the specular map is one.
    selectUnit(2);
    useTexture(GL_TEXTURE_2D, d.model.specularTex[m]);
    noCoordinates();
    subtractAndScale();
    selectUnit(3);
    useTexture(GL_TEXTURE_2D, d.model.specularTex[m]);
    combineRgb(GL_MODULATE, GL_TEXTURE, GL_SRC_COLOR, GL_PRIMARY_COLOR_ARB, GL_SRC_COLOR);
    combineAlpha(GL_REPLACE, GL_PREVIOUS_ARB, GL_SRC_ALPHA);
    uvCoordinates(d);
}

} // namespace

void drawFourUnitDiffuse(const LightMesh& d) {
    const auto m = static_cast<size_t>(d.mesh);
    glDisable(GL_NORMALIZE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_LIGHTING);
    normalDotCube(d, d.scratch.tslight.data());
    combineRgb(GL_MODULATE, GL_PRIMARY_COLOR_ARB, GL_SRC_COLOR, GL_PREVIOUS_ARB, GL_SRC_COLOR);
    selectUnit(2);
    useTexture(GL_TEXTURE_CUBE_MAP_ARB, d.light.normalCubeTex);
    combineRgb(GL_MODULATE, GL_TEXTURE, GL_SRC_COLOR, GL_PREVIOUS_ARB, GL_SRC_COLOR);
    combineAlpha(GL_REPLACE, GL_TEXTURE, GL_SRC_ALPHA);
    vectorCoordinates(d.scratch.cubemaptexcoord.data());
    selectUnit(3);
    useTexture(GL_TEXTURE_2D, d.model.diffuseTex[m]);
    combineRgb(GL_MODULATE, GL_TEXTURE, GL_SRC_COLOR, GL_PREVIOUS_ARB, GL_SRC_COLOR);
    combineAlpha(GL_REPLACE, GL_PRIMARY_COLOR_ARB, GL_SRC_ALPHA);
    uvCoordinates(d);

    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, d.scratch.vertexcolor.data());
    vertexArray(d);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthFunc(GL_EQUAL);
    drawAllTriangles(d);

    selectUnit(2);
    useTexture(GL_TEXTURE_CUBE_MAP_ARB, d.light.blurredCubeTex);
    selectUnit(3);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA_ARB, GL_ONE_MINUS_SRC_ALPHA);
    drawAllTriangles(d);

    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA_ARB, GL_SRC_ALPHA);
    for (int unit : {2, 3}) {
        selectUnit(unit);
        noTexture();
        noCoordinates();
    }
    glDisableClientState(GL_COLOR_ARRAY);
}

void drawFourUnitHighlight(const LightMesh& d) {
    glAlphaFunc(GL_GREATER, 0.0f);
    glDisable(GL_ALPHA_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    const bool pushed = highlightDepth(d);
    if (d.plan.highlight == Highlight::FourUnitCombiners)
        setUpFourUnitCombiners(d);
    else
        setUpFourUnitEnvironment(d);
    const float* s = d.light.lightcolor_s;
    glColor4f(s[0], s[1], s[2], kHighlightCut);
    vertexArray(d);
    drawHighlightTriangles(d);

    if (d.caps.hasRegisterCombiners) glDisable(GL_REGISTER_COMBINERS_NV);
    if (pushed) glPopAttrib();
    // leaveBumpPaths takes the units, scales, blending and depth back.
    glDisable(GL_ALPHA_TEST);
}

} // namespace render
