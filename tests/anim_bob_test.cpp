// tests/anim_bob_test.cpp -- the real Bob.md5anim posed at a few times against an independent pose:
// the textbook quaternion matrix and spherical interpolation in double precision.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>

#include "anim/md5anim_parse.h"
#include "base/file_open.h"
#include "model/model.h"
#include "base/gl_capabilities.h"

namespace {

const std::string kBobDir = std::string(OSTRELLE_TESTDATA_DIR) + "/md5/bob";

size_t at(int i) { return static_cast<size_t>(i); }

using Quat = std::array<double, 4>; // x, y, z, w
using Mat = std::array<double, 16>; // column-major

Quat completed(double x, double y, double z) {
    const double t = 1.0 - x * x - y * y - z * z;
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
    Quat out;
    for (size_t i = 0; i < 4; ++i) out[i] = wa * a[i] + wb * b[i];
    return out;
}

Mat localMatrix(Quat q, const double p[3]) {
    double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    const double x = q[0] / n, y = q[1] / n, z = q[2] / n, w = q[3] / n;
    return {1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y), 0,
            2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x), 0,
            2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y), 0,
            p[0], p[1], p[2], 1};
}

Mat product(const Mat& a, const Mat& b) {
    Mat out{};
    for (size_t c = 0; c < 4; ++c)
        for (size_t r = 0; r < 4; ++r)
            for (size_t k = 0; k < 4; ++k) out[4 * c + r] += a[4 * k + r] * b[4 * c + k];
    return out;
}

// Every joint's model-space pose between two frames, all six components animated.
std::vector<Mat> independentPose(const AnimationV10& anim, int frame0, int frame1, double frac) {
    std::vector<Mat> poses;
    for (int j = 0; j < anim.numJoints; ++j) {
        const AnimJointV10& joint = anim.joints[at(j)];
        const float* a = &anim.frames[at(frame0)][at(joint.startIndex)];
        const float* b = &anim.frames[at(frame1)][at(joint.startIndex)];
        double p[3];
        for (int k = 0; k < 3; ++k) p[k] = a[k] + (static_cast<double>(b[k]) - a[k]) * frac;
        const Quat q = slerp(completed(a[3], a[4], a[5]), completed(b[3], b[4], b[5]), frac);
        const Mat local = localMatrix(q, p);
        poses.push_back(joint.parent >= 0 ? product(poses[at(joint.parent)], local) : local);
    }
    return poses;
}

struct BobAnimation : ::testing::Test {
    void SetUp() override {
        std::string text;
        if (!readWholeFile(kBobDir + "/Bob.md5anim", text)) GTEST_SKIP() << "test data missing: " << kBobDir;
        anim = parseAnimationV10(text);
        ASSERT_TRUE(anim);
        for (const AnimJointV10& j : anim->joints) {
            Joint joint;
            joint.name = j.name;
            model.joints.push_back(joint);
        }
        model.loadAnimationText(text);
    }

    void expectPose(const std::vector<Mat>& expected) {
        for (size_t j = 0; j < expected.size(); ++j) {
            const Joint& joint = model.joints[j];
            for (size_t k = 0; k < 3; ++k) EXPECT_NEAR(joint.pos[k], expected[j][12 + k], 2e-3) << joint.name;
            for (size_t k = 0; k < 9; ++k) EXPECT_NEAR(joint.rot[k], expected[j][4 * (k / 3) + k % 3], 1e-4) << joint.name;
        }
    }

    std::unique_ptr<AnimationV10> anim;
    Model model;
};

} // namespace

TEST_F(BobAnimation, ReadsTheWholeFile) {
    EXPECT_EQ(anim->numFrames, 140);
    EXPECT_EQ(anim->numJoints, 33);
    EXPECT_FLOAT_EQ(anim->frameRate, 24);
    EXPECT_EQ(anim->joints[15].name, "lamp");
    EXPECT_EQ(anim->joints[15].parent, 13);
    EXPECT_FLOAT_EQ(anim->frames[0][6], 31.228901f);
    EXPECT_EQ(anim->frames[139].size(), 198u);
    EXPECT_FLOAT_EQ(anim->baseFrame[9], -0.022398f);
    for (size_t j = 0; j < model.animV10->joints.size(); ++j) EXPECT_EQ(model.animV10->joints[j].meshJoint, static_cast<int>(j));
}

TEST_F(BobAnimation, PosesMatchAnIndependentSlerpAtFramesAndBetweenThem) {
    model.animate(0);
    expectPose(independentPose(*anim, 0, 1, 0));
    model.animate(static_cast<double>(140.0f / 24.0f)); // the length itself: frame 0 again
    expectPose(independentPose(*anim, 0, 1, 0));
    model.animate(37.25 / 24);
    expectPose(independentPose(*anim, 37, 38, 0.25));
    model.animate(100.5 / 24);
    expectPose(independentPose(*anim, 100, 101, 0.5));
    model.animate(139.5 / 24); // the last frame is held, not blended into frame 0
    expectPose(independentPose(*anim, 139, 139, 0));
}

TEST(BobModel, SkinnedVerticesFollowTheIndependentPose) {
    const std::string mesh = kBobDir + "/Bob.md5mesh", animFile = kBobDir + "/Bob.md5anim";
    std::string text;
    if (!readWholeFile(animFile, text) || !std::filesystem::exists(mesh)) GTEST_SKIP() << "test data missing: " << kBobDir;
    const auto anim = parseAnimationV10(text);
    Model model(mesh.c_str(), animFile.c_str());
    ASSERT_TRUE(model.animV10);
    ASSERT_EQ(model.numJoints(), 33);
    GlCapabilities caps;
    caps.hasEnvDot3 = caps.hasCubeMap = caps.hasMultitexture = 1;
    for (size_t j = 0; j < anim->joints.size(); ++j)
        ASSERT_EQ(anim->joints[j].name, model.joints[j].name) << "mesh and animation list the joints alike";
    for (double t : {0.0, 37.25 / 24, 100.5 / 24}) {
        const int frame = static_cast<int>(t * 24);
        const std::vector<Mat> poses = independentPose(*anim, frame, frame + 1, t * 24 - frame);
        model.animate(t);
        model.updateAllMeshes(caps);
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
                const double n = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] + v.normal[2] * v.normal[2]);
                if (!receives[i]) continue;
                ASSERT_NEAR(n, 1.0, 1e-3) << "mesh " << m << " vertex " << i;
            }
        }
    }
}
