// render/light_pass.cpp -- the light driver: one light on every mesh of one model, the choice
// of path per mesh, and the unit and array helpers the paths share.
#include <algorithm>

#include "base/dialogs.h"
#include "base/view_math.h"
#include "model/model.h"
#include "render/frame_passes.h"
#include "render/gl_extensions.h"
#include "render/light_paths.h"
#include "scene/scene.h"

namespace render {

LightPassState& lightPassState() {
    static LightPassState state;
    return state;
}

void setNormalisationCubeTexture(unsigned int name) { lightPassState().normalisationCube = name; }

void selectUnit(int unit) {
    ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
    ext::glClientActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
}

void useTexture(GLenum target, GLuint name) {
    glDisable(target == GL_TEXTURE_2D ? GL_TEXTURE_CUBE_MAP_ARB : GL_TEXTURE_2D);
    glBindTexture(target, name);
    glEnable(target);
}

void noTexture() {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_CUBE_MAP_ARB);
}

void combineRgb(GLenum function, GLenum source0, GLenum operand0, GLenum source1, GLenum operand1) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, static_cast<GLint>(function));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, static_cast<GLint>(source0));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_ARB, static_cast<GLint>(operand0));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, static_cast<GLint>(source1));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, static_cast<GLint>(operand1));
}

void combineAlpha(GLenum function, GLenum source0, GLenum operand0, GLenum source1, GLenum operand1) {
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA_ARB, static_cast<GLint>(function));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA_ARB, static_cast<GLint>(source0));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA_ARB, static_cast<GLint>(operand0));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA_ARB, static_cast<GLint>(source1));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA_ARB, static_cast<GLint>(operand1));
}

namespace {

const Vertex* firstVertex(const LightMesh& d) { return d.model.verts[static_cast<size_t>(d.mesh)].data(); }

} // namespace

void vertexArray(const LightMesh& d) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), firstVertex(d)->pos);
}

void uvCoordinates(const LightMesh& d) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &firstVertex(d)->u);
}

void vectorCoordinates(const float* xyz) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(3, GL_FLOAT, 0, xyz);
}

void noCoordinates() { glDisableClientState(GL_TEXTURE_COORD_ARRAY); }

void normalDotCube(const LightMesh& d, const float* vectors) {
    selectUnit(0);
    useTexture(GL_TEXTURE_2D, d.model.normalTex[static_cast<size_t>(d.mesh)]);
    combineRgb(GL_DOT3_RGBA_ARB, GL_TEXTURE, GL_SRC_COLOR, GL_TEXTURE1_ARB, GL_SRC_COLOR);
    uvCoordinates(d);
    selectUnit(1);
    useTexture(GL_TEXTURE_CUBE_MAP_ARB, d.normalisationCube);
    vectorCoordinates(vectors);
}

void drawAllTriangles(const LightMesh& d) {
    // Every draw index names a vertex of the mesh: the post-processing checked the triangles.
    const std::vector<int>& indices = d.model.indices[static_cast<size_t>(d.mesh)];
    if (indices.empty()) return;
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
}

void drawHighlightTriangles(const LightMesh& d) {
    if (!d.plan.facingList) {
        drawAllTriangles(d);
        return;
    }
    if (d.scratch.facing.empty()) return;
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(d.scratch.facing.size()), GL_UNSIGNED_INT,
                   d.scratch.facing.data());
}

bool highlightDepth(const LightMesh& d) {
    if (d.model.hasDiffuse[static_cast<size_t>(d.mesh)]) {
        glDepthFunc(GL_EQUAL);
        return false;
    }
    // Without a diffuse map the ambient pass wrote no depth here, and no shadow either.
    glDepthFunc(GL_LEQUAL);
    glPushAttrib(GL_STENCIL_BUFFER_BIT);
    glDisable(GL_STENCIL_TEST);
    return true;
}

void leaveBumpPaths(const GlCapabilities& caps) {
    if (caps.hasRegisterCombiners) glDisable(GL_REGISTER_COMBINERS_NV);
    glDisableClientState(GL_COLOR_ARRAY);
    const int last = std::min(caps.maxTextureUnits - 1, 3);
    for (int unit = last; unit >= 0; --unit) {
        selectUnit(unit);
        noTexture();
        noCoordinates();
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, 1.0f);
        glTexEnvf(GL_TEXTURE_ENV, GL_ALPHA_SCALE, 1.0f);
    }
    glColor4f(1, 1, 1, 1);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDepthFunc(GL_LESS);
    glAlphaFunc(GL_GREATER, 0.5f);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

namespace {

MeshMaterials materialsOf(const Model& model, size_t m) {
    MeshMaterials materials;
    materials.hasDiffuse = model.hasDiffuse[m] != 0;
    materials.hasNormalMap = model.hasLocal[m] || model.hasHeight[m];
    materials.hasSpecular = model.hasSpecular[m] != 0;
    return materials;
}

void showNoticeOnce(const GlCapabilities& caps) {
    LightPassState& state = lightPassState();
    if (state.noticeShown || (caps.hasCubeMap && caps.hasMultitexture && caps.hasEnvDot3)) return;
    state.noticeShown = true;
    dialogs().messageBox("VGA capabilities",
                         "You need a graphics card with at least 4 texture units for this to properly display the "
                         "cubemap lighting effects.",
                         DialogKind::Ok);
}

// The CPU side of the plan: scratch room, vectors, filter values and the facing list.
bool prepare(const Model& model, int mesh, const Light& light, const LightPlan& plan, const float lightPos[3],
             const float eye[3], LightScratch& scratch) {
    if (plan.path == LightPath::PerVertex) return true;
    const int vertexCount = model.numVertsTotal(mesh);
    if (!scratch.reserve(vertexCount, model.numTris(mesh), plan.filterValues)) return false;
    const Vertex* verts = model.verts[static_cast<size_t>(mesh)].data();
    tangentSpaceLightVectors(verts, vertexCount, lightPos, eye, scratch.tslight.data(), scratch.halight.data());
    if (plan.filterValues)
        filterSpaceValues(verts, vertexCount, light, lightPos, scratch.cubemaptexcoord.data(),
                          scratch.vertexcolor.data());
    if (plan.facingList) buildLightFacingList(model, mesh, lightPos, scratch.facing);
    return true;
}

void drawLightMesh(Model& model, int mesh, const Light& light, bool shadowed, const GlCapabilities& caps,
                   const float lightPos[3], const float eye[3]) {
    const auto m = static_cast<size_t>(mesh);
    if (!model.meshLoaded[m]) return;
    const bool filtered = light.cubemap != 0;
    if (filtered) showNoticeOnce(caps);
    LightPassState& state = lightPassState();
    const LightPlan plan = planLightMesh(caps, filtered, materialsOf(model, m), model.specular, shadowed);
    LightScratch& scratch = filtered ? state.filtered : state.plain;
    if (!prepare(model, mesh, light, plan, lightPos, eye, scratch)) return;

    const LightMesh d{model, mesh, light, shadowed, caps, plan, scratch, lightPos, state.normalisationCube};
    switch (plan.path) {
    case LightPath::FourUnit:
        if (plan.diffuse) drawFourUnitDiffuse(d);
        if (plan.highlight != Highlight::None) drawFourUnitHighlight(d);
        break;
    case LightPath::ThreeUnit:
        if (plan.diffuse) drawThreeUnitDiffuse(d);
        if (plan.highlight != Highlight::None) drawFourUnitHighlight(d);
        break;
    case LightPath::TwoUnit:
        drawTwoUnit(d);
        break;
    case LightPath::PerVertex:
        drawPerVertex(d);
        return;
    }
    leaveBumpPaths(caps);
}

} // namespace

void drawLightPass(Model& model, const Light& light, bool stencilTest, const GlCapabilities& caps) {
    if (model.meshLoaded.empty()) return;
    // Skinned models are wound the other way round from static ones.
    glFrontFace(model.numJoints() > 0 ? GL_CW : GL_CCW);
    computeLightInModelSpace(model, light);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    const float origin[3] = {0, 0, 0};
    float eye[3];
    inverseRigidTransformPoint(modelview, origin, eye);

    if (stencilTest) {
        // Light only where no shadow volume left a count.
        glStencilFunc(GL_EQUAL, 0, ~0u);
        glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
        glEnable(GL_STENCIL_TEST);
        glStencilMask(~0u);
        glDepthFunc(GL_EQUAL);
    } else {
        glDisable(GL_STENCIL_TEST);
    }
    for (int mesh = 0; mesh < model.numMeshes(); ++mesh)
        drawLightMesh(model, mesh, light, stencilTest, caps, model.lightPosModel, eye);
    glDisable(GL_STENCIL_TEST);
}

} // namespace render
