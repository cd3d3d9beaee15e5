// shadow/edge_builder.cpp -- per-mesh edge lists with two triangles per edge where the winding allows; no GL.
//
// The first pass creates every edge a triangle runs along upwards (v0 < v1). The second pass pairs
// each downward run with the first such edge, in creation order, that has no second triangle yet.
// Second triangles are only ever given to the first free edge of a vertex pair, so the full ones
// form a prefix of that pair's edges: a count per pair replaces the linear search, and a table of
// the first-pass edges sorted by (pair, creation order) finds a pair's edges, within the short
// group of its first vertex where the table keeps where each group ends.
#include "shadow/geometry_analysis.h"

#include "base/large_buffers.h"
#include "base/parallel_work.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/model.h"
#include "shadow/analysis_steps.h"

namespace shadow {
namespace {

size_t at(int i) { return static_cast<size_t>(i); }

uint64_t pairKey(int v0, int v1) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(v0)) << 32) | static_cast<uint32_t>(v1);
}

struct KeyedEdge {
    uint64_t key;
    int edge;
    bool operator<(const KeyedEdge& other) const {
        return key != other.key ? key < other.key : edge < other.edge;
    }
};

class EdgePairing {
public:
    EdgePairing(std::vector<Edge>& edges, int mesh) : edges_(edges), mesh_(mesh) {
        sortByPair();
        full_.assign(table_.size(), 0);
    }

    // Same outcome and log lines as searching the edge list from its start for (vb, va).
    void pairEdge(int va, int vb, int tri) {
        const uint64_t key = pairKey(vb, va);
        auto first = table_.begin(), last = table_.end();
        if (vb >= 0 && at(vb) < groupEnd_.size()) {
            if (vb > 0) first += static_cast<std::ptrdiff_t>(groupEnd_[at(vb) - 1]);
            last = table_.begin() + static_cast<std::ptrdiff_t>(groupEnd_[at(vb)]);
        }
        first = std::lower_bound(first, last, KeyedEdge{key, -1});
        last = first;
        while (last != table_.end() && last->key == key) ++last;
        const int runLength = static_cast<int>(last - first);
        if (runLength == 0) {
            steps::addEdge(edges_, va, vb, tri);
            return;
        }
        const size_t start = static_cast<size_t>(first - table_.begin());
        int& full = full_[start];
        const int reported = std::min(full, runLength);
        for (int r = 0; r < reported; ++r) steps::logEdgeWithMoreThanTwoTris(mesh_, va, vb, tri);
        if (full < runLength) {
            edges_[at(table_[start + at(full)].edge)].tri1 = tri;
            ++full;
            return;
        }
        steps::addEdge(edges_, va, vb, tri);
    }

private:
    // The table in (pair, creation order): a counting sort on v0, which keeps creation order,
    // then each v0's entries in order of v1. Indices that are negative or far beyond the edge
    // count take a plain sort instead, which gives the same order.
    void sortByPair() {
        table_.resize(edges_.size());
        int low = 0, top = -1;
        for (const Edge& e : edges_) {
            low = std::min(low, e.v0);
            top = std::max(top, e.v0);
        }
        if (low < 0 || at(top) > 4 * edges_.size() + 1024) {
            for (size_t e = 0; e < edges_.size(); ++e)
                table_[e] = KeyedEdge{pairKey(edges_[e].v0, edges_[e].v1), static_cast<int>(e)};
            std::sort(table_.begin(), table_.end());
            return;
        }
        std::vector<int>& start = groupEnd_;
        start.assign(at(top) + 2, 0);
        for (const Edge& e : edges_) ++start[at(e.v0) + 1];
        for (size_t v = 1; v < start.size(); ++v) start[v] += start[v - 1];
        for (size_t e = 0; e < edges_.size(); ++e) {
            const Edge& edge = edges_[e];
            table_[at(start[at(edge.v0)]++)] = KeyedEdge{pairKey(edge.v0, edge.v1), static_cast<int>(e)};
        }
        // start[v] now ends v's entries.
        start.pop_back();
        size_t from = 0;
        for (size_t v = 0; v < start.size(); ++v) {
            const size_t to = at(start[v]);
            sortGroup(from, to);
            from = to;
        }
    }

    // Groups are mostly a handful of entries: insertion sort, std::sort for a large fan.
    void sortGroup(size_t from, size_t to) {
        if (to - from > 16) {
            std::sort(table_.begin() + static_cast<std::ptrdiff_t>(from), table_.begin() + static_cast<std::ptrdiff_t>(to));
            return;
        }
        for (size_t i = from + 1; i < to; ++i)
            for (size_t j = i; j > from && table_[j] < table_[j - 1]; --j) std::swap(table_[j], table_[j - 1]);
    }

    std::vector<Edge>& edges_;
    int mesh_;
    std::vector<KeyedEdge> table_;
    std::vector<int> full_; // per run of equal keys, at its first entry: edges already paired
    std::vector<int> groupEnd_; // per first vertex, the end of its entries; empty after a plain sort
};

void buildMeshEdges(Model& model, int mesh) {
    std::vector<Edge>& edges = model.edges[at(mesh)];
    const std::vector<Triangle>& ts = model.tris[at(mesh)];
    const int count = model.numTris(mesh);
    reserveLarge(edges, at(count) * 3 / 2 + 16);
    for (int t = 0; t < count; ++t) {
        const int a = ts[at(t)].v[0], b = ts[at(t)].v[1], c = ts[at(t)].v[2];
        if (a < b) steps::addEdge(edges, a, b, t);
        if (b < c) steps::addEdge(edges, b, c, t);
        if (c < a) steps::addEdge(edges, c, a, t);
    }
    // Edges the second pass appends run downwards (v0 > v1), so no search ever finds them.
    EdgePairing pairing(edges, mesh);
    for (int t = 0; t < count; ++t) {
        const int a = ts[at(t)].v[0], b = ts[at(t)].v[1], c = ts[at(t)].v[2];
        if (b < a) pairing.pairEdge(a, b, t);
        if (c < b) pairing.pairEdge(b, c, t);
        if (a < c) pairing.pairEdge(c, a, t);
    }
}

} // namespace

void buildEdges(Model& model) {
    steps::clearEdgeLists(model);
    forEachIndexLoggedInOrder(static_cast<size_t>(model.numMeshes()), worthSpreading(model),
                              [&](size_t m) { buildMeshEdges(model, static_cast<int>(m)); });
}

} // namespace shadow
