// tests/anim_skinning_test.cpp -- posing, skinning and per-vertex vectors: the fast loops against the
// plain ones, the real Bob posed and skinned against an independent pose (the textbook quaternion
// matrix and spherical interpolation in double precision), static models, bind pose without animation.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "base/fast_math_inline.h"
#include "anim/md5anim_parse.h"
#include "anim/skinning_reference.h"
#include "base/file_open.h"
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

const std::string kBobDir = std::string(OSTRELLE_TESTDATA_DIR) + "/md5/bob";

size_t at(int i) { return static_cast<size_t>(i); }

using Quat = std::array<double, 4>; // x, y, z, w
using Mat = std::array<double, 16>; // column-major

Quat completed(const float* xyz) {
    const double x = xyz[0], y = xyz[1], z = xyz[2], t = 1.0 - x * x - y * y - z * z;
    return {x, y, z, t < 0 ? 0.0 : -std::sqrt(t)};
}

Quat slerp(Quat a, Quat b, double f) {
    double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    if (dot < 0) {
        for (double& c : b) c = -c;
        dot = -dot;
    }
    if (dot > 0.9999999) return a;
    const double theta = std::acos(dot);
    const double wa = std::sin((1 - f) * theta) / std::sin(theta), wb = std::sin(f * theta) / std::sin(theta);
    return {wa * a[0] + wb * b[0], wa * a[1] + wb * b[1], wa * a[2] + wb * b[2], wa * a[3] + wb * b[3]};
}

// Every joint's model-space pose between two frames, all six components animated.
std::vector<Mat> independentPose(const AnimationV10& anim, int frame0, int frame1, double frac) {
    std::vector<Mat> poses;
    for (const AnimJointV10& joint : anim.joints) {
        const float* a = &anim.frames[at(frame0)][at(joint.startIndex)];
        const float* b = &anim.frames[at(frame1)][at(joint.startIndex)];
        const Quat q = slerp(completed(a + 3), completed(b + 3), frac);
        const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
        const double x = q[0] / n, y = q[1] / n, z = q[2] / n, w = q[3] / n;
        Mat local = {1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y), 0,
                     2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x), 0,
                     2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y), 0, 0, 0, 0, 1};
        for (size_t k = 0; k < 3; ++k) local[12 + k] = a[k] + (static_cast<double>(b[k]) - a[k]) * frac;
        if (joint.parent < 0) {
            poses.push_back(local);
            continue;
        }
        const Mat& parent = poses[at(joint.parent)];
        Mat out{};
        for (size_t c = 0; c < 4; ++c)
            for (size_t r = 0; r < 4; ++r)
                for (size_t k = 0; k < 4; ++k) out[4 * c + r] += parent[4 * k + r] * local[4 * c + k];
        poses.push_back(out);
    }
    return poses;
}

} // namespace

TEST(FastInvSqrt, InlineCopyMatchesTheLibraryBitForBit) {
    const uint8_t* table = invSqrtTable(); // its rows are checked with the library
    auto same = [table](float x) {
        const float a = fastmath::invSqrt(table, x), b = fastInvSqrt(x);
        return memcmp(&a, &b, sizeof a) == 0;
    };
    for (float x : {0.0f, 1e-40f, 1e30f}) EXPECT_TRUE(same(x)) << x;
    for (uint32_t bits = 0x00800000u; bits < 0x7F000000u; bits += 0x00012345u) {
        float x;
        memcpy(&x, &bits, sizeof x);
        ASSERT_TRUE(same(x)) << x;
        ASSERT_NEAR(fastInvSqrt(x) * std::sqrt(x), 1.0f, 1e-4f);
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
        for (size_t i = 0; i < fast.verts[0].size(); ++i)
            for (auto field : {&Vertex::pos, &Vertex::normal, &Vertex::tangentS, &Vertex::tangentT})
                ASSERT_EQ(0, memcmp(fast.verts[0][i].*field, plain.verts[0][i].*field, 3 * sizeof(float))) << "vertex " << i;
        for (size_t t2 = 0; t2 < fast.tris[0].size(); ++t2)
            ASSERT_EQ(0, memcmp(fast.tris[0][t2].normal, plain.tris[0][t2].normal, sizeof(float) * 3));
    }
}

TEST(MeshVectors, SkinnedModelWithoutAnimationStandsInItsBindPose) {
    Model model;
    synthetic::buildTorusModel(model, 12, 8, 4);
    for (Joint& j : model.joints) std::fill(j.rot, j.rot + 9, 0.0f);
    const float expected[3] = {model.verts[0][5].pos[0], model.verts[0][5].pos[1], model.verts[0][5].pos[2]};
    model.updateAllMeshes(GlCapabilities{});
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(model.verts[0][5].pos[k], expected[k], 1e-4f);
}

TEST(MeshVectors, StaticModelIsComputedOnceWithItsNormalNegated) {
    // One static triangle in the z = 0 plane with texture coordinates along x and y; vertex 3 in none.
    Model model;
    model.allocateMeshes(1);
    for (const auto& p : {std::array<float, 3>{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {9, 9, 9}}) {
        model.verts[0].emplace_back();
        std::copy(p.begin(), p.end(), model.verts[0].back().pos);
        model.verts[0].back().u = p[0] / 2, model.verts[0].back().v = 1 - p[1] / 2;
    }
    model.tris[0].resize(1);
    model.tris[0][0].v[1] = 1, model.tris[0][0].v[2] = 2;
    model.numVerts[0] = 4;
    model.clearCloneLists(0);
    model.indices[0] = model.triCloneItems[0] = {0, 1, 2};
    model.triCloneStart[0] = {0, 3};
    model.meshLoaded[0] = model.hasHeight[0] = 1;
    const GlCapabilities caps = bumpCapabilities();
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

TEST(BobModel, PoseAndSkinnedVerticesFollowTheIndependentPose) {
    const std::string mesh = kBobDir + "/Bob.md5mesh", animFile = kBobDir + "/Bob.md5anim";
    std::string text;
    if (!readWholeFile(animFile, text) || !std::filesystem::exists(mesh)) GTEST_SKIP() << "test data missing: " << kBobDir;
    const auto anim = parseAnimationV10(text);
    Model model(mesh.c_str(), animFile.c_str());
    ASSERT_TRUE(model.animV10);
    const GlCapabilities caps = bumpCapabilities();
    for (size_t j = 0; j < anim->joints.size(); ++j) ASSERT_EQ(anim->joints[j].name, model.joints[j].name);
    // Times, and the frames they lie between: the length itself is frame 0 again, the last frame is held.
    for (auto [time, frame0, frame1, frac] : {std::tuple{0.0, 0, 1, 0.0}, {static_cast<double>(140.0f / 24.0f), 0, 1, 0.0},
                                              {37.25 / 24, 37, 38, 0.25}, {100.5 / 24, 100, 101, 0.5}, {139.5 / 24, 139, 139, 0.0}}) {
        SCOPED_TRACE(time);
        const std::vector<Mat> poses = independentPose(*anim, frame0, frame1, frac);
        model.animate(time);
        model.updateAllMeshes(caps);
        for (size_t j = 0; j < poses.size(); ++j) {
            const Joint& joint = model.joints[j];
            for (size_t k = 0; k < 3; ++k) EXPECT_NEAR(joint.pos[k], poses[j][12 + k], 2e-3) << joint.name;
            for (size_t k = 0; k < 9; ++k) EXPECT_NEAR(joint.rot[k], poses[j][4 * (k / 3) + k % 3], 1e-4) << joint.name;
        }
        for (size_t m = 0; m < model.verts.size(); ++m) {
            const std::vector<Vertex>& verts = model.verts[m];
            std::vector<bool> receives(verts.size(), false); // vertices some triangle gives its vectors to
            for (int r : model.triCloneItems[m]) receives[at(r)] = true;
            for (size_t i = 0; i < at(model.numVerts[m]); ++i) {
                const Vertex& v = verts[i];
                if (v.weightCount <= 0) continue;
                double expected[3] = {0, 0, 0};
                for (int w = v.weightStart; w < v.weightStart + v.weightCount; ++w) {
                    const VertexWeight& wt = model.weights[m][at(w)];
                    const Mat& p = poses[at(wt.joint)];
                    for (size_t r = 0; r < 3; ++r)
                        expected[r] += wt.bias * (p[r] * wt.pos[0] + p[4 + r] * wt.pos[1] + p[8 + r] * wt.pos[2] + p[12 + r]);
                }
                for (int r = 0; r < 3; ++r) ASSERT_NEAR(v.pos[r], expected[r], 5e-3) << "mesh " << m << " vertex " << i;
                for (int c = model.cloneStart[m][i]; c < model.cloneStart[m][i + 1]; ++c)
                    ASSERT_EQ(verts[at(model.cloneItems[m][at(c)])].pos[0], v.pos[0]);
                if (receives[i]) {
                    ASSERT_NEAR(std::hypot(v.normal[0], v.normal[1], v.normal[2]), 1.0, 1e-3) << "mesh " << m << " vertex " << i;
                }
            }
        }
    }
}
