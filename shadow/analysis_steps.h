// shadow/analysis_steps.h -- the steps that the fast and the reference analysis share; no GL.
// Both versions find the same pairs and edges and hand them to these steps in the same order,
// so their results can only differ where their searches differ.
#pragma once

#include <cstddef>
#include <vector>

class Model;
struct Edge;

namespace shadow {

// A vertex keeps at most this many (triangle, corner) entries in its incidence list.
constexpr int kMaxTriRefs = 40;

// Static models: positions agree within 0.0001 on every axis (inclusive). Skinned models: same
// weight count and every weight of `a` has a weight of `b` with the same joint and position and
// bias closer than 0.0001. Not symmetric for skinned models.
bool verticesIdentical(const Model& model, int mesh, int a, int b);

// Lists that grow at their end, kept in one pool: each owner has a run of room in the pool, and
// an owner whose run is full moves to the pool's end with twice the room. The analysis appends
// to one vertex's lists at a time, so moves are rare and the pool grows a few times per mesh.
template <class T>
class ListPool {
public:
    // Owner o gets room for room[o] items and holds none.
    void layOut(const std::vector<int>& room);
    void layOutUniform(size_t owners, int room);
    int size(int owner) const { return count_[static_cast<size_t>(owner)]; }
    const T& at(int owner, int r) const { return items_[static_cast<size_t>(start_[static_cast<size_t>(owner)] + r)]; }
    void append(int owner, const T& item);
    // Filled in owner order by `place` after layOut: no move.
    void place(int owner, const T& item) { items_[static_cast<size_t>(start_[static_cast<size_t>(owner)] + count_[static_cast<size_t>(owner)]++)] = item; }
    void clear(int owner) { count_[static_cast<size_t>(owner)] = 0; }

private:
    std::vector<T> items_;
    std::vector<int> start_, count_, room_;
};

struct TriRef {
    int tri;
    int corner;
};

struct CloneRef {
    int vertex;
    int tri; // the triangle the clone was made for; 0 for merged duplicates
};

// What the analysis of one mesh keeps while it runs: the incidence lists (triangles using each
// vertex read and the corner it stands at, in triangle and corner order, at most kMaxTriRefs),
// the clone lists of the vertices read and each triangle's receivers. finishAnalysis stores the
// last two in the Model as flat arrays.
struct MeshAnalysis {
    ListPool<TriRef> triRefs;
    ListPool<CloneRef> clones;
    ListPool<int> receivers;
};

namespace steps {

bool meshExists(const Model& model, int mesh);
// The pairwise order only looks at pair (i, j) when this holds for j.
bool pairConsidered(const Model& model, int mesh, int j);

// Builds the incidence lists from the triangle records, empty clone and receiver lists, and
// resets the mesh's duplicate count.
void beginAnalysis(Model& model, int mesh, MeshAnalysis& lists);
// Stores the clone and receiver lists in the Model's flat arrays.
void finishAnalysis(Model& model, int mesh, const MeshAnalysis& lists);

// Folds j into i: a duplicate (equal u, v: logged, drawn as i) or a seam twin (drawn as j,
// triangle records name i). i's clone lists get (j, 0) either way.
void mergeIdenticalPair(Model& model, int mesh, MeshAnalysis& lists, int i, int j);

// The whole analysis of one mesh with the given duplicate search (fast or pairwise): the
// incidence lists, the search, the tangent-frame clones, the flat lists stored.
using DuplicateSearch = void (*)(Model& model, int mesh, MeshAnalysis& lists);
void analyzeWith(Model& model, int mesh, DuplicateSearch search);

// Pass 2: gives each triangle's vectors to its vertices and appends clones where the tangent
// frames around a vertex disagree.
void splitTangentFrames(Model& model, int mesh, MeshAnalysis& lists);

void addEdge(std::vector<Edge>& edges, int va, int vb, int tri);
void logEdgeWithMoreThanTwoTris(int mesh, int va, int vb, int tri);
// Empties the edge list of every mesh.
void clearEdgeLists(Model& model);

} // namespace steps
} // namespace shadow
