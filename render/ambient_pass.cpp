// render/ambient_pass.cpp -- the first pass of every frame: each mesh in its diffuse texture
// tinted by the scene's ambient colour, filling the depth buffer that the lighting passes
// test for equality.
//
// Texture units: unit 0 the diffuse map, modulated by the ambient colour; units 1 to 3 off.
#include <GL/gl.h>
#include <GL/glext.h>

#include "model/model.h"
#include "render/frame_passes.h"
#include "base/gl_capabilities.h"
#include "render/gl_extensions.h"

namespace render {
namespace {

// Both the server and the client side of a unit, so that array switches reach that unit.
void selectUnit(int unit) {
    ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
    ext::glClientActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
}

// Whatever a lighting pass left on the upper units would otherwise be applied on top.
void disableUpperUnits(const GlCapabilities& caps) {
    if (!caps.hasMultitexture) return;
    // Unit 1 always, units 2 and 3 where the driver has them.
    int last = caps.maxTextureUnits - 1;
    if (last < 1) last = 1;
    if (last > 3) last = 3;
    for (int unit = 1; unit <= last; ++unit) {
        selectUnit(unit);
        if (caps.hasCubeMap) glDisable(GL_TEXTURE_CUBE_MAP_ARB);
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
    }
    selectUnit(0);
}

void setAmbientState() {
    glDisable(GL_NORMALIZE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_LIGHTING);
}

// A surface with a specular map and no diffuse map is left to the highlight passes, which
// draw it with depth GL_LEQUAL since it wrote no depth here.
bool drawnByAmbientPass(const Model& model, size_t m) {
    if (!model.meshLoaded[m]) return false;
    return model.hasDiffuse[m] || !model.hasSpecular[m];
}

void drawAmbientMesh(Model& model, int mesh, const float ambient[4], const GlCapabilities& caps) {
    const auto m = static_cast<size_t>(mesh);
    if (!drawnByAmbientPass(model, m)) return;
    // Every draw index names a vertex of the mesh: the post-processing checked the triangles.
    const int indexCount = static_cast<int>(model.indices[m].size());
    setAmbientState();
    disableUpperUnits(caps);
    if (model.hasDiffuse[m]) {
        glBindTexture(GL_TEXTURE_2D, model.diffuseTex[m]);
        glEnable(GL_TEXTURE_2D);
    }
    glColor3fv(ambient);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    if (indexCount > 0) {
        // The vertex records themselves are the arrays: u and v, then the position, one record apart.
        const Vertex* first = model.verts[m].data();
        glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &first->u);
        glVertexPointer(3, GL_FLOAT, sizeof(Vertex), first->pos);
        glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, model.indices[m].data());
    }
    glDisable(GL_TEXTURE_2D);
}

} // namespace

void drawAmbientPass(Model& model, const float globalAmbient[4], const GlCapabilities& caps) {
    if (model.meshLoaded.empty()) return;
    // Skinned models are wound the other way round from static ones.
    glFrontFace(model.numJoints() > 0 ? GL_CW : GL_CCW);
    for (int mesh = 0; mesh < model.numMeshes(); ++mesh) drawAmbientMesh(model, mesh, globalAmbient, caps);
}

} // namespace render
