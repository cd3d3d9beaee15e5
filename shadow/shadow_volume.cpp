// shadow/shadow_volume.cpp -- light-facing triangles, silhouette edges and the shadow volume's
// caps and sides of one mesh, as arrays the renderer sends unchanged; no GL.
#include "shadow/shadow_volume.h"

#include <cstddef>

#include "model/model.h"

namespace shadow {
namespace {

size_t at(int i) { return static_cast<size_t>(i); }

bool inRange(int i, size_t count) { return i >= 0 && static_cast<size_t>(i) < count; }

bool meshExists(const Model& model, int mesh) {
    if (!inRange(mesh, model.meshLoaded.size())) return false;
    const size_t m = at(mesh);
    return m < model.tris.size() && m < model.verts.size() && m < model.indices.size() && m < model.edges.size();
}

bool trianglesInRange(const std::vector<Triangle>& tris, size_t vertCount) {
    for (const Triangle& t : tris)
        for (int k = 0; k < 3; ++k)
            if (!inRange(t.v[k], vertCount)) return false;
    return true;
}

bool drawIndicesInRange(const std::vector<int>& indices, size_t triCount, size_t vertCount) {
    if (indices.size() != 3 * triCount) return false;
    for (int i : indices)
        if (!inRange(i, vertCount)) return false;
    return true;
}

bool edgesInRange(const std::vector<Edge>& edges, size_t triCount, size_t vertCount) {
    // A mesh with triangles always has edges once post-processed; without them the volume
    // would get caps and no sides.
    if (edges.empty() && triCount > 0) return false;
    for (const Edge& e : edges) {
        if (!inRange(e.v0, vertCount) || !inRange(e.v1, vertCount) || !inRange(e.tri0, triCount)) return false;
        if (e.tri1 != -1 && !inRange(e.tri1, triCount)) return false;
    }
    return true;
}

// Which way the side quad of a silhouette edge runs: +1 along tri0's winding (v1, v0, v0 at
// infinity, v1 at infinity), -1 along tri1's (v0, v1, v1 at infinity, v0 at infinity), 0 none.
// An open edge made by the pairing pass (v0 > v1) always follows its one triangle.
int sideDirection(const Edge& e, const std::vector<Triangle>& tris) {
    if ((e.v0 < e.v1 && tris[at(e.tri0)].facesLight) || (e.tri1 == -1 && e.v0 > e.v1)) return 1;
    if (e.v0 < e.v1 && e.tri1 != -1 && tris[at(e.tri1)].facesLight) return -1;
    return 0;
}

float* putPoint(float* out, const float p[3]) {
    out[0] = p[0];
    out[1] = p[1];
    out[2] = p[2];
    out[3] = 1.0f;
    return out + 4;
}

// The point seen from the light at infinity: the direction away from it, w = 0.
float* putAtInfinity(float* out, const float p[3], const float light[4]) {
    out[0] = p[0] - light[0];
    out[1] = p[1] - light[1];
    out[2] = p[2] - light[2];
    out[3] = 0.0f;
    return out + 4;
}

void appendLines(const Model& model, int mesh, bool silhouettes, std::vector<float>& out) {
    out.clear();
    if (!meshIndicesInRange(model, mesh)) return;
    const std::vector<Vertex>& verts = model.verts[at(mesh)];
    for (const Edge& e : model.edges[at(mesh)]) {
        if (silhouettes ? !e.isSilhouette : e.tri1 != -1) continue;
        for (int v : {e.v0, e.v1}) out.insert(out.end(), verts[at(v)].pos, verts[at(v)].pos + 3);
    }
}

} // namespace

bool meshIndicesInRange(const Model& model, int mesh) {
    if (!meshExists(model, mesh)) return false;
    const size_t m = at(mesh);
    const size_t vertCount = model.verts[m].size();
    const size_t triCount = model.tris[m].size();
    return trianglesInRange(model.tris[m], vertCount) &&
           drawIndicesInRange(model.indices[m], triCount, vertCount) &&
           edgesInRange(model.edges[m], triCount, vertCount);
}

bool castsShadow(const Model& model, int mesh) {
    if (!inRange(mesh, model.meshLoaded.size()) || !model.meshLoaded[at(mesh)]) return false;
    const size_t m = at(mesh);
    const bool diffuse = m < model.hasDiffuse.size() && model.hasDiffuse[m];
    const bool specular = m < model.hasSpecular.size() && model.hasSpecular[m];
    return diffuse || !specular;
}

void markFacingTriangles(Model& model, int mesh) {
    const float* light = model.lightPosModel;
    const std::vector<Vertex>& verts = model.verts[at(mesh)];
    for (Triangle& t : model.tris[at(mesh)]) {
        const float* p = verts[at(t.v[0])].pos;
        const float d = (light[0] - p[0]) * t.normal[0] + (light[1] - p[1]) * t.normal[1] +
                        (light[2] - p[2]) * t.normal[2];
        t.facesLight = d > 0;
    }
}

void markSilhouetteEdges(Model& model, int mesh) {
    if (!meshIndicesInRange(model, mesh)) {
        if (meshExists(model, mesh))
            for (Edge& e : model.edges[at(mesh)]) e.isSilhouette = 0;
        return;
    }
    markFacingTriangles(model, mesh);
    const std::vector<Triangle>& tris = model.tris[at(mesh)];
    for (Edge& e : model.edges[at(mesh)]) {
        const bool lit0 = tris[at(e.tri0)].facesLight;
        e.isSilhouette = e.tri1 == -1 ? lit0 : lit0 != tris[at(e.tri1)].facesLight;
    }
}

void markAllSilhouettes(Model& model) {
    for (int mesh = 0; mesh < model.numMeshes(); ++mesh) markSilhouetteEdges(model, mesh);
}

void buildVolumeGeometry(const Model& model, int mesh, VolumeGeometry& out) {
    out.nearCaps.clear();
    out.farCaps.clear();
    out.sides.clear();
    if (!castsShadow(model, mesh) || !meshIndicesInRange(model, mesh)) return;
    const std::vector<Vertex>& verts = model.verts[at(mesh)];
    const std::vector<Triangle>& tris = model.tris[at(mesh)];
    const std::vector<Edge>& edges = model.edges[at(mesh)];
    const float* light = model.lightPosModel;

    size_t lit = 0, quads = 0;
    for (const Triangle& t : tris) lit += t.facesLight ? 1 : 0;
    for (const Edge& e : edges) quads += e.isSilhouette && sideDirection(e, tris) != 0 ? 1 : 0;
    constexpr size_t kVertex = VolumeGeometry::kFloatsPerVertex;
    out.nearCaps.resize(lit * 3 * kVertex);
    out.farCaps.resize(lit * 3 * kVertex);
    out.sides.resize(quads * 4 * kVertex);

    float* nearOut = out.nearCaps.data();
    float* farOut = out.farCaps.data();
    for (const Triangle& t : tris) {
        if (!t.facesLight) continue;
        const float* p0 = verts[at(t.v[0])].pos;
        const float* p1 = verts[at(t.v[1])].pos;
        const float* p2 = verts[at(t.v[2])].pos;
        farOut = putAtInfinity(putAtInfinity(putAtInfinity(farOut, p0, light), p2, light), p1, light);
        nearOut = putPoint(putPoint(putPoint(nearOut, p0), p1), p2);
    }
    float* sideOut = out.sides.data();
    for (const Edge& e : edges) {
        if (!e.isSilhouette) continue;
        const int direction = sideDirection(e, tris);
        if (direction == 0) continue;
        const float* a = verts[at(direction > 0 ? e.v1 : e.v0)].pos;
        const float* b = verts[at(direction > 0 ? e.v0 : e.v1)].pos;
        sideOut = putAtInfinity(putAtInfinity(putPoint(putPoint(sideOut, a), b), b, light), a, light);
    }
}

void openEdgeLines(const Model& model, int mesh, std::vector<float>& out) { appendLines(model, mesh, false, out); }

void silhouetteEdgeLines(const Model& model, int mesh, std::vector<float>& out) {
    appendLines(model, mesh, true, out);
}

} // namespace shadow
