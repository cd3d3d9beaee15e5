// shadow/analysis_reference.cpp -- the pairwise analysis and linear edge pairing, kept as the reference; no GL.
#include <cstddef>
#include <vector>

#include "model/model.h"
#include "shadow/analysis_steps.h"
#include "shadow/geometry_analysis.h"

namespace shadow {
namespace reference {
namespace {

size_t at(int i) { return static_cast<size_t>(i); }

// Every pair i < j in order; quadratic in the vertex count.
void mergeIdenticalVertices(Model& model, int mesh, MeshAnalysis& lists) {
    const int count = model.numVerts[at(mesh)];
    for (int i = 0; i < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            if (steps::pairConsidered(model, mesh, j) && verticesIdentical(model, mesh, i, j))
                steps::mergeIdenticalPair(model, mesh, lists, i, j);
        }
    }
}

// The first edge from vb to va without a second triangle takes `tri`; full ones on the way are
// reported; with none free the triangle gets a one-sided edge of its own.
void pairEdge(std::vector<Edge>& edges, int mesh, int va, int vb, int tri) {
    for (Edge& e : edges) {
        if (e.v0 != vb || e.v1 != va) continue;
        if (e.tri1 == -1) {
            e.tri1 = tri;
            return;
        }
        steps::logEdgeWithMoreThanTwoTris(mesh, va, vb, tri);
    }
    steps::addEdge(edges, va, vb, tri);
}

void buildMeshEdges(Model& model, int mesh) {
    std::vector<Edge>& edges = model.edges[at(mesh)];
    const std::vector<Triangle>& ts = model.tris[at(mesh)];
    const int count = model.numTris(mesh);
    for (int t = 0; t < count; ++t) {
        const int a = ts[at(t)].v[0], b = ts[at(t)].v[1], c = ts[at(t)].v[2];
        if (a < b) steps::addEdge(edges, a, b, t);
        if (b < c) steps::addEdge(edges, b, c, t);
        if (c < a) steps::addEdge(edges, c, a, t);
    }
    for (int t = 0; t < count; ++t) {
        const int a = ts[at(t)].v[0], b = ts[at(t)].v[1], c = ts[at(t)].v[2];
        if (b < a) pairEdge(edges, mesh, a, b, t);
        if (c < b) pairEdge(edges, mesh, b, c, t);
        if (a < c) pairEdge(edges, mesh, c, a, t);
    }
}

} // namespace

void analyzeGeometry(Model& model, int mesh) {
    steps::analyzeWith(model, mesh, mergeIdenticalVertices);
}

void buildEdges(Model& model) {
    steps::clearEdgeLists(model);
    for (int m = 0; m < model.numMeshes(); ++m) buildMeshEdges(model, m);
}

} // namespace reference
} // namespace shadow
