// shadow/identical_vertices.cpp -- finds and merges coinciding vertices through a grid index; no GL.
//
// Cells are 1/1024 wide, wider than the 0.0001 tolerance, so two values that can be identical
// lie in the same or in neighbouring cells, and only a value within the tolerance of its cell's
// side needs the neighbour on that side: most vertices look in one column, not nine. Scaling a
// float by 1024 is exact in double precision, so the cell of a value and its place in the cell
// have no rounding error. The index is sorted by (joint, x, y, z cell), so the z-neighbours of a
// cell are one contiguous run, each column found through a hash of its (joint, x, y). Where the
// cells' spreads fit 64 bits together, as they do for any ordinary model, a radix sort on the
// cells packed into one key orders the index; otherwise a comparison sort does.
#include "shadow/identical_vertices.h"

#include "base/large_buffers.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "model/model.h"
#include "shadow/analysis_steps.h"

namespace shadow {
namespace {

size_t at(int i) { return static_cast<size_t>(i); }

struct CellKey {
    int64_t joint, x, y, z;
};

// Which neighbours of its cell a value may have an identical partner in, per axis: -1 for the
// lower, +1 for the upper, 0 for neither.
struct CellSides {
    int x = 0, y = 0, z = 0;
};

// One indexed position: a vertex's, or one weight's of it (`item` numbers it in the query).
struct IndexEntry {
    CellKey cell;
    int vertex;
    int item;
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

std::array<int64_t, 4> fieldsOf(const CellKey& c) { return {c.joint, c.x, c.y, c.z}; }

// The least and greatest value of each field over the cells of an index.
struct CellBounds {
    std::array<int64_t, 4> low{}, high{};
    bool empty = true;
    void include(const CellKey& cell) {
        const std::array<int64_t, 4> f = fieldsOf(cell);
        for (size_t k = 0; k < 4; ++k) {
            low[k] = empty ? f[k] : std::min(low[k], f[k]);
            high[k] = empty ? f[k] : std::max(high[k], f[k]);
        }
        empty = false;
    }
};

// A cell packed into one key: each field less its least value, in the bits its spread needs,
// the joint highest and z lowest, so that keys order as cellLess orders cells.
struct CellPacking {
    std::array<int64_t, 4> low{};
    std::array<int, 4> shift{}, bits{};
    int total = 0;
};

int bitsFor(uint64_t spread) { return spread == 0 ? 0 : 64 - __builtin_clzll(spread); }

// False when the fields need more than 64 bits together (own cells of huge values, say).
bool packingFor(const CellBounds& bounds, CellPacking& packing) {
    packing.low = bounds.low;
    packing.total = 0;
    for (size_t k = 4; k-- > 0;) {
        packing.shift[k] = packing.total;
        // Unsigned, the difference is exact even where it overflows int64_t.
        packing.bits[k] = bitsFor(static_cast<uint64_t>(bounds.high[k]) - static_cast<uint64_t>(bounds.low[k]));
        packing.total += packing.bits[k];
    }
    return packing.total <= 64;
}

// Fields without bits are always 0 past their least value, which keeps every shift below 64.
uint64_t packedKey(const CellPacking& packing, const CellKey& cell) {
    const std::array<int64_t, 4> f = fieldsOf(cell);
    uint64_t key = 0;
    for (size_t k = 0; k < 4; ++k)
        if (packing.bits[k] > 0) key |= (static_cast<uint64_t>(f[k]) - static_cast<uint64_t>(packing.low[k])) << packing.shift[k];
    return key;
}

CellKey unpackedKey(const CellPacking& packing, uint64_t key) {
    std::array<int64_t, 4> f = packing.low;
    for (size_t k = 0; k < 4; ++k)
        if (packing.bits[k] > 0)
            f[k] = static_cast<int64_t>(static_cast<uint64_t>(f[k]) + ((key >> packing.shift[k]) & (~uint64_t{0} >> (64 - packing.bits[k]))));
    return CellKey{f[0], f[1], f[2], f[3]};
}

// An index entry as the radix sort moves it: 16 bytes instead of 40.
struct KeyedEntry {
    uint64_t key;
    int vertex;
    int item;
};

// Digits of at most 12 bits keep a pass's counts within 16 KB.
constexpr int kMaxDigitBits = 12;

// The radix sort's two arrays of keyed entries, in one block whose used part starts on a
// huge-page boundary: fresh memory faults in a page at a time, and by the 4 KB page the faults
// cost about as much as the sort itself.
class RadixBuffers {
public:
    explicit RadixBuffers(size_t count) : block_(new KeyedEntry[2 * count + kHugePageBytes / sizeof(KeyedEntry)]) {
        const uintptr_t address = reinterpret_cast<uintptr_t>(block_.get());
        first_ = block_.get() + (kHugePageBytes - address % kHugePageBytes) % kHugePageBytes / sizeof(KeyedEntry);
        adviseHugePages(first_, 2 * count * sizeof(KeyedEntry));
        second_ = first_ + count;
    }
    KeyedEntry* first() { return first_; }
    KeyedEntry* second() { return second_; }

private:
    std::unique_ptr<KeyedEntry[]> block_; // left uninitialised: the sort writes before it reads
    KeyedEntry* first_;
    KeyedEntry* second_;
};

// Stable least-significant-digit radix sort of keyed[0, count) on the low `bits` bits of the
// keys, in as few passes as 12-bit digits allow; a pass in which every key has the same digit is
// skipped. Returns where the sorted entries are: `keyed` or `other`.
KeyedEntry* radixSort(KeyedEntry* keyed, KeyedEntry* other, size_t count, int bits) {
    const int passes = (bits + kMaxDigitBits - 1) / kMaxDigitBits;
    if (passes == 0 || count < 2) return keyed;
    const int width = (bits + passes - 1) / passes;
    const size_t buckets = size_t{1} << width;
    const uint64_t mask = buckets - 1;
    std::vector<uint32_t> counts(at(passes) * buckets, 0);
    for (size_t e = 0; e < count; ++e)
        for (int p = 0; p < passes; ++p) ++counts[at(p) * buckets + ((keyed[e].key >> (p * width)) & mask)];
    for (int p = 0; p < passes; ++p) {
        uint32_t* digitCount = &counts[at(p) * buckets];
        if (std::find(digitCount, digitCount + buckets, static_cast<uint32_t>(count)) != digitCount + buckets) continue;
        uint32_t next = 0;
        for (size_t b = 0; b < buckets; ++b) next += std::exchange(digitCount[b], next);
        for (size_t e = 0; e < count; ++e) other[digitCount[(keyed[e].key >> (p * width)) & mask]++] = keyed[e];
        std::swap(keyed, other);
    }
    return keyed;
}

// Sorts by (cell, vertex). Entries come in ascending vertex order, so where the cells pack
// into 64 bits a stable radix sort on the packed cell gives that order; the cells come back
// from the keys, so the entries are written in order and never read at random.
void sortByCell(std::vector<IndexEntry>& entries) {
    CellBounds bounds;
    for (const IndexEntry& e : entries) bounds.include(e.cell);
    CellPacking packing;
    if (bounds.empty || !packingFor(bounds, packing)) {
        std::sort(entries.begin(), entries.end(), entryLess);
        return;
    }
    RadixBuffers buffers(entries.size());
    for (size_t e = 0; e < entries.size(); ++e)
        buffers.first()[e] = KeyedEntry{packedKey(packing, entries[e].cell), entries[e].vertex, entries[e].item};
    const KeyedEntry* sorted = radixSort(buffers.first(), buffers.second(), entries.size(), packing.total);
    for (size_t e = 0; e < entries.size(); ++e)
        entries[e] = IndexEntry{unpackedKey(packing, sorted[e].key), sorted[e].vertex, sorted[e].item};
}

constexpr double kCellsPerUnit = 1024.0;
// The tolerance in cell widths, with a margin: looking in a neighbour for nothing costs little.
constexpr double kNearSide = 0.0001 * kCellsPerUnit * 1.25;
// Floats of magnitude 2^30 and more are at least 64 apart, so there only equal values can be
// identical: each gets a cell of its own, beyond the range of the scaled cells.
constexpr float kScaledLimit = 1073741824.0f; // 2^30

int64_t cellOf(float value) {
    if (std::fabs(value) < kScaledLimit) return static_cast<int64_t>(std::floor(static_cast<double>(value) * kCellsPerUnit));
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int64_t own = (int64_t{1} << 44) + (bits & 0x7fffffffu);
    return value < 0 ? -own : own;
}

int sideOf(float value) {
    if (!(std::fabs(value) < kScaledLimit)) return 0;
    const double scaled = static_cast<double>(value) * kCellsPerUnit;
    const double inCell = scaled - std::floor(scaled);
    if (inCell < kNearSide) return -1;
    if (inCell > 1.0 - kNearSide) return 1;
    return 0;
}

bool finite3(const float p[3]) { return !std::isnan(p[0]) && !std::isnan(p[1]) && !std::isnan(p[2]); }

CellKey cellKey(int joint, const float p[3]) { return CellKey{joint, cellOf(p[0]), cellOf(p[1]), cellOf(p[2])}; }

CellSides cellSides(const float p[3]) { return CellSides{sideOf(p[0]), sideOf(p[1]), sideOf(p[2])}; }

// Entries sorted by cell, with a hash table over the (joint, x, y) columns: a column's entries
// are one contiguous run sorted by z. Every query position is itself an entry, so its own
// column is found from where that entry went in the sort, without the table.
class CellIndex {
public:
    explicit CellIndex(size_t items) : positionOf_(items, -1) {}
    void reserve(size_t count) { reserveToFill(entries_, count); } // every position but NaN ones
    void add(const CellKey& cell, int vertex, int item) { entries_.push_back(IndexEntry{cell, vertex, item}); }
    void finish() {
        sortByCell(entries_);
        for (size_t e = 0; e < entries_.size(); ++e) positionOf_[at(entries_[e].item)] = static_cast<int>(e);
        countCells();
        buildColumns();
    }

    bool indexed(int item) const { return positionOf_[at(item)] >= 0; }

    // The number of entries in the cell of `item`, which must be indexed.
    size_t cellSize(int item) const { return cellSizeOf_[at(item)]; }

    // Appends the vertices above `above` found in the cell of `item` and in the neighbours that
    // `sides` names.
    void collectNeighbours(int item, const CellSides& sides, int above, std::vector<int>& out) const {
        const size_t p = at(positionOf_[at(item)]);
        const CellKey cell = entries_[p].cell;
        const int64_t zLow = cell.z + std::min(sides.z, 0), zHigh = cell.z + std::max(sides.z, 0);
        for (int64_t dx = std::min(sides.x, 0); dx <= std::max(sides.x, 0); ++dx) {
            for (int64_t dy = std::min(sides.y, 0); dy <= std::max(sides.y, 0); ++dy) {
                const Run run = dx == 0 && dy == 0 ? zRange(p, zLow, zHigh)
                                                   : cellRun(CellKey{cell.joint, cell.x + dx, cell.y + dy, 0}, zLow, zHigh);
                for (size_t e = run.begin; e < run.end; ++e)
                    if (entries_[e].vertex > above) out.push_back(entries_[e].vertex);
            }
        }
    }

private:
    struct Run {
        size_t begin = 0, end = 0;
    };
    // A column's first entry, and the high half of its hash to tell most other columns in the
    // table apart without reading the entries.
    struct Slot {
        uint32_t first;
        uint32_t tag;
    };

    // Per item, the entries of its cell: a query weighs every weight of a vertex by it, and
    // items in vertex order read this array nearly in order, where the entries lie scattered.
    void countCells() {
        cellSizeOf_.assign(positionOf_.size(), 0);
        for (size_t begin = 0, end = 0; begin < entries_.size(); begin = end) {
            const CellKey& cell = entries_[begin].cell;
            while (end < entries_.size() && !cellLess(cell, entries_[end].cell)) ++end;
            for (size_t e = begin; e < end; ++e) cellSizeOf_[at(entries_[e].item)] = static_cast<uint32_t>(end - begin);
        }
    }

    static bool sameColumn(const CellKey& a, const CellKey& b) { return a.joint == b.joint && a.x == b.x && a.y == b.y; }

    // Multiplicative hashing: the slot is taken from the high bits, which all input bits reach.
    static uint64_t columnHash(const CellKey& c) {
        uint64_t h = static_cast<uint64_t>(c.joint) * 0x9E3779B97F4A7C15ull;
        h = (h ^ static_cast<uint64_t>(c.x)) * 0xC2B2AE3D27D4EB4Full;
        return (h ^ static_cast<uint64_t>(c.y)) * 0x9E3779B97F4A7C15ull;
    }
    size_t slotOf(uint64_t hash) const { return static_cast<size_t>(hash >> shift_); }
    static uint32_t tagOf(uint64_t hash) { return static_cast<uint32_t>(hash); }

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
        slots_.assign(size, Slot{kEmpty, 0});
        for (size_t e = 0; e < entries_.size(); ++e) {
            if (e > 0 && sameColumn(entries_[e - 1].cell, entries_[e].cell)) continue;
            const uint64_t hash = columnHash(entries_[e].cell);
            size_t slot = slotOf(hash);
            while (slots_[slot].first != kEmpty) slot = (slot + 1) & (size - 1);
            slots_[slot] = Slot{static_cast<uint32_t>(e), tagOf(hash)};
        }
    }

    // The first index in [from, size] whose entry satisfies `after` (false, then true along the
    // entries), galloping from `from`: a few steps when it lies near, as it usually does.
    template <class After>
    size_t gallopRight(size_t from, After after) const {
        size_t lo = from, hi = entries_.size();
        for (size_t step = 1; lo + step - 1 < hi; step *= 2) {
            const size_t probe = lo + step - 1;
            if (after(entries_[probe])) {
                hi = probe;
                break;
            }
            lo = probe + 1;
        }
        return lowestTrue(lo, hi, after);
    }

    // The first index in [0, from] whose entry satisfies `after`, knowing that entry `from` does.
    template <class After>
    size_t gallopLeft(size_t from, After after) const {
        size_t lo = 0, hi = from;
        for (size_t step = 1; hi >= step; step *= 2) {
            const size_t probe = hi - step;
            if (!after(entries_[probe])) {
                lo = probe + 1;
                break;
            }
            hi = probe;
        }
        return lowestTrue(lo, hi, after);
    }

    template <class After>
    size_t lowestTrue(size_t lo, size_t hi, After after) const {
        const auto first = entries_.begin() + static_cast<std::ptrdiff_t>(lo);
        const auto last = entries_.begin() + static_cast<std::ptrdiff_t>(hi);
        return static_cast<size_t>(std::partition_point(first, last, [&](const IndexEntry& e) { return !after(e); }) -
                                   entries_.begin());
    }

    // The entries with z in [zLow, zHigh] of the column that holds entry `around`.
    Run zRange(size_t around, int64_t zLow, int64_t zHigh) const {
        const CellKey& c = entries_[around].cell;
        const CellKey low{c.joint, c.x, c.y, zLow}, high{c.joint, c.x, c.y, zHigh};
        const auto notBeforeLow = [&](const IndexEntry& e) { return !cellLess(e.cell, low); };
        const auto afterHigh = [&](const IndexEntry& e) { return cellLess(high, e.cell); };
        const size_t begin = notBeforeLow(entries_[around]) ? gallopLeft(around, notBeforeLow) : gallopRight(around, notBeforeLow);
        return Run{begin, gallopRight(begin, afterHigh)};
    }

    // The entries of `cell`'s column whose z lies in [zLow, zHigh].
    Run cellRun(const CellKey& cell, int64_t zLow, int64_t zHigh) const {
        const size_t mask = slots_.size() - 1;
        const uint64_t hash = columnHash(cell);
        for (size_t slot = slotOf(hash);; slot = (slot + 1) & mask) {
            const Slot& column = slots_[slot];
            if (column.first == kEmpty) return {};
            if (column.tag != tagOf(hash) || !sameColumn(entries_[column.first].cell, cell)) continue;
            return zRange(column.first, zLow, zHigh);
        }
    }

    static constexpr uint32_t kEmpty = UINT32_MAX;
    std::vector<IndexEntry> entries_;
    std::vector<int> positionOf_; // per item, its entry after the sort; -1 when not indexed
    std::vector<uint32_t> cellSizeOf_; // per indexed item, the entries of its cell
    std::vector<Slot> slots_;
    int shift_ = 60; // 64 - log2 of the table size
};

// Weight ranges lie within the weights: the post-processing checks them before the analysis.
bool hasWeights(const Vertex& vx) { return vx.weightCount > 0; }

void indexPositions(const Model& model, int mesh, int count, CellIndex& index) {
    const std::vector<Vertex>& vs = model.verts[at(mesh)];
    index.reserve(at(count));
    for (int i = 0; i < count; ++i) {
        if (finite3(vs[at(i)].pos)) index.add(cellKey(0, vs[at(i)].pos), i, i);
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
        for (int w = vs[at(i)].weightStart; w < vs[at(i)].weightStart + vs[at(i)].weightCount; ++w) {
            if (finite3(ws[at(w)].pos)) index.add(cellKey(ws[at(w)].joint, ws[at(w)].pos), i, w);
        }
    }
}

// The weight of vertex i whose own cell is least crowded, or false when i can match nothing.
bool queryItemForWeights(const Model& model, int mesh, int i, const CellIndex& index, int& best,
                         CellSides& bestSides) {
    const Vertex& vx = model.verts[at(mesh)][at(i)];
    const std::vector<VertexWeight>& ws = model.weights[at(mesh)];
    if (!hasWeights(vx)) return false;
    size_t bestSize = SIZE_MAX;
    for (int w = vx.weightStart; w < vx.weightStart + vx.weightCount; ++w) {
        const VertexWeight& weight = ws[at(w)];
        if (!finite3(weight.pos) || std::isnan(weight.bias) || !index.indexed(w)) return false;
        const size_t size = index.cellSize(w);
        if (size < bestSize) {
            bestSize = size;
            best = w;
            bestSides = cellSides(weight.pos);
        }
    }
    return true;
}

// The indexed position that vertex i looks around, or false when i can match nothing.
bool queryItem(const Model& model, int mesh, int i, const CellIndex& index, int& item, CellSides& sides) {
    if (model.numJoints() > 0) return queryItemForWeights(model, mesh, i, index, item, sides);
    const Vertex& vx = model.verts[at(mesh)][at(i)];
    if (!finite3(vx.pos) || !index.indexed(i)) return false;
    item = i;
    sides = cellSides(vx.pos);
    return true;
}

} // namespace

void mergeIdenticalVertices(Model& model, int mesh, MeshAnalysis& lists) {
    const int count = model.numVerts[at(mesh)];
    const bool weighted = model.numJoints() > 0;
    CellIndex index(weighted ? model.weights[at(mesh)].size() : at(count));
    if (weighted)
        indexWeights(model, mesh, count, index);
    else
        indexPositions(model, mesh, count, index);
    index.finish();
    std::vector<int> candidates;
    for (int i = 0; i < count; ++i) {
        int item = 0;
        CellSides sides;
        if (!queryItem(model, mesh, i, index, item, sides)) continue;
        candidates.clear();
        index.collectNeighbours(item, sides, i, candidates);
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
