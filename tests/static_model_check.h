// tests/static_model_check.h -- the invariant every static reader's result keeps.
#pragma once

#include <gtest/gtest.h>

#include "model/model.h"

// Every triangle names existing vertices that carry its corners' position and coordinates.
inline void expectConsistent(const Model& model) {
    for (int m = 0; m < model.numMeshes(); ++m) {
        ASSERT_EQ(model.corners[m].size(), 3 * static_cast<size_t>(model.numTris(m)));
        ASSERT_EQ(model.verts[m].size(), static_cast<size_t>(model.numVerts[m]));
        for (int c = 0; c < 3 * model.numTris(m); ++c) {
            const int v = model.tris[m][c / 3].v[c % 3];
            ASSERT_TRUE(v >= 0 && v < model.numVerts[m]);
            const Vertex& vertex = model.verts[m][v];
            const CornerVertex& corner = model.corners[m][c];
            for (int k = 0; k < 3; ++k) EXPECT_EQ(vertex.pos[k], corner.pos[k]);
            EXPECT_EQ(vertex.u, corner.u);
            EXPECT_EQ(vertex.v, corner.v);
        }
    }
}
