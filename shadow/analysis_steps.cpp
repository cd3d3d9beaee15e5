// shadow/analysis_steps.cpp -- merges, tangent-frame clones and edge records shared by both analyses; no GL.
#include "shadow/analysis_steps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/debug_log.h"
#include "model/model.h"

namespace shadow {
namespace {

// Tolerances are single-precision constants compared in double precision.
const double kPositionTolerance = static_cast<double>(0.0001f);
const double kCloneUvTolerance = static_cast<double>(0.001f);
const float kCompatibleFrames = 0.4f;

size_t at(int i) { return static_cast<size_t>(i); }

bool weightRangeValid(const Vertex& vx, size_t weightTotal) {
    if (vx.weightStart < 0 || vx.weightCount < 0) return false;
    return static_cast<int64_t>(vx.weightStart) + vx.weightCount <= static_cast<int64_t>(weightTotal);
}

bool closeStrict(float a, float b) {
    return std::fabs(static_cast<double>(a) - static_cast<double>(b)) < kPositionTolerance;
}

bool weightsMatch(const VertexWeight& a, const VertexWeight& b) {
    return a.joint == b.joint && closeStrict(a.pos[0], b.pos[0]) && closeStrict(a.pos[1], b.pos[1]) &&
           closeStrict(a.pos[2], b.pos[2]) && closeStrict(a.bias, b.bias);
}

bool positionsIdentical(const Vertex& a, const Vertex& b) {
    for (int k = 0; k < 3; ++k) {
        if (!(std::fabs(static_cast<double>(a.pos[k]) - static_cast<double>(b.pos[k])) <= kPositionTolerance))
            return false;
    }
    return true;
}

bool weightsIdentical(const Vertex& a, const Vertex& b, const std::vector<VertexWeight>& ws) {
    if (a.weightCount != b.weightCount) return false;
    if (!weightRangeValid(a, ws.size()) || !weightRangeValid(b, ws.size())) return false;
    for (int wa = 0; wa < a.weightCount; ++wa) {
        const VertexWeight& weightA = ws[at(a.weightStart + wa)];
        bool found = false;
        for (int wb = 0; wb < b.weightCount && !found; ++wb) found = weightsMatch(weightA, ws[at(b.weightStart + wb)]);
        if (!found) return false;
    }
    return true;
}

int triRefCount(const Vertex& vx) {
    const size_t held = std::min(vx.triList.size(), vx.cornerList.size());
    return std::max(0, std::min(vx.numTriRefs, static_cast<int>(held)));
}

bool cornerValid(const Model& model, int mesh, int tri, int corner) {
    return tri >= 0 && tri < steps::trisHeld(model, mesh) && corner >= 0 && corner < 3;
}

void setDrawIndex(Model& model, int mesh, int tri, int corner, int vertex) {
    std::vector<int>& indices = model.indices[at(mesh)];
    const int64_t slot = 3 * static_cast<int64_t>(tri) + corner;
    if (slot < static_cast<int64_t>(indices.size())) indices[static_cast<size_t>(slot)] = vertex;
}

// A triangle names each vertex that receives its vectors once, so no vertex gets a triangle's
// vectors twice over.
void addReceiver(Triangle& tri, int vertex) {
    if (std::find(tri.triCloneList.begin(), tri.triCloneList.end(), vertex) != tri.triCloneList.end()) return;
    tri.triCloneList.push_back(vertex);
    tri.numTriClones = static_cast<int>(tri.triCloneList.size());
}

void addCloneRef(Vertex& vx, int clone, int tri) {
    vx.cloneList.push_back(clone);
    vx.cloneTris.push_back(tri);
    vx.numCloneRefs = static_cast<int>(vx.cloneList.size());
}

// The incidence lists stay within kMaxTriRefs: triangles beyond it still draw with the vertex,
// they only take no part in the tangent-frame split.
void addTriRef(Vertex& vx, int tri, int corner) {
    const int refs = triRefCount(vx);
    if (refs >= kMaxTriRefs) return;
    vx.triList.resize(at(refs));
    vx.cornerList.resize(at(refs));
    vx.triList.push_back(tri);
    vx.cornerList.push_back(corner);
    vx.numTriRefs = refs + 1;
}

void releaseTriRefs(Vertex& vx) {
    std::vector<int>().swap(vx.triList);
    std::vector<int>().swap(vx.cornerList);
    vx.numTriRefs = 0;
}

float dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

bool isZero(const float s[3]) { return s[0] == 0.0f && s[1] == 0.0f && s[2] == 0.0f; }

bool framesCompatible(const Triangle& a, const Triangle& b) {
    return a.rightHanded == b.rightHanded && dot(a.tangentS, b.tangentS) + dot(a.tangentT, b.tangentT) >= kCompatibleFrames;
}

bool uvClose(const Vertex& a, const Vertex& b) {
    return std::fabs(static_cast<double>(a.u) - static_cast<double>(b.u)) <= kCloneUvTolerance &&
           std::fabs(static_cast<double>(a.v) - static_cast<double>(b.v)) <= kCloneUvTolerance;
}

// The first entry of k's clone lists that can draw triangle `tri` at k's place, or -1.
// Duplicates carry triangle 0 as the triangle they were made for.
int findReusableClone(const Model& model, int mesh, int k, const Triangle& tri) {
    const std::vector<Vertex>& vs = model.verts[at(mesh)];
    const std::vector<Triangle>& ts = model.tris[at(mesh)];
    const Vertex& vk = vs[at(k)];
    const size_t entries = std::min(vk.cloneList.size(), vk.cloneTris.size());
    for (size_t e = 0; e < entries; ++e) {
        const int x = vk.cloneList[e];
        const int tx = vk.cloneTris[e];
        if (x < 0 || at(x) >= vs.size() || tx < 0 || tx >= steps::trisHeld(model, mesh)) continue;
        const Triangle& made = ts[at(tx)];
        if (made.rightHanded != tri.rightHanded) continue;
        if (!(dot(made.tangentS, tri.tangentS) > 0.0f) || !(dot(made.tangentT, tri.tangentT) > 0.0f)) continue;
        if (uvClose(vs[at(x)], vk)) return x;
    }
    return -1;
}

// Clones copy u, v and position, carry no weights and no triangle lists; skinning reaches them
// through the clone list of the vertex they were made from.
int appendClone(Model& model, int mesh, int k, int tri) {
    std::vector<Vertex>& vs = model.verts[at(mesh)];
    Vertex clone;
    clone.u = vs[at(k)].u;
    clone.v = vs[at(k)].v;
    std::copy(vs[at(k)].pos, vs[at(k)].pos + 3, clone.pos);
    const int index = static_cast<int>(vs.size());
    vs.push_back(clone);
    addCloneRef(vs[at(k)], index, tri);
    model.numVertsTotal[at(mesh)] = static_cast<int>(vs.size());
    ++model.numClones[at(mesh)];
    return index;
}

// Triangle records keep vertex k; only the draw index of the corner moves to the clone, so the
// edge lists still see one vertex.
void splitVertex(Model& model, int mesh, int k) {
    std::vector<Triangle>& ts = model.tris[at(mesh)];
    const int refs = triRefCount(model.verts[at(mesh)][at(k)]);
    if (refs == 0) return;
    const int first = model.verts[at(mesh)][at(k)].triList[0];
    if (!cornerValid(model, mesh, first, 0)) return;
    addReceiver(ts[at(first)], k);
    for (int r = 1; r < refs; ++r) {
        const Vertex& vk = model.verts[at(mesh)][at(k)]; // appendClone may move the vertices
        const int tri = vk.triList[at(r)];
        const int corner = vk.cornerList[at(r)];
        if (!cornerValid(model, mesh, tri, corner)) continue;
        Triangle& t = ts[at(tri)];
        if (isZero(t.tangentS)) continue;
        if (framesCompatible(t, ts[at(first)])) {
            addReceiver(t, k);
            continue;
        }
        int x = findReusableClone(model, mesh, k, t);
        if (x < 0) x = appendClone(model, mesh, k, tri);
        setDrawIndex(model, mesh, tri, corner, x);
        addReceiver(t, x);
    }
}

} // namespace

bool verticesIdentical(const Model& model, int mesh, int a, int b) {
    if (!steps::meshExists(model, mesh)) return false;
    const std::vector<Vertex>& vs = model.verts[at(mesh)];
    if (a < 0 || b < 0 || at(a) >= vs.size() || at(b) >= vs.size()) return false;
    if (model.numJoints <= 0) return positionsIdentical(vs[at(a)], vs[at(b)]);
    return weightsIdentical(vs[at(a)], vs[at(b)], model.weights[at(mesh)]);
}

namespace steps {

bool meshExists(const Model& model, int mesh) {
    if (mesh < 0 || mesh >= model.numMeshes) return false;
    const size_t m = at(mesh);
    return m < model.verts.size() && m < model.tris.size() && m < model.indices.size() && m < model.weights.size() &&
           m < model.numVerts.size() && m < model.numTris.size() && m < model.numVertsTotal.size() &&
           m < model.numClones.size() && m < model.numDuplicates.size();
}

int vertsRead(const Model& model, int mesh) {
    return std::max(0, std::min(model.numVerts[at(mesh)], static_cast<int>(model.verts[at(mesh)].size())));
}

int trisHeld(const Model& model, int mesh) {
    return std::max(0, std::min(model.numTris[at(mesh)], static_cast<int>(model.tris[at(mesh)].size())));
}

bool pairConsidered(const Model& model, int mesh, int j) {
    return model.numJoints <= 0 || model.verts[at(mesh)][at(j)].weightCount > 0;
}

void beginAnalysis(Model& model, int mesh) {
    const int held = static_cast<int>(model.verts[at(mesh)].size());
    model.numVertsTotal[at(mesh)] = held;
    model.numClones[at(mesh)] = held - vertsRead(model, mesh);
    model.numDuplicates[at(mesh)] = 0;
}

void mergeIdenticalPair(Model& model, int mesh, int i, int j) {
    std::vector<Vertex>& vs = model.verts[at(mesh)];
    std::vector<Triangle>& ts = model.tris[at(mesh)];
    Vertex& keep = vs[at(i)];
    Vertex& gone = vs[at(j)];
    const bool duplicate = keep.u == gone.u && keep.v == gone.v;
    if (duplicate) {
        logFormat("identical verts: %i, %i, %i\n", mesh, i, j);
        ++model.numDuplicates[at(mesh)];
    }
    gone.weightCount = 0;
    const int refs = triRefCount(gone);
    for (int r = 0; r < refs; ++r) {
        const int tri = gone.triList[at(r)];
        const int corner = gone.cornerList[at(r)];
        if (!cornerValid(model, mesh, tri, corner)) continue;
        ts[at(tri)].v[corner] = i;
        if (duplicate) {
            addReceiver(ts[at(tri)], i);
            addTriRef(keep, tri, corner);
            setDrawIndex(model, mesh, tri, corner, i);
        } else {
            // A seam twin keeps drawing its corner with its own texture coordinates.
            addReceiver(ts[at(tri)], j);
        }
    }
    releaseTriRefs(gone);
    addCloneRef(keep, j, 0);
}

void splitTangentFrames(Model& model, int mesh) {
    const int count = vertsRead(model, mesh);
    for (int k = 0; k < count; ++k) splitVertex(model, mesh, k);
}

void addEdge(std::vector<Edge>& edges, int va, int vb, int tri) {
    Edge e;
    e.v0 = va;
    e.v1 = vb;
    e.tri0 = tri;
    e.tri1 = -1;
    e.isSilhouette = 0;
    edges.push_back(e);
}

void logEdgeWithMoreThanTwoTris(int mesh, int va, int vb, int tri) {
    logFormat("geometryanalyzer: edge with more than two tris: meshnumber, v1, v2, tri: %i %i %i %i\n", mesh, va, vb,
              tri);
}

void allocateEdgeLists(Model& model) {
    const size_t meshes = at(std::max(model.numMeshes, 0));
    model.edges.assign(meshes, std::vector<Edge>());
    model.numEdges.assign(meshes, 0);
}

} // namespace steps
} // namespace shadow
