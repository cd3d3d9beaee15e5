// shadow/analysis_steps.h -- the steps that the fast and the reference analysis share; no GL.
// Both versions find the same pairs and edges and hand them to these steps in the same order,
// so their results can only differ where their searches differ.
#pragma once

#include <vector>

class Model;
struct Edge;
struct Triangle;

namespace shadow {

// A vertex keeps at most this many (triangle, corner) entries in triList/cornerList.
constexpr int kMaxTriRefs = 40;

// Static models: positions agree within 0.0001 on every axis (inclusive). Skinned models: same
// weight count and every weight of `a` has a weight of `b` with the same joint and position and
// bias closer than 0.0001. Not symmetric for skinned models. A weight range outside the mesh's
// weights makes a vertex identical to none.
bool verticesIdentical(const Model& model, int mesh, int a, int b);

namespace steps {

bool meshExists(const Model& model, int mesh);
// Vertices read from the file that really exist (numVerts clamped to the records held).
int vertsRead(const Model& model, int mesh);
// The pairwise order only looks at pair (i, j) when this holds for j.
bool pairConsidered(const Model& model, int mesh, int j);

// Folds j into i: a duplicate (equal u, v: logged, drawn as i) or a seam twin (drawn as j,
// triangle records name i). i's clone lists get (j, 0) either way.
void mergeIdenticalPair(Model& model, int mesh, int i, int j);

// Pass 2: gives each triangle's vectors to its vertices and appends clones where the tangent
// frames around a vertex disagree.
void splitTangentFrames(Model& model, int mesh);

// Resets the per-mesh counters the analysis fills.
void beginAnalysis(Model& model, int mesh);

// Triangles of a mesh that really exist (numTris clamped to the records held).
int trisHeld(const Model& model, int mesh);
void addEdge(std::vector<Edge>& edges, int va, int vb, int tri);
void logEdgeWithMoreThanTwoTris(int mesh, int va, int vb, int tri);
// Allocates edges/numEdges for every mesh.
void allocateEdgeLists(Model& model);

} // namespace steps
} // namespace shadow
