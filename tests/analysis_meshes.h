// tests/analysis_meshes.h -- builds analysable models in memory: hand-made, grids with seams, random; no GL.
// Shared by the analysis tests and the analysis benchmark.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "base/face_frame.h"
#include "model/model.h"

namespace analysis_meshes {

struct MeshShape {
    std::vector<std::array<float, 3>> pos;
    std::vector<std::array<float, 2>> uv;
    std::vector<std::array<int, 3>> tris;
    std::vector<std::vector<VertexWeight>> weights; // per vertex; empty for static models
    std::vector<int> flippedFrames;                 // triangles whose tangent frame is mirrored afterwards
};

inline size_t at(int i) { return static_cast<size_t>(i); }

// Face normal, tangents and handedness the way the loader's post-processing computes them.
inline void computeFaceVectors(Model& model, int mesh, bool skinned) {
    const std::vector<Vertex>& vs = model.verts[at(mesh)];
    for (Triangle& t : model.tris[at(mesh)]) {
        const Vertex &a = vs[at(t.v[0])], &b = vs[at(t.v[1])], &c = vs[at(t.v[2])];
        const float uvA[2] = {a.u, a.v}, uvB[2] = {b.u, b.v}, uvC[2] = {c.u, c.v};
        FaceFrame f;
        computeFaceFrame(a.pos, b.pos, c.pos, uvA, uvB, uvC, skinned ? 1.0f : -1.0f, invSqrtTable(), f);
        std::copy(f.normal, f.normal + 3, t.normal);
        std::copy(f.s, f.s + 3, t.tangentS);
        std::copy(f.t, f.t + 3, t.tangentT);
        t.rightHanded = faceFrameRightHanded(f) ? 1 : 0;
    }
}

inline void addMesh(Model& model, int mesh, const MeshShape& shape) {
    const bool skinned = model.numJoints() > 0;
    std::vector<Vertex>& vs = model.verts[at(mesh)];
    vs.resize(shape.pos.size());
    std::vector<VertexWeight>& ws = model.weights[at(mesh)];
    for (size_t i = 0; i < shape.pos.size(); ++i) {
        std::copy(shape.pos[i].begin(), shape.pos[i].end(), vs[i].pos);
        vs[i].u = shape.uv[i][0], vs[i].v = shape.uv[i][1];
        if (!skinned || i >= shape.weights.size()) continue;
        vs[i].weightStart = static_cast<int>(ws.size());
        vs[i].weightCount = static_cast<int>(shape.weights[i].size());
        ws.insert(ws.end(), shape.weights[i].begin(), shape.weights[i].end());
    }
    std::vector<Triangle>& ts = model.tris[at(mesh)] = std::vector<Triangle>(shape.tris.size());
    for (size_t t = 0; t < shape.tris.size(); ++t) std::copy(shape.tris[t].begin(), shape.tris[t].end(), ts[t].v);
    model.numVerts[at(mesh)] = static_cast<int>(vs.size()), model.meshLoaded[at(mesh)] = 1;
    computeFaceVectors(model, mesh, skinned);
    for (int t : shape.flippedFrames) {
        Triangle& tri = ts[at(t)];
        for (int k = 0; k < 3; ++k) tri.tangentS[k] = -tri.tangentS[k];
        tri.rightHanded = 1 - tri.rightHanded;
    }
    std::vector<int>& indices = model.indices[at(mesh)];
    for (const Triangle& t : ts) indices.insert(indices.end(), t.v, t.v + 3);
}

// A model with one mesh per shape; skinned when `joints` > 0.
inline void buildModel(Model& model, const std::vector<MeshShape>& meshes, int joints) {
    model.release();
    model.joints.resize(at(joints));
    model.allocateMeshes(static_cast<int>(meshes.size()));
    for (size_t m = 0; m < meshes.size(); ++m) addMesh(model, static_cast<int>(m), meshes[m]);
}

inline VertexWeight weightAt(int joint, float bias, float x, float y, float z) {
    VertexWeight w;
    w.joint = joint, w.bias = bias;
    w.pos[0] = x, w.pos[1] = y, w.pos[2] = z;
    return w;
}

struct GridOptions {
    int columns = 8, rows = 8;
    int seamColumn = -1;   // vertices of this column get twins (u + 1) used by the triangles right of it
    int mirrorColumn = -1; // u is mirrored right of this column: those triangles change handedness
    int duplicateEvery = 0; // every n-th vertex gets an exact copy used by its triangles to the upper right
    int joints = 0;         // skinned with two weights per vertex when > 0
};

// A rolling surface of columns x rows quads, two triangles each, with texture seams, mirrored
// strips and exact duplicates as asked.
inline MeshShape gridMesh(const GridOptions& o) {
    MeshShape shape;
    const int w = o.columns + 1;
    auto vertexOf = [w](int x, int y) { return y * w + x; };
    auto addVertex = [&](float x, float y, float u) {
        shape.pos.push_back({x, y, 0.25f * std::sin(x * 0.3f) * std::cos(y * 0.2f)});
        shape.uv.push_back({u, y / static_cast<float>(o.rows)});
        if (o.joints > 0) {
            const int j = static_cast<int>(x) % o.joints;
            shape.weights.push_back({weightAt(j, 0.75f, x, y, 1.0f), weightAt((j + 1) % o.joints, 0.25f, y, x, -1.0f)});
        }
        return static_cast<int>(shape.pos.size()) - 1;
    };
    auto uOf = [&](int x) {
        const int mirrored = (o.mirrorColumn >= 0 && x > o.mirrorColumn) ? 2 * o.mirrorColumn - x : x;
        return mirrored / static_cast<float>(o.columns);
    };
    for (int y = 0; y <= o.rows; ++y)
        for (int x = 0; x <= o.columns; ++x) addVertex(static_cast<float>(x), static_cast<float>(y), uOf(x));
    std::vector<int> twin(at(o.rows + 1), -1);
    if (o.seamColumn >= 0)
        for (int y = 0; y <= o.rows; ++y) twin[at(y)] = addVertex(static_cast<float>(o.seamColumn), static_cast<float>(y), uOf(o.seamColumn) + 1.0f);
    std::vector<int> copyOf(shape.pos.size(), -1);
    for (size_t i = 0, original = shape.pos.size(); o.duplicateEvery > 0 && i < original; i += at(o.duplicateEvery)) {
        shape.pos.push_back(shape.pos[i]);
        shape.uv.push_back(shape.uv[i]);
        if (o.joints > 0) shape.weights.push_back(shape.weights[i]);
        copyOf[i] = static_cast<int>(shape.pos.size()) - 1;
    }
    for (int y = 0; y < o.rows; ++y) {
        for (int x = 0; x < o.columns; ++x) {
            auto corner = [&](int cx, int cy) {
                int v = vertexOf(cx, cy);
                if (cx == o.seamColumn && x >= o.seamColumn) v = twin[at(cy)];
                if (cx == x && cy == y && at(v) < copyOf.size() && copyOf[at(v)] >= 0) v = copyOf[at(v)];
                return v;
            };
            const int a = corner(x, y), c = corner(x + 1, y + 1);
            shape.tris.push_back({a, corner(x + 1, y), c});
            shape.tris.push_back({a, c, corner(x, y + 1)});
        }
    }
    return shape;
}

// Vertices, texture coordinates and weights drawn from small sets, so that coincidences within
// and just outside the tolerances are frequent; triangles drawn at random, degenerate ones and
// edges with three or more triangles included.
inline MeshShape randomMesh(uint32_t seed, int vertices, int triangles, int joints) {
    std::mt19937 rng(seed);
    auto pick = [&rng](const std::vector<float>& from) { return from[rng() % from.size()]; };
    // 0.25 is a grid-cell boundary of the fast search; the others sit around the tolerance.
    const std::vector<float> coords = {0.0f, -0.00005f, 1.0f, 1.00005f, 1.0001f, 1.00015f, 0.24995f, 0.25f, 0.25009f};
    const std::vector<float> uvs = {0.0f, 0.5f, 0.5005f, 1.0f};
    const std::vector<float> biases = {1.0f, 0.5f, 0.50005f};
    MeshShape shape;
    for (int i = 0; i < vertices; ++i) {
        shape.pos.push_back({pick(coords), pick(coords), pick(coords)});
        shape.uv.push_back({pick(uvs), pick(uvs)});
        if (joints == 0) continue;
        shape.weights.emplace_back();
        for (int k = 1 + static_cast<int>(rng() % 2); k > 0; --k)
            shape.weights.back().push_back(weightAt(static_cast<int>(rng() % 2), pick(biases), pick(coords), pick(coords), 0.0f));
    }
    for (int t = 0; t < triangles; ++t) {
        auto corner = [&] { return static_cast<int>(rng() % at(vertices)); };
        shape.tris.push_back({corner(), corner(), corner()}); // braces: called left to right
        if (rng() % 4 == 0) shape.flippedFrames.push_back(t);
    }
    return shape;
}

} // namespace analysis_meshes
