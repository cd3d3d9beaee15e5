// tests/anim_skinning_test.cpp -- skinning and per-vertex vectors: the fast loops against the plain
// ones, static models computed once, degenerate texture coordinates, bind pose without animation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "base/fast_math_inline.h"
#include "anim/skinning_reference.h"
#include "model/model.h"
#include "base/gl_capabilities.h"
#include "tests/support/synthetic_skin.h"

namespace {

GlCapabilities bumpCapabilities() {
    GlCapabilities caps;
    caps.hasEnvDot3 = caps.hasCubeMap = caps.hasMultitexture = 1;
    return caps;
}

float length(const float v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// One static triangle in the z = 0 plane with texture coordinates along x and y.
void buildStaticTriangle(Model& model) {
    model.allocateMeshes(1);
    model.verts[0].resize(4);
    const float pos[4][3] = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {9, 9, 9}};
    for (int i = 0; i < 4; ++i) {
        std::copy(pos[i], pos[i] + 3, model.verts[0][static_cast<size_t>(i)].pos);
        model.verts[0][static_cast<size_t>(i)].u = pos[i][0] / 2;
        model.verts[0][static_cast<size_t>(i)].v = 1 - pos[i][1] / 2;
    }
    model.tris[0].resize(1);
    model.tris[0][0].v[1] = 1;
    model.tris[0][0].v[2] = 2;
    model.indices[0] = {0, 1, 2};
    model.numVerts[0] = 4;
    model.clearCloneLists(0);
    model.triCloneStart[0] = {0, 3};
    model.triCloneItems[0] = {0, 1, 2};
    model.meshLoaded[0] = 1;
}

} // namespace

TEST(FastInvSqrt, InlineCopyMatchesTheLibraryBitForBit) {
    const uint8_t* table = invSqrtTable(); // its rows are checked with the library
    for (float x : {0.0f, 1e-40f, 1e-20f, 0.25f, 1.0f, 2.0f, 3.0f, 4.0f, 12345.678f, 1e30f}) {
        const float a = fastmath::invSqrt(table, x), b = fastInvSqrt(x);
        EXPECT_EQ(0, memcmp(&a, &b, sizeof a)) << x;
    }
    for (uint32_t bits = 0x00800000u; bits < 0x7F000000u; bits += 0x00012345u) {
        float x;
        memcpy(&x, &bits, sizeof x);
        const float a = fastmath::invSqrt(table, x), b = fastInvSqrt(x);
        ASSERT_EQ(0, memcmp(&a, &b, sizeof a)) << x;
        ASSERT_NEAR(a * std::sqrt(x), 1.0f, 1e-4f);
    }
}

TEST(MeshVectors, FastLoopsMatchThePlainVersionOnAPosedModel) {
    Model fast, plain;
    for (Model* model : {&fast, &plain}) {
        synthetic::buildTorusModel(*model, 40, 25, 6);
        synthetic::attachWaveAnimation(*model, 8, 24.0f);
    }
    ASSERT_GT(fast.numClones(0), 0);
    const GlCapabilities caps = bumpCapabilities();
    for (double t : {0.0, 0.13, 0.29}) {
        fast.animate(t);
        plain.animate(t);
        fast.updateAllMeshes(caps);
        referenceUpdateMeshVectors(plain, 0, caps);
        const auto& a = fast.verts[0];
        const auto& b = plain.verts[0];
        for (size_t i = 0; i < a.size(); ++i)
            for (auto field : {&Vertex::pos, &Vertex::normal, &Vertex::tangentS, &Vertex::tangentT})
                ASSERT_EQ(0, memcmp(a[i].*field, b[i].*field, 3 * sizeof(float))) << "vertex " << i;
        for (size_t t2 = 0; t2 < fast.tris[0].size(); ++t2)
            ASSERT_EQ(0, memcmp(fast.tris[0][t2].normal, plain.tris[0][t2].normal, sizeof(float) * 3));
    }
    // Clones follow their source and every drawn vertex has a unit normal.
    for (size_t i = 0; i < fast.verts[0].size(); ++i) {
        const Vertex& v = fast.verts[0][i];
        for (int c = fast.cloneStart[0][i]; c < fast.cloneStart[0][i + 1]; ++c)
            EXPECT_EQ(0, memcmp(v.pos, fast.verts[0][static_cast<size_t>(fast.cloneItems[0][static_cast<size_t>(c)])].pos, sizeof v.pos));
        EXPECT_NEAR(length(v.normal), 1.0f, 1e-4f);
        EXPECT_NEAR(length(v.tangentS), 1.0f, 1e-4f);
    }
}

TEST(MeshVectors, SkinnedModelWithoutAnimationStandsInItsBindPose) {
    Model model;
    synthetic::buildTorusModel(model, 12, 8, 4);
    for (Joint& j : model.joints) std::fill(j.rot, j.rot + 9, 0.0f);
    const float expected[3] = {model.verts[0][5].pos[0], model.verts[0][5].pos[1], model.verts[0][5].pos[2]};
    model.updateAllMeshes(GlCapabilities{});
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(model.verts[0][5].pos[k], expected[k], 1e-4f);
    // Without the bump capabilities S and T stay unnormalised sums.
    float longest = 0;
    for (const Vertex& v : model.verts[0]) longest = std::max(longest, length(v.tangentS));
    EXPECT_GT(longest, 1.5f);
}

TEST(MeshVectors, StaticModelIsComputedOnceWithItsNormalNegated) {
    Model model;
    buildStaticTriangle(model);
    const GlCapabilities caps = bumpCapabilities();
    model.hasHeight[0] = 1;
    model.updateAllMeshes(caps);
    EXPECT_TRUE(model.frameBuilt[0]);
    const Vertex& v0 = model.verts[0][0];
    EXPECT_NEAR(v0.normal[2], 1.0f, 1e-4f); // e1 x e2 points down; negated for static models
    EXPECT_NEAR(v0.tangentS[0], 1.0f, 1e-4f);
    EXPECT_NEAR(v0.tangentT[1], 1.0f, 1e-4f);
    EXPECT_EQ(length(model.verts[0][3].normal), 0.0f); // in no triCloneList: zero, not NaN
    model.verts[0][1].pos[2] = 5; // a later change is not picked up: the vectors are kept
    model.updateAllMeshes(caps);
    EXPECT_NEAR(model.verts[0][0].normal[2], 1.0f, 1e-4f);
}

TEST(MeshVectors, DegenerateTextureCoordinatesGiveZeroTangentsButANormal) {
    Model model;
    buildStaticTriangle(model);
    for (Vertex& v : model.verts[0]) v.u = v.v = 0.5f;
    model.updateAllMeshes(bumpCapabilities());
    const Triangle& tri = model.tris[0][0];
    EXPECT_EQ(length(tri.tangentS), 0.0f);
    EXPECT_EQ(length(tri.tangentT), 0.0f);
    EXPECT_NEAR(model.verts[0][2].normal[2], 1.0f, 1e-4f);
}
