// shadow/identical_vertices.cpp -- finds and merges coinciding vertices through a grid index; no GL.
//
// Cells are 1/4096 wide, wider than the 0.0001 tolerance, so two values that can be identical
// lie in the same or in neighbouring cells. Scaling a float by 4096 is exact in double precision,
// so the cell of a value has no rounding error. The index is sorted by (joint, x, y, z cell), so
// the three z-neighbours of a cell are one contiguous run and a neighbourhood is nine runs,
// each found through a hash of its (joint, x, y) column.
#include "shadow/identical_vertices.h"

#include "base/large_buffers.h"

#include <algorithm>
#include <cstddef>
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

inline bool entryLess(const IndexEntry& a, const IndexEntry& b) {
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

// Entries sorted by cell, with a hash table over the (joint, x, y) columns: a column's entries
// are one contiguous run sorted by z, so a cell is a short search inside one run.
class CellIndex {
public:
    void reserve(size_t count) { reserveLarge(entries_, count); }
    void add(const CellKey& cell, int vertex) { entries_.push_back(IndexEntry{cell, vertex}); }
    void finish() {
        std::sort(entries_.begin(), entries_.end(), [](const IndexEntry& a, const IndexEntry& b) { return entryLess(a, b); });
        buildColumns();
    }

    size_t cellSize(const CellKey& cell) const {
        const Run run = cellRun(cell, cell.z, cell.z);
        return run.end - run.begin;
    }

    // Appends the vertices above `above` found in the 27 cells around `cell`.
    void collectNeighbours(const CellKey& cell, int above, std::vector<int>& out) const {
        for (int64_t dx = -1; dx <= 1; ++dx) {
            for (int64_t dy = -1; dy <= 1; ++dy) {
                const Run run = cellRun(CellKey{cell.joint, cell.x + dx, cell.y + dy, 0}, cell.z - 1, cell.z + 1);
                for (size_t e = run.begin; e < run.end; ++e)
                    if (entries_[e].vertex > above) out.push_back(entries_[e].vertex);
            }
        }
    }

private:
    struct Run {
        size_t begin = 0, end = 0;
    };

    static bool sameColumn(const CellKey& a, const CellKey& b) { return a.joint == b.joint && a.x == b.x && a.y == b.y; }

    // Multiplicative hashing: the slot is taken from the high bits, which all input bits reach.
    size_t columnSlot(const CellKey& c) const {
        uint64_t h = static_cast<uint64_t>(c.joint) * 0x9E3779B97F4A7C15ull;
        h = (h ^ static_cast<uint64_t>(c.x)) * 0xC2B2AE3D27D4EB4Full;
        h = (h ^ static_cast<uint64_t>(c.y)) * 0x9E3779B97F4A7C15ull;
        return static_cast<size_t>(h >> shift_);
    }

    // One slot per column start, in a table at most half full; an empty slot holds kEmpty.
    void buildColumns() {
        size_t columns = 0;
        for (size_t e = 0; e < entries_.size(); ++e)
            if (e == 0 || !sameColumn(entries_[e - 1].cell, entries_[e].cell)) ++columns;
        size_t size = 16;
        shift_ = 60;
        while (size < 2 * columns) {
            size *= 2;
            --shift_;
        }
        slots_.assign(size, Run{kEmpty, kEmpty});
        for (size_t e = 0; e < entries_.size();) {
            size_t end = e + 1;
            while (end < entries_.size() && sameColumn(entries_[e].cell, entries_[end].cell)) ++end;
            size_t slot = columnSlot(entries_[e].cell);
            while (slots_[slot].begin != kEmpty) slot = (slot + 1) & (size - 1);
            slots_[slot] = Run{e, end};
            e = end;
        }
    }

    // The entries of `cell`'s column whose z lies in [zLow, zHigh].
    Run cellRun(const CellKey& cell, int64_t zLow, int64_t zHigh) const {
        if (slots_.empty()) return {};
        const size_t mask = slots_.size() - 1;
        for (size_t slot = columnSlot(cell);; slot = (slot + 1) & mask) {
            const Run& column = slots_[slot];
            if (column.begin == kEmpty) return {};
            if (!sameColumn(entries_[column.begin].cell, cell)) continue;
            const auto first = entries_.begin() + static_cast<std::ptrdiff_t>(column.begin);
            const auto last = entries_.begin() + static_cast<std::ptrdiff_t>(column.end);
            const auto from = std::lower_bound(first, last, zLow, [](const IndexEntry& e, int64_t z) { return e.cell.z < z; });
            const auto to = std::upper_bound(from, last, zHigh, [](int64_t z, const IndexEntry& e) { return z < e.cell.z; });
            return Run{static_cast<size_t>(from - entries_.begin()), static_cast<size_t>(to - entries_.begin())};
        }
    }

    static constexpr size_t kEmpty = SIZE_MAX;
    std::vector<IndexEntry> entries_;
    std::vector<Run> slots_;
    int shift_ = 60; // 64 - log2 of the table size
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
