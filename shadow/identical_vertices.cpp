// shadow/identical_vertices.cpp -- finds and merges coinciding vertices through a grid index; no GL.
//
// Cells are 1/4096 wide, wider than the 0.0001 tolerance, so two values that can be identical
// lie in the same or in neighbouring cells. Scaling a float by 4096 is exact in double precision,
// so the cell of a value has no rounding error. The index is sorted by (joint, x, y, z cell), so
// the three z-neighbours of a cell are one contiguous run and a neighbourhood is nine runs.
#include "shadow/identical_vertices.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "model/model.h"
#include "shadow/analysis_steps.h"

namespace shadow {
namespace {

size_t at(int i) { return static_cast<size_t>(i); }

struct CellKey {
    int64_t joint, x, y, z;
};

struct IndexEntry {
    CellKey cell;
    int vertex;
};

bool cellLess(const CellKey& a, const CellKey& b) {
    if (a.joint != b.joint) return a.joint < b.joint;
    if (a.x != b.x) return a.x < b.x;
    if (a.y != b.y) return a.y < b.y;
    return a.z < b.z;
}

bool entryLess(const IndexEntry& a, const IndexEntry& b) {
    if (cellLess(a.cell, b.cell)) return true;
    if (cellLess(b.cell, a.cell)) return false;
    return a.vertex < b.vertex;
}

// Floats of magnitude 2^30 and more are at least 64 apart, so there only equal values can be
// identical: each gets a cell of its own, beyond the range of the scaled cells.
int64_t cellOf(float value) {
    const float kScaledLimit = 1073741824.0f; // 2^30
    if (std::fabs(value) < kScaledLimit) return static_cast<int64_t>(std::floor(static_cast<double>(value) * 4096.0));
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int64_t own = (int64_t{1} << 44) + (bits & 0x7fffffffu);
    return value < 0 ? -own : own;
}

bool finite3(const float p[3]) { return !std::isnan(p[0]) && !std::isnan(p[1]) && !std::isnan(p[2]); }

CellKey cellKey(int joint, const float p[3]) { return CellKey{joint, cellOf(p[0]), cellOf(p[1]), cellOf(p[2])}; }

class CellIndex {
public:
    void reserve(size_t count) { entries_.reserve(count); }
    void add(const CellKey& cell, int vertex) { entries_.push_back(IndexEntry{cell, vertex}); }
    void finish() { std::sort(entries_.begin(), entries_.end(), entryLess); }

    size_t cellSize(const CellKey& cell) const {
        auto range = std::equal_range(entries_.begin(), entries_.end(), IndexEntry{cell, 0},
                                      [](const IndexEntry& a, const IndexEntry& b) { return cellLess(a.cell, b.cell); });
        return static_cast<size_t>(range.second - range.first);
    }

    // Appends the vertices above `above` found in the 27 cells around `cell`.
    void collectNeighbours(const CellKey& cell, int above, std::vector<int>& out) const {
        for (int64_t dx = -1; dx <= 1; ++dx) {
            for (int64_t dy = -1; dy <= 1; ++dy) {
                const IndexEntry from{CellKey{cell.joint, cell.x + dx, cell.y + dy, cell.z - 1}, INT_MIN};
                auto it = std::lower_bound(entries_.begin(), entries_.end(), from, entryLess);
                for (; it != entries_.end(); ++it) {
                    const CellKey& c = it->cell;
                    if (c.joint != cell.joint || c.x != cell.x + dx || c.y != cell.y + dy || c.z > cell.z + 1) break;
                    if (it->vertex > above) out.push_back(it->vertex);
                }
            }
        }
    }

private:
    std::vector<IndexEntry> entries_;
};

// Weight ranges lie within the weights: the post-processing checks them before the analysis.
bool hasWeights(const Vertex& vx) { return vx.weightCount > 0; }

void indexPositions(const Model& model, int mesh, int count, CellIndex& index) {
    const std::vector<Vertex>& vs = model.verts[at(mesh)];
    index.reserve(at(count));
    for (int i = 0; i < count; ++i) {
        if (finite3(vs[at(i)].pos)) index.add(cellKey(0, vs[at(i)].pos), i);
    }
}

// Every weight of a vertex that can still be merged; a vertex matches another only if its
// weights each find a partner among the other's, so one weight of the query suffices.
void indexWeights(const Model& model, int mesh, int count, CellIndex& index) {
    const std::vector<Vertex>& vs = model.verts[at(mesh)];
    const std::vector<VertexWeight>& ws = model.weights[at(mesh)];
    index.reserve(ws.size());
    for (int i = 0; i < count; ++i) {
        if (!hasWeights(vs[at(i)])) continue;
        for (int w = 0; w < vs[at(i)].weightCount; ++w) {
            const VertexWeight& weight = ws[at(vs[at(i)].weightStart + w)];
            if (finite3(weight.pos)) index.add(cellKey(weight.joint, weight.pos), i);
        }
    }
}

// The weight of vertex i whose own cell is least crowded, or false when i can match nothing.
bool queryCellForWeights(const Model& model, int mesh, int i, const CellIndex& index, CellKey& best) {
    const Vertex& vx = model.verts[at(mesh)][at(i)];
    const std::vector<VertexWeight>& ws = model.weights[at(mesh)];
    if (!hasWeights(vx)) return false;
    size_t bestSize = SIZE_MAX;
    for (int w = 0; w < vx.weightCount; ++w) {
        const VertexWeight& weight = ws[at(vx.weightStart + w)];
        if (!finite3(weight.pos) || std::isnan(weight.bias)) return false;
        const CellKey cell = cellKey(weight.joint, weight.pos);
        const size_t size = index.cellSize(cell);
        if (size < bestSize) {
            bestSize = size;
            best = cell;
        }
    }
    return true;
}

bool queryCell(const Model& model, int mesh, int i, const CellIndex& index, CellKey& cell) {
    if (model.numJoints() > 0) return queryCellForWeights(model, mesh, i, index, cell);
    const Vertex& vx = model.verts[at(mesh)][at(i)];
    if (!finite3(vx.pos)) return false;
    cell = cellKey(0, vx.pos);
    return true;
}

} // namespace

void mergeIdenticalVertices(Model& model, int mesh, MeshAnalysis& lists) {
    const int count = model.numVerts[at(mesh)];
    CellIndex index;
    if (model.numJoints() > 0)
        indexWeights(model, mesh, count, index);
    else
        indexPositions(model, mesh, count, index);
    index.finish();
    std::vector<int> candidates;
    for (int i = 0; i < count; ++i) {
        CellKey cell{};
        if (!queryCell(model, mesh, i, index, cell)) continue;
        candidates.clear();
        index.collectNeighbours(cell, i, candidates);
        std::sort(candidates.begin(), candidates.end());
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
        // Merges change only j's state, so testing each pair when its turn comes keeps the
        // pairwise order's decisions.
        for (int j : candidates) {
            if (steps::pairConsidered(model, mesh, j) && verticesIdentical(model, mesh, i, j))
                steps::mergeIdenticalPair(model, mesh, lists, i, j);
        }
    }
}

} // namespace shadow
