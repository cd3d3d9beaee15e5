// render/mesh_analyzer.cpp -- the debug render modes that show how a mesh is built: seam and
// duplicate points, faces coloured by the handedness of their texture mapping, and the
// wireframe with face and vertex frames. Immediate mode; nothing is written to the model.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <vector>

#include "model/model.h"
#include "render/frame_passes.h"
#include "render/gl_extensions.h"
#include "render/logic/capability_probe.h"
#include "shadow/shadow_volume.h"

namespace render {
namespace {

size_t at(int i) { return static_cast<size_t>(i); }

// Meshes whose records the overlays can follow without reading past an array; a model
// whose load stopped halfway may hold others.
bool drawable(const Model& model, int mesh) { return shadow::meshIndicesInRange(model, mesh); }

void unitOneOff(const GlCapabilities& caps) {
    if (!caps.hasMultitexture) return;
    ext::glActiveTextureARB(GL_TEXTURE1_ARB);
    if (caps.hasCubeMap) glDisable(GL_TEXTURE_CUBE_MAP_ARB);
    glDisable(GL_TEXTURE_2D);
    ext::glActiveTextureARB(GL_TEXTURE0_ARB);
}

// Corners whose drawn vertex carries other texture coordinates than the vertex read.
void drawSeamCorners(const Model& model, size_t m) {
    const std::vector<Vertex>& verts = model.verts[m];
    const std::vector<int>& indices = model.indices[m];
    const std::vector<Triangle>& tris = model.tris[m];
    glColor4f(1, 1, 1, 1);
    glBegin(GL_POINTS);
    for (size_t t = 0; t < tris.size(); ++t)
        for (int k = 0; k < 3; ++k) {
            const Vertex& read = verts[at(tris[t].v[k])];
            const Vertex& drawn = verts[at(indices[3 * t + at(k)])];
            if (read.u != drawn.u || read.v != drawn.v) glVertex3fv(drawn.pos);
        }
    glEnd();
}

// Vertices with an identical twin among the vertices read (same place and texture coordinates).
void drawDuplicateVertices(const Model& model, size_t m) {
    const std::vector<Vertex>& verts = model.verts[m];
    const std::vector<int>& start = model.cloneStart[m];
    const std::vector<int>& items = model.cloneItems[m];
    const int numVerts = model.numVerts[m];
    if (numVerts < 0 || at(numVerts) > verts.size() || start.size() <= at(numVerts)) return;
    glColor4f(1, 0.6f, 0.3f, 1);
    glBegin(GL_POINTS);
    for (int i = 0; i < numVerts; ++i) {
        const int end = std::min(start[at(i) + 1], static_cast<int>(items.size()));
        for (int e = std::max(start[at(i)], 0); e < end; ++e) {
            const int c = items[at(e)];
            if (c < 0 || c >= numVerts) continue;
            if (verts[at(c)].u == verts[at(i)].u && verts[at(c)].v == verts[at(i)].v) {
                glVertex3fv(verts[at(i)].pos);
                break;
            }
        }
    }
    glEnd();
}

void drawSeamPointsMesh(const Model& model, int mesh) {
    if (!drawable(model, mesh)) return;
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glPolygonOffset(0, -40);
    glEnable(GL_POLYGON_OFFSET_POINT);
    glPolygonMode(GL_FRONT, GL_POINT);
    glPointSize(3.0f);
    drawSeamCorners(model, at(mesh));
    drawDuplicateVertices(model, at(mesh));
    glPointSize(1.0f);
    glDisable(GL_POLYGON_OFFSET_POINT);
    glPolygonMode(GL_FRONT, GL_LINE);
    glPolygonMode(GL_FRONT, GL_FILL);
}

// Red faces map their texture right-handed, cyan faces mirrored.
void drawMeshAnalyzerMesh(const Model& model, int mesh) {
    if (!drawable(model, mesh)) return;
    const size_t m = at(mesh);
    glDisable(GL_ALPHA_TEST);
    glBindTexture(GL_TEXTURE_2D, model.diffuseTex[m]);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_LIGHTING);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_NORMALIZE);
    glDisable(GL_BLEND);

    const std::vector<Vertex>& verts = model.verts[m];
    const std::vector<int>& indices = model.indices[m];
    const std::vector<Triangle>& tris = model.tris[m];
    // Static models take texture coordinates per corner where the reader kept corner records.
    const bool useCorners = model.numJoints() == 0 && model.corners[m].size() == 3 * tris.size();
    glBegin(GL_TRIANGLES);
    for (size_t t = 0; t < tris.size(); ++t) {
        if (tris[t].rightHanded)
            glColor3f(1, 0, 0);
        else
            glColor3f(0, 1, 1);
        for (size_t k = 0; k < 3; ++k) {
            const Vertex& vert = verts[at(indices[3 * t + k])];
            glNormal3fv(vert.normal);
            if (useCorners)
                glTexCoord2f(model.corners[m][3 * t + k].u, model.corners[m][3 * t + k].v);
            else
                glTexCoord2f(vert.u, vert.v);
            glVertex3fv(vert.pos);
        }
    }
    glEnd();
    glDisable(GL_NORMALIZE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor3f(1, 1, 1);
    drawSeamPointsMesh(model, mesh);
}

void segment(const float from[3], const float along[3]) {
    glVertex3fv(from);
    glVertex3f(from[0] + along[0], from[1] + along[1], from[2] + along[2]);
}

// Outline, then normal (white), S (red) and T (blue) from the centroid.
void drawFaceFrames(const Model& model, size_t m) {
    const std::vector<Vertex>& verts = model.verts[m];
    for (const Triangle& tri : model.tris[m]) {
        const float* p[3] = {verts[at(tri.v[0])].pos, verts[at(tri.v[1])].pos, verts[at(tri.v[2])].pos};
        glColor3f(1, 1, 1);
        glBegin(GL_POLYGON);
        for (const float* corner : p) glVertex3fv(corner);
        glEnd();
        float centre[3];
        for (int c = 0; c < 3; ++c) centre[c] = (p[0][c] + p[1][c] + p[2][c]) * 0.33333334f;
        glBegin(GL_LINES);
        segment(centre, tri.normal);
        glColor3f(1, 0, 0);
        segment(centre, tri.tangentS);
        glColor3f(0, 0, 1);
        segment(centre, tri.tangentT);
        glEnd();
    }
}

// Normal, S and T of every vertex; bright for vertices with weights, dim for the others and
// for clones. The tangents only where the lighting passes bump-map the mesh.
void drawVertexFrames(const Model& model, size_t m, bool tangents) {
    static const float kBright[3][3] = {{1.0f, 0.7f, 0.7f}, {0.7f, 1.0f, 0.7f}, {0.7f, 0.7f, 1.0f}};
    static const float kDim[3][3] = {{0.5f, 0.2f, 0.2f}, {0.2f, 0.5f, 0.2f}, {0.2f, 0.2f, 0.5f}};
    const std::vector<Vertex>& verts = model.verts[m];
    const size_t numVerts = at(model.numVerts[m]);
    glBegin(GL_LINES);
    for (size_t i = 0; i < verts.size(); ++i) {
        const Vertex& vert = verts[i];
        const float(*colours)[3] = i < numVerts && vert.weightCount > 0 ? kBright : kDim;
        glColor3fv(colours[0]);
        segment(vert.pos, vert.normal);
        if (!tangents) continue;
        glColor3fv(colours[1]);
        segment(vert.pos, vert.tangentS);
        glColor3fv(colours[2]);
        segment(vert.pos, vert.tangentT);
    }
    glEnd();
}

void drawWireframeMesh(const Model& model, int mesh, const GlCapabilities& caps) {
    if (!drawable(model, mesh)) return;
    const size_t m = at(mesh);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    unitOneOff(caps);
    glPointSize(3.5f);
    glPolygonMode(GL_FRONT, GL_LINE);
    glPolygonOffset(0, -40);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_POLYGON_OFFSET_LINE);
    drawFaceFrames(model, m);
    const bool bumpMapped = caps.hasEnvDot3 && caps.hasCubeMap && caps.hasMultitexture;
    drawVertexFrames(model, m, bumpMapped && (model.hasLocal[m] || model.hasHeight[m]));
    glEnable(GL_TEXTURE_2D);
    glDepthFunc(GL_LESS);
    glPolygonMode(GL_FRONT, GL_FILL);
    glColor3f(1, 1, 1);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
}

// Skinned models are wound the other way round from static ones.
void setFrontFace(const Model& model) { glFrontFace(model.numJoints() > 0 ? GL_CW : GL_CCW); }

} // namespace

void drawSeamPoints(Model& model) {
    if (model.meshLoaded.empty()) return;
    setFrontFace(model);
    for (int mesh = 0; mesh < model.numMeshes(); ++mesh) drawSeamPointsMesh(model, mesh);
}

void drawMeshAnalyzer(Model& model, const GlCapabilities&) {
    if (model.meshLoaded.empty()) return;
    setFrontFace(model);
    for (int mesh = 0; mesh < model.numMeshes(); ++mesh) drawMeshAnalyzerMesh(model, mesh);
}

void drawWireframeOverlay(Model& model, const GlCapabilities& caps) {
    if (model.meshLoaded.empty()) return;
    setFrontFace(model);
    for (int mesh = 0; mesh < model.numMeshes(); ++mesh) drawWireframeMesh(model, mesh, caps);
}

} // namespace render
