// model/obj_welder.h -- shares OBJ corners' vertices by position index and texture coordinates; no GL.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "model/key_table.h"
#include "model/model.h"

namespace staticmodel {

// Builds a mesh's vertices from its corners. A corner makes a vertex unless an earlier corner
// with the same position index and texture coordinates made one; every corner then names the
// first vertex with its position and texture coordinates.
//
// Positions with equal coordinates form a group (a position with NaN coordinates equals
// none); the vertices of a group are chained in the order they were made, so one short walk
// answers both questions. A group that collects many vertices (one position with many
// texture coordinates) moves to hash tables, so hostile files stay linear.
class VertexWelder {
public:
    explicit VertexWelder(const std::vector<std::array<float, 3>>& positions) : positionCount_(positions.size()) {
        groupPositions(positions);
        head_.assign(positionCount_ + 1, -1);
        tail_.assign(positionCount_ + 1, -1);
        length_.assign(positionCount_ + 1, 0);
    }

    void weld(Model& model, int mesh) {
        size_t m = static_cast<size_t>(mesh);
        std::vector<Vertex>& verts = model.verts[m];
        std::vector<Triangle>& tris = model.tris[m];
        const std::vector<CornerVertex>& corners = model.corners[m];
        startMesh();
        verts.clear();
        verts.reserve(std::min(corners.size(), 2 * positionCount_ + 16));
        for (size_t c = 0; c < corners.size(); ++c) {
            int& index = tris[c / 3].v[c % 3];
            index = vertexFor(verts, index, corners[c]);
        }
        model.numVerts[m] = static_cast<int>(verts.size());
    }

private:
    static constexpr int kLongestWalk = 16;

    void groupPositions(const std::vector<std::array<float, 3>>& positions) {
        KeyTable<3> byCoordinates;
        byCoordinates.reset(positionCount_);
        groups_.resize(positionCount_);
        for (size_t p = 0; p < positionCount_; ++p) {
            const auto& xyz = positions[p];
            bool comparable = !std::isnan(xyz[0]) && !std::isnan(xyz[1]) && !std::isnan(xyz[2]);
            groups_[p] = comparable ? byCoordinates.findOrInsert({floatKey(xyz[0]), floatKey(xyz[1]), floatKey(xyz[2])},
                                                                 static_cast<int>(p))
                                    : static_cast<int>(p);
        }
        // Corners outside the positions stand at the origin, with any position there.
        originGroup_ = byCoordinates.findOrInsert({0, 0, 0}, static_cast<int>(positionCount_));
    }

    void startMesh() {
        for (int g : touched_) {
            head_[static_cast<size_t>(g)] = tail_[static_cast<size_t>(g)] = -1;
            length_[static_cast<size_t>(g)] = 0;
        }
        touched_.clear();
        next_.clear();
        source_.clear();
        byIndex_.reset(0);
        byValue_.reset(0);
    }

    int groupOf(int position) const {
        return position >= 0 && static_cast<size_t>(position) < positionCount_ ? groups_[static_cast<size_t>(position)]
                                                                                : originGroup_;
    }

    int vertexFor(std::vector<Vertex>& verts, int position, const CornerVertex& corner) {
        size_t g = static_cast<size_t>(groupOf(position));
        if (length_[g] > kLongestWalk) return hashedVertexFor(verts, position, g, corner);
        int first = -1;
        for (int v = head_[g]; v >= 0; v = next_[static_cast<size_t>(v)]) {
            const Vertex& candidate = verts[static_cast<size_t>(v)];
            if (candidate.u != corner.u || candidate.v != corner.v) continue;
            if (first < 0) first = v;
            if (source_[static_cast<size_t>(v)] == position) return first;
        }
        int made = makeVertex(verts, position, g, corner);
        if (length_[g] == kLongestWalk + 1) moveGroupToTables(verts, g);
        return first >= 0 ? first : made;
    }

    int hashedVertexFor(std::vector<Vertex>& verts, int position, size_t g, const CornerVertex& corner) {
        bool comparable = !std::isnan(corner.u) && !std::isnan(corner.v);
        int made = static_cast<int>(verts.size());
        if (!comparable) return makeVertex(verts, position, g, corner);
        int found = byIndex_.findOrInsert(indexKey(position, corner.u, corner.v), made);
        if (found == made) makeVertex(verts, position, g, corner);
        return byValue_.findOrInsert(valueKey(g, corner.u, corner.v), found);
    }

    void moveGroupToTables(const std::vector<Vertex>& verts, size_t g) {
        for (int v = head_[g]; v >= 0; v = next_[static_cast<size_t>(v)]) {
            const Vertex& vertex = verts[static_cast<size_t>(v)];
            if (std::isnan(vertex.u) || std::isnan(vertex.v)) continue;
            byIndex_.findOrInsert(indexKey(source_[static_cast<size_t>(v)], vertex.u, vertex.v), v);
            byValue_.findOrInsert(valueKey(g, vertex.u, vertex.v), v);
        }
    }

    static std::array<uint32_t, 3> indexKey(int position, float u, float v) {
        return {static_cast<uint32_t>(position), floatKey(u), floatKey(v)};
    }
    static std::array<uint32_t, 3> valueKey(size_t group, float u, float v) {
        return {static_cast<uint32_t>(group), floatKey(u), floatKey(v)};
    }

    int makeVertex(std::vector<Vertex>& verts, int position, size_t g, const CornerVertex& corner) {
        int made = static_cast<int>(verts.size());
        Vertex fresh;
        fresh.pos[0] = corner.pos[0];
        fresh.pos[1] = corner.pos[1];
        fresh.pos[2] = corner.pos[2];
        fresh.u = corner.u;
        fresh.v = corner.v;
        verts.push_back(std::move(fresh));
        next_.push_back(-1);
        source_.push_back(position);
        if (head_[g] < 0) {
            head_[g] = made;
            touched_.push_back(static_cast<int>(g));
        } else {
            next_[static_cast<size_t>(tail_[g])] = made;
        }
        tail_[g] = made;
        ++length_[g];
        return made;
    }

    size_t positionCount_;
    std::vector<int> groups_; // per position: the first position with equal coordinates
    int originGroup_ = 0;
    std::vector<int> head_, tail_, length_; // per group, for the mesh being welded
    std::vector<int> touched_;              // groups to clear before the next mesh
    std::vector<int> next_, source_;        // per vertex: next of its group, its position index
    KeyTable<3> byIndex_;                   // (position index, u, v) -> vertex, long groups only
    KeyTable<3> byValue_;                   // (group, u, v) -> first vertex, long groups only
};

} // namespace staticmodel
