// tests/support/volume_shapes.h -- small static meshes for the shadow tests: a closed cube, an
// open square and a square with a fin on its diagonal (an edge of three triangles); no GL.
#pragma once

#include <vector>

#include "model/model.h"
#include "shadow/geometry_analysis.h"
#include "tests/analysis_meshes.h"

namespace volume_shapes {

using analysis_meshes::MeshShape;

// Counter-clockwise from outside, as static models are wound; corners at -1 and 1.
inline MeshShape cube() {
    MeshShape s;
    for (int i = 0; i < 8; ++i) {
        s.pos.push_back({i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f});
        s.uv.push_back({static_cast<float>(i & 1), static_cast<float>((i >> 1) & 1)});
    }
    s.tris = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
              {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
    return s;
}

// From (-1, -1) to (1, 1) in z = 0, facing +z: two triangles, four open edges.
inline MeshShape square() {
    MeshShape s;
    s.pos = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    s.uv = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    s.tris = {{0, 1, 2}, {0, 2, 3}};
    return s;
}

// The square with a third triangle standing on its diagonal, up to z = 1.
inline MeshShape fin() {
    MeshShape s = square();
    s.pos.push_back({0, 0, 1});
    s.uv.push_back({0.5f, 0.5f});
    s.tris.push_back({0, 2, 4});
    return s;
}

// Every position scaled by `scale`, then moved by (dx, dy, dz).
inline MeshShape placed(MeshShape s, float scale, float dx, float dy, float dz) {
    for (auto& p : s.pos) p = {p[0] * scale + dx, p[1] * scale + dy, p[2] * scale + dz};
    return s;
}

// A model of the shapes, analysed and with its edge lists, as the loader leaves it.
inline void prepare(Model& model, const std::vector<MeshShape>& shapes, int joints = 0) {
    analysis_meshes::buildModel(model, shapes, joints);
    for (int m = 0; m < model.numMeshes(); ++m) shadow::analyzeGeometry(model, m);
    shadow::buildEdges(model);
}

} // namespace volume_shapes
