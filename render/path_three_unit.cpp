// render/path_three_unit.cpp -- a plain light's bump-mapped diffuse light on three texture
// units; its highlight, where a fourth unit exists, is the four-unit one.
//
//   unit 0  normal map (u, v)                 RGB = dot3(texel, unit 1 texel)
//   unit 1  normalisation cube (tslight)      RGB = primary (lightcolor_d) x previous
//   unit 2  diffuse map (u, v)                RGB = texel x previous, alpha = texel
//   unit 3  off
//   blend (one, one): diffuse x N.L x lightcolor_d added to the picture
#include "model/model.h"
#include "render/light_paths.h"
#include "scene/scene.h"

namespace render {

void drawThreeUnitDiffuse(const LightMesh& d) {
    const auto m = static_cast<size_t>(d.mesh);
    glDisable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);
    normalDotCube(d, d.scratch.tslight.data());
    combineRgb(GL_MODULATE, GL_PRIMARY_COLOR_ARB, GL_SRC_COLOR, GL_PREVIOUS_ARB, GL_SRC_COLOR);
    selectUnit(2);
    useTexture(GL_TEXTURE_2D, d.model.diffuseTex[m]);
    combineRgb(GL_MODULATE, GL_TEXTURE, GL_SRC_COLOR, GL_PREVIOUS_ARB, GL_SRC_COLOR);
    combineAlpha(GL_REPLACE, GL_TEXTURE, GL_SRC_ALPHA);
    uvCoordinates(d);
    if (d.caps.maxTextureUnits > 3) {
        selectUnit(3);
        noTexture();
        noCoordinates();
    }

    glColor4fv(d.light.lightcolor_d);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthFunc(GL_EQUAL);
    vertexArray(d);
    drawAllTriangles(d);

    selectUnit(2);
    noTexture();
    noCoordinates();
}

} // namespace render
