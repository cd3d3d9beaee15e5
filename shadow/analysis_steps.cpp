// shadow/analysis_steps.cpp -- merges, tangent-frame clones and edge records shared by both analyses; no GL.
#include "shadow/analysis_steps.h"

#include "base/large_buffers.h"

#include <algorithm>
#include <cmath>

#include "base/debug_log.h"
#include "model/model.h"

namespace shadow {
namespace {

// Tolerances are single-precision constants compared in double precision.
const double kPositionTolerance = static_cast<double>(0.0001f);
const double kCloneUvTolerance = static_cast<double>(0.001f);
const float kCompatibleFrames = 0.4f;

size_t at(int i) { return static_cast<size_t>(i); }

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

// Weight ranges lie within the weights: the post-processing checks them before the analysis.
bool weightsIdentical(const Vertex& a, const Vertex& b, const std::vector<VertexWeight>& ws) {
    if (a.weightCount != b.weightCount) return false;
    for (int wa = 0; wa < a.weightCount; ++wa) {
        const VertexWeight& weightA = ws[at(a.weightStart + wa)];
        bool found = false;
        for (int wb = 0; wb < b.weightCount && !found; ++wb) found = weightsMatch(weightA, ws[at(b.weightStart + wb)]);
        if (!found) return false;
    }
    return true;
}

// A triangle names each vertex that receives its vectors once, so no vertex gets a triangle's
// vectors twice over.
void addReceiver(MeshAnalysis& lists, int tri, int vertex) {
    for (int r = 0; r < lists.receivers.size(tri); ++r)
        if (lists.receivers.at(tri, r) == vertex) return;
    lists.receivers.append(tri, vertex);
}

// The incidence lists stay within kMaxTriRefs: triangles beyond it still draw with the vertex,
// they only take no part in the tangent-frame split.
void addTriRef(MeshAnalysis& lists, int vertex, int tri, int corner) {
    if (lists.triRefs.size(vertex) >= kMaxTriRefs) return;
    lists.triRefs.append(vertex, TriRef{tri, corner});
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
int findReusableClone(const Model& model, int mesh, const MeshAnalysis& lists, int k, const Triangle& tri) {
    const std::vector<Vertex>& vs = model.verts[at(mesh)];
    const std::vector<Triangle>& ts = model.tris[at(mesh)];
    for (int e = 0; e < lists.clones.size(k); ++e) {
        const CloneRef ref = lists.clones.at(k, e);
        const Triangle& made = ts[at(ref.tri)];
        if (made.rightHanded != tri.rightHanded) continue;
        if (!(dot(made.tangentS, tri.tangentS) > 0.0f) || !(dot(made.tangentT, tri.tangentT) > 0.0f)) continue;
        if (uvClose(vs[at(ref.vertex)], vs[at(k)])) return ref.vertex;
    }
    return -1;
}

// Clones copy u, v and position, carry no weights and no triangle lists; skinning reaches them
// through the clone list of the vertex they were made from.
int appendClone(Model& model, int mesh, MeshAnalysis& lists, int k, int tri) {
    std::vector<Vertex>& vs = model.verts[at(mesh)];
    Vertex clone;
    clone.u = vs[at(k)].u;
    clone.v = vs[at(k)].v;
    std::copy(vs[at(k)].pos, vs[at(k)].pos + 3, clone.pos);
    const int index = static_cast<int>(vs.size());
    vs.push_back(clone);
    lists.clones.append(k, CloneRef{index, tri});
    return index;
}

// Triangle records keep vertex k; only the draw index of the corner moves to the clone, so the
// edge lists still see one vertex.
void splitVertex(Model& model, int mesh, MeshAnalysis& lists, int k) {
    std::vector<Triangle>& ts = model.tris[at(mesh)];
    const int refs = lists.triRefs.size(k);
    if (refs == 0) return;
    const int first = lists.triRefs.at(k, 0).tri;
    addReceiver(lists, first, k);
    for (int r = 1; r < refs; ++r) {
        const TriRef ref = lists.triRefs.at(k, r);
        const Triangle& t = ts[at(ref.tri)];
        if (isZero(t.tangentS)) continue;
        if (framesCompatible(t, ts[at(first)])) {
            addReceiver(lists, ref.tri, k);
            continue;
        }
        int x = findReusableClone(model, mesh, lists, k, t);
        if (x < 0) x = appendClone(model, mesh, lists, k, ref.tri);
        model.indices[at(mesh)][3 * at(ref.tri) + at(ref.corner)] = x;
        addReceiver(lists, ref.tri, x);
    }
}

} // namespace

template <class T>
void ListPool<T>::layOut(const std::vector<int>& room) {
    start_.resize(room.size());
    count_.assign(room.size(), 0);
    room_ = room;
    int next = 0;
    for (size_t o = 0; o < room.size(); ++o) {
        start_[o] = next;
        next += room[o];
    }
    items_.clear();
    reserveLarge(items_, static_cast<size_t>(next) + static_cast<size_t>(next) / 4 + 16);
    items_.resize(static_cast<size_t>(next));
}

template <class T>
void ListPool<T>::layOutUniform(size_t owners, int room) {
    layOut(std::vector<int>(owners, room));
}

template <class T>
void ListPool<T>::append(int owner, const T& item) {
    const size_t o = static_cast<size_t>(owner);
    if (count_[o] == room_[o]) {
        const int from = start_[o];
        const int room = std::max(2 * room_[o], 4);
        start_[o] = static_cast<int>(items_.size());
        room_[o] = room;
        items_.resize(items_.size() + static_cast<size_t>(room));
        std::copy(items_.begin() + from, items_.begin() + from + count_[o], items_.begin() + start_[o]);
    }
    items_[static_cast<size_t>(start_[o] + count_[o]++)] = item;
}

template class ListPool<TriRef>;
template class ListPool<CloneRef>;
template class ListPool<int>;

bool verticesIdentical(const Model& model, int mesh, int a, int b) {
    if (!steps::meshExists(model, mesh)) return false;
    const std::vector<Vertex>& vs = model.verts[at(mesh)];
    if (a < 0 || b < 0 || at(a) >= vs.size() || at(b) >= vs.size()) return false;
    if (model.numJoints() == 0) return positionsIdentical(vs[at(a)], vs[at(b)]);
    return weightsIdentical(vs[at(a)], vs[at(b)], model.weights[at(mesh)]);
}

namespace steps {

bool meshExists(const Model& model, int mesh) { return mesh >= 0 && mesh < model.numMeshes(); }

bool pairConsidered(const Model& model, int mesh, int j) {
    return model.numJoints() == 0 || model.verts[at(mesh)][at(j)].weightCount > 0;
}

// One walk over the triangles gives the order that scanning all triangles once per vertex gives.
void beginAnalysis(Model& model, int mesh, MeshAnalysis& lists) {
    const std::vector<Triangle>& ts = model.tris[at(mesh)];
    const size_t vertCount = at(model.numVerts[at(mesh)]);
    std::vector<int> uses(vertCount, 0);
    for (const Triangle& t : ts)
        for (int k = 0; k < 3; ++k) uses[at(t.v[k])] = std::min(uses[at(t.v[k])] + 1, kMaxTriRefs);
    lists.triRefs.layOut(uses);
    for (size_t t = 0; t < ts.size(); ++t)
        for (int k = 0; k < 3; ++k) {
            const int v = ts[t].v[k];
            if (lists.triRefs.size(v) < uses[at(v)]) lists.triRefs.place(v, TriRef{static_cast<int>(t), k});
        }
    lists.clones.layOutUniform(vertCount, 0);
    lists.receivers.layOutUniform(ts.size(), 3);
    model.numDuplicates[at(mesh)] = 0;
    // Room for a few clones, so that the first one does not double the vertex array.
    reserveLarge(model.verts[at(mesh)], vertCount + vertCount / 8 + 16);
}

void finishAnalysis(Model& model, int mesh, const MeshAnalysis& lists) {
    const size_t m = at(mesh);
    const int vertCount = model.numVerts[m];
    std::vector<int>& cloneStart = model.cloneStart[m];
    cloneStart.assign(model.verts[m].size() + 1, 0);
    int next = 0;
    for (int i = 0; i < vertCount; ++i) {
        cloneStart[at(i)] = next;
        next += lists.clones.size(i);
    }
    std::fill(cloneStart.begin() + vertCount, cloneStart.end(), next);
    model.cloneItems[m].resize(at(next));
    model.cloneTriItems[m].resize(at(next));
    for (int i = 0; i < vertCount; ++i)
        for (int e = 0; e < lists.clones.size(i); ++e) {
            model.cloneItems[m][at(cloneStart[at(i)] + e)] = lists.clones.at(i, e).vertex;
            model.cloneTriItems[m][at(cloneStart[at(i)] + e)] = lists.clones.at(i, e).tri;
        }
    const int triCount = model.numTris(mesh);
    std::vector<int>& triStart = model.triCloneStart[m];
    triStart.assign(at(triCount) + 1, 0);
    next = 0;
    for (int t = 0; t < triCount; ++t) {
        triStart[at(t)] = next;
        next += lists.receivers.size(t);
    }
    triStart[at(triCount)] = next;
    std::vector<int>& items = model.triCloneItems[m];
    items.resize(at(next));
    for (int t = 0; t < triCount; ++t)
        for (int r = 0; r < lists.receivers.size(t); ++r) items[at(triStart[at(t)] + r)] = lists.receivers.at(t, r);
}

void analyzeWith(Model& model, int mesh, DuplicateSearch search) {
    if (!meshExists(model, mesh)) return;
    MeshAnalysis lists;
    beginAnalysis(model, mesh, lists);
    search(model, mesh, lists);
    splitTangentFrames(model, mesh, lists);
    finishAnalysis(model, mesh, lists);
}

void mergeIdenticalPair(Model& model, int mesh, MeshAnalysis& lists, int i, int j) {
    std::vector<Vertex>& vs = model.verts[at(mesh)];
    std::vector<Triangle>& ts = model.tris[at(mesh)];
    const bool duplicate = vs[at(i)].u == vs[at(j)].u && vs[at(i)].v == vs[at(j)].v;
    if (duplicate) {
        logFormat("identical verts: %i, %i, %i\n", mesh, i, j);
        ++model.numDuplicates[at(mesh)];
    }
    vs[at(j)].weightCount = 0;
    for (int r = 0; r < lists.triRefs.size(j); ++r) {
        const TriRef ref = lists.triRefs.at(j, r);
        ts[at(ref.tri)].v[ref.corner] = i;
        if (duplicate) {
            addReceiver(lists, ref.tri, i);
            addTriRef(lists, i, ref.tri, ref.corner);
            model.indices[at(mesh)][3 * at(ref.tri) + at(ref.corner)] = i;
        } else {
            // A seam twin keeps drawing its corner with its own texture coordinates.
            addReceiver(lists, ref.tri, j);
        }
    }
    lists.triRefs.clear(j);
    lists.clones.append(i, CloneRef{j, 0});
}

void splitTangentFrames(Model& model, int mesh, MeshAnalysis& lists) {
    const int count = model.numVerts[at(mesh)];
    for (int k = 0; k < count; ++k) splitVertex(model, mesh, lists, k);
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

void clearEdgeLists(Model& model) {
    for (std::vector<Edge>& edges : model.edges) edges.clear();
}

} // namespace steps
} // namespace shadow
