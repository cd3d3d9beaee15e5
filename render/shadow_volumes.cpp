// render/shadow_volumes.cpp -- the stencil passes of the shadow volumes, their debug colours
// and silhouette lines, and the open-edge overlay. The geometry comes from shadow/ as arrays;
// this file only chooses the stencil method, sets the GL state and sends the arrays.
#include "render/shadow_volumes.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#include "model/model.h"
#include "render/frame_passes.h"
#include "render/gl_extensions.h"
#include "render/logic/capability_probe.h"
#include "render/logic/stencil_method.h"
#include "shadow/shadow_volume.h"

namespace render {
namespace {

// The arrays of the current call, kept from call to call so that a frame does not allocate.
struct ShadowScratch {
    std::vector<shadow::VolumeGeometry> meshes;
    std::vector<float> lines;
};

ShadowScratch& shadowScratch() {
    static ShadowScratch scratch;
    return scratch;
}

// Only the vertex array is read by the draws below: arrays another pass left enabled would be
// read as far as these draws reach, past the ends of their own arrays. Undone by
// endVertexOnlyArrays, which gives the frame back the arrays it had.
void beginVertexOnlyArrays(const GlCapabilities& caps) {
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    if (caps.hasMultitexture) {
        for (int unit = 0; unit < caps.maxTextureUnits; ++unit) {
            ext::glClientActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        ext::glClientActiveTextureARB(GL_TEXTURE0_ARB);
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
}

void endVertexOnlyArrays() { glPopClientAttrib(); }

void drawLines(const std::vector<float>& lines) {
    if (lines.empty()) return;
    glVertexPointer(3, GL_FLOAT, 0, lines.data());
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(lines.size() / 3));
}

void drawAllMeshes(const Model& model, VolumeSender send, bool& depthLess) {
    const std::vector<shadow::VolumeGeometry>& meshes = shadowScratch().meshes;
    for (int mesh = 0; mesh < model.numMeshes(); ++mesh)
        send(model, mesh, meshes[static_cast<size_t>(mesh)], depthLess);
}

// One pass: back faces increment and front faces decrement where the depth test fails.
void drawTwoSided(const Model& model, VolumeSender send, bool& depthLess) {
    glEnable(GL_STENCIL_TEST_TWO_SIDE_EXT);
    ext::glActiveStencilFaceEXT(GL_BACK);
    glStencilOp(GL_KEEP, GL_INCR_WRAP_EXT, GL_KEEP);
    glStencilMask(~0u);
    glStencilFunc(GL_ALWAYS, 0, ~0u);
    ext::glActiveStencilFaceEXT(GL_FRONT);
    glStencilOp(GL_KEEP, GL_DECR_WRAP_EXT, GL_KEEP);
    glStencilMask(~0u);
    glStencilFunc(GL_ALWAYS, 0, ~0u);
    glDisable(GL_CULL_FACE);
    drawAllMeshes(model, send, depthLess);
    glEnable(GL_CULL_FACE);
    glDisable(GL_STENCIL_TEST_TWO_SIDE_EXT);
}

void drawSeparateOps(const Model& model, VolumeSender send, bool& depthLess) {
    ext::glStencilFuncSeparateATI(GL_ALWAYS, GL_ALWAYS, 0, ~0u);
    ext::glStencilOpSeparateATI(GL_BACK, GL_KEEP, GL_INCR_WRAP_EXT, GL_KEEP);
    ext::glStencilOpSeparateATI(GL_FRONT, GL_KEEP, GL_DECR_WRAP_EXT, GL_KEEP);
    glDisable(GL_CULL_FACE);
    drawAllMeshes(model, send, depthLess);
    glEnable(GL_CULL_FACE);
}

// Culling stays as the caller had it enabled; each pass draws one face and applies one
// operation, so saturating counts come out the same in any order.
void drawTwoPasses(const Model& model, const GlCapabilities& caps, VolumeSender send, bool& depthLess) {
    glCullFace(GL_FRONT);
    glStencilOp(GL_KEEP, caps.hasStencilWrap ? GL_INCR_WRAP_EXT : GL_INCR, GL_KEEP);
    drawAllMeshes(model, send, depthLess);
    glCullFace(GL_BACK);
    glStencilOp(GL_KEEP, caps.hasStencilWrap ? GL_DECR_WRAP_EXT : GL_DECR, GL_KEEP);
    drawAllMeshes(model, send, depthLess);
}

void setVolumeState(const Model& model, bool debug) {
    // Skinned models are wound the other way round from static ones.
    glFrontFace(model.numJoints() > 0 ? GL_CW : GL_CCW);
    glDisable(GL_TEXTURE_2D);
    if (debug) {
        // Only red and green are written: each volume face adds a faint red-green tint.
        glColor3f(0.03f, 0.04f, 1.0f);
        glColorMask(GL_TRUE, GL_TRUE, GL_FALSE, GL_FALSE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        glDisable(GL_BLEND);
    }
    glDisable(GL_ALPHA_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 0, ~0u);
    glStencilMask(~0u);
}

// Blending stays as setVolumeState left it. The stencil operations go back to keeping the
// counts: the lighting passes test the counts and must not change them, and the separate
// back-face operations would otherwise outlive this call.
void restoreFrameState() {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glDisable(GL_STENCIL_TEST);
    glDepthFunc(GL_LEQUAL);
    glColor3f(1, 1, 1);
    glDepthMask(GL_TRUE);
}

} // namespace

void sendVolumeArrays(const Model&, int, const shadow::VolumeGeometry& geometry, bool& depthLess) {
    const GLsizei capVertices = 3 * geometry.capCount();
    if (capVertices > 0) {
        // The first far cap goes out while the depth function is still the one in effect;
        // the near caps always test GL_LESS; the later far caps follow with GL_LEQUAL.
        GLint firstFar = 0;
        glVertexPointer(4, GL_FLOAT, 0, geometry.farCaps.data());
        if (depthLess) {
            glDrawArrays(GL_TRIANGLES, 0, 3);
            firstFar = 3;
        }
        glVertexPointer(4, GL_FLOAT, 0, geometry.nearCaps.data());
        glDepthFunc(GL_LESS);
        glDrawArrays(GL_TRIANGLES, 0, capVertices);
        glDepthFunc(GL_LEQUAL);
        depthLess = false;
        glVertexPointer(4, GL_FLOAT, 0, geometry.farCaps.data());
        glDrawArrays(GL_TRIANGLES, firstFar, capVertices - firstFar);
    }
    if (geometry.sideCount() > 0) {
        glVertexPointer(4, GL_FLOAT, 0, geometry.sides.data());
        glDrawArrays(GL_QUADS, 0, 4 * geometry.sideCount());
    }
}

void drawShadowVolumesWith(Model& model, const GlCapabilities& caps, bool debug, VolumeSender send) {
    if (model.meshLoaded.empty()) return;
    std::vector<shadow::VolumeGeometry>& meshes = shadowScratch().meshes;
    if (meshes.size() < model.meshLoaded.size()) meshes.resize(model.meshLoaded.size());
    for (int mesh = 0; mesh < model.numMeshes(); ++mesh)
        shadow::buildVolumeGeometry(model, mesh, meshes[static_cast<size_t>(mesh)]);

    setVolumeState(model, debug);
    if (caps.hasDepthClamp) glEnable(GL_DEPTH_CLAMP_NV);
    beginVertexOnlyArrays(caps);
    bool depthLess = true;
    switch (chooseStencilMethod(caps)) {
    case StencilMethod::TwoSided: drawTwoSided(model, send, depthLess); break;
    case StencilMethod::SeparateOps: drawSeparateOps(model, send, depthLess); break;
    case StencilMethod::TwoPasses: drawTwoPasses(model, caps, send, depthLess); break;
    }
    endVertexOnlyArrays();
    if (caps.hasDepthClamp) glDisable(GL_DEPTH_CLAMP_NV);
    restoreFrameState();
}

void markAllSilhouettes(Model& model) { shadow::markAllSilhouettes(model); }

void drawShadowVolumes(Model& model, const GlCapabilities& caps, bool debug) {
    drawShadowVolumesWith(model, caps, debug, sendVolumeArrays);
}

// In the state drawShadowVolumes left: white, blended as the volumes were.
void drawSilhouetteEdges(Model& model) {
    std::vector<float>& lines = shadowScratch().lines;
    beginVertexOnlyArrays(probedCapabilities());
    for (int mesh = 0; mesh < model.numMeshes(); ++mesh) {
        shadow::silhouetteEdgeLines(model, mesh, lines);
        drawLines(lines);
    }
    endVertexOnlyArrays();
}

// Thick yellow lines over everything, where the mesh is not closed.
void drawOpenEdges(Model& model) {
    const GlCapabilities& caps = probedCapabilities();
    glDisable(GL_LIGHTING);
    if (caps.hasMultitexture) {
        ext::glActiveTextureARB(GL_TEXTURE1_ARB);
        if (caps.hasCubeMap) glDisable(GL_TEXTURE_CUBE_MAP_ARB);
        glDisable(GL_TEXTURE_2D);
        ext::glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    glDisable(GL_TEXTURE_2D);
    glDepthFunc(GL_ALWAYS);
    glDepthMask(GL_FALSE);
    glColor3f(0.9f, 0.8f, 0.2f);
    glLineWidth(2.0f);
    std::vector<float>& lines = shadowScratch().lines;
    beginVertexOnlyArrays(caps);
    for (int mesh = 0; mesh < model.numMeshes(); ++mesh) {
        shadow::openEdgeLines(model, mesh, lines);
        drawLines(lines);
    }
    endVertexOnlyArrays();
    glEnable(GL_TEXTURE_2D);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glColor3f(1, 1, 1);
    glLineWidth(1.0f);
}

} // namespace render
