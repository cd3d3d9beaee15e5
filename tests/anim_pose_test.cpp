// tests/anim_pose_test.cpp -- rotation helpers, version 10 and version 6 posing, and the mended
// cases: animations and channels without length leave the joints alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "model/animation.h"
#include "base/pose_math.h"
#include "model/model.h"

namespace {

constexpr float kTolerance = 2e-5f;

void expectMatrixNear(const float* a, const float* b, int n, float tolerance = kTolerance) {
    for (int i = 0; i < n; ++i) EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
}

// The point turned by a column-major matrix.
void apply(const float m[16], const float p[3], float out[3]) {
    for (int r = 0; r < 3; ++r) out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
}

void addJoints(Model& model, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        Joint joint;
        joint.name = name;
        model.joints.push_back(joint);
    }
}

// Two joints: "root" animates position x and orientation z over 4 frames at 2 frames per second;
// "still" has flags 0 and so keeps its base frame.
const char* const kTwoJointV10 =
    "MD5Version 10\nnumFrames 4\nnumJoints 2\nframeRate 2\nnumAnimatedComponents 2\n"
    "hierarchy {\n\t\"root\"\t-1 33 0\n\t\"still\"\t0 0 0\n}\n"
    "baseframe {\n\t( 0 0 0 ) ( 0 0 0 )\n\t( 1 2 3 ) ( 0 0.6 0 )\n}\n"
    "frame 0 {\n\t0 0\n}\nframe 1 {\n\t10 0.3826834\n}\nframe 2 {\n\t20 0.7071068\n}\nframe 3 {\n\t30 0\n}\n";

void loadTwoJoints(Model& model) {
    addJoints(model, {"root", "still"});
    model.loadAnimationText(kTwoJointV10);
}

} // namespace

TEST(PoseMath, EulerTurnsRollFirstThenPitchThenYaw) {
    float m[16], p[3];
    const float x[3] = {1, 0, 0}, y[3] = {0, 1, 0}, z[3] = {0, 0, 1}, minusZ[3] = {0, 0, -1};
    eulerToMatrix(90, 0, 90, m); // roll takes y to z, yaw leaves z alone
    apply(m, y, p);
    expectMatrixNear(p, z, 3);
    eulerToMatrix(90, 90, 0, m); // pitch takes x to -z; yaw keeps it
    apply(m, x, p);
    expectMatrixNear(p, minusZ, 3);
}

TEST(PoseMath, QuaternionRoundTripAndDegenerateTrace) {
    float m[16], q[4], back[16];
    eulerToMatrix(40, -25, 70, m);
    matrixToQuaternion(m, q);
    EXPECT_GE(q[3], 0);
    quaternionToMatrix(q, back);
    expectMatrixNear(back, m, 16);
    float half[16];
    rotationMatrix(180, 0, 1, 0, half); // trace + 1 is 0: the y axis is picked
    matrixToQuaternion(half, q);
    EXPECT_EQ(q[1], 1.0f);
    EXPECT_EQ(q[0] + q[2] + q[3], 0.0f);
}

TEST(PoseMath, BlendEndsAreExactAndTheWayRoundIsShort) {
    float a[16], b[16], out[16], expected[16];
    eulerToMatrix(10, 20, 30, a);
    eulerToMatrix(100, -20, 5, b);
    blendRotation(a, b, 0, out);
    EXPECT_EQ(0, memcmp(out, a, sizeof out));
    blendRotation(a, b, 1, out);
    expectMatrixNear(out, b, 16);
    blendRotation(b, b, 0.37f, out);
    EXPECT_EQ(0, memcmp(out, b, sizeof out));
    rotationMatrix(-170, 0, 0, 1, a);
    rotationMatrix(170, 0, 0, 1, b);
    blendRotation(a, b, 0.5f, out);
    rotationMatrix(180, 0, 0, 1, expected);
    expectMatrixNear(out, expected, 16);
}

TEST(PoseV10, FlagsZeroKeepsTheBaseFrameAndChildrenFollowTheirParent) {
    Model model;
    loadTwoJoints(model);
    model.animate(1.25); // frame 2 and a half
    const Joint& root = model.joints[0];
    EXPECT_NEAR(root.pos[0], 25.0f, kTolerance);
    // The orientation halfway between 90 and 0 degrees of z-quaternion (w completed negative).
    float q0[4] = {0, 0, 0.7071068f, -0.7071068f}, q1[4] = {0, 0, 0, -1}, a[16], b[16], blend[16];
    quaternionToMatrix(q0, a);
    quaternionToMatrix(q1, b);
    blendRotation(a, b, 0.5f, blend);
    expectMatrixNear(root.rot, std::vector<float>{blend[0], blend[1], blend[2], blend[4], blend[5], blend[6],
                                                  blend[8], blend[9], blend[10]}.data(), 9);
    // The still joint: its own base frame, carried by the root's pose.
    float q[4] = {0, 0.6f, 0, -0.8f}, local[16], expected[16];
    quaternionToMatrix(q, local);
    local[12] = 1, local[13] = 2, local[14] = 3;
    multiplyColumnMajor(root.poseMatrix, local, expected);
    expectMatrixNear(model.joints[1].poseMatrix, expected, 16);
}

TEST(PoseV10, NegativeTimesCountBackFromTheLength) {
    Model model;
    loadTwoJoints(model);
    model.animate(0);
    float atZero[16];
    memcpy(atZero, model.joints[0].poseMatrix, sizeof atZero);
    EXPECT_EQ(model.joints[0].pos[0], 0.0f);
    model.animate(-2.0); // the length and the held last frame are checked on Bob
    EXPECT_EQ(0, memcmp(atZero, model.joints[0].poseMatrix, sizeof atZero));
    model.animate(-0.25); // backwards: inside the last frame, held
    EXPECT_NEAR(model.joints[0].pos[0], 30.0f, kTolerance);
}

TEST(PoseV10, NoFramesOrNoFrameRateLeavesTheJointsAlone) {
    for (const char* text : {"MD5Version 10\nnumFrames 0\nnumJoints 1\nhierarchy {\n\t\"root\"\t-1 63 0\n}\n",
                             "MD5Version 10\nnumFrames 2\nframeRate 0\nnumJoints 1\nnumAnimatedComponents 6\n"
                             "hierarchy {\n\t\"root\"\t-1 63 0\n}\nframe 0 {\n1 1 1 0 0 0\n}\n",
                             "MD5Version 10\nnumFrames 2\nframeRate nan\nnumJoints 1\n"
                             "hierarchy {\n\t\"root\"\t-1 63 0\n}\n"}) {
        Model model;
        addJoints(model, {"root"});
        model.joints[0].pos[0] = 7;
        model.joints[0].poseMatrix[5] = 3;
        model.loadAnimationText(text);
        ASSERT_TRUE(model.animV10);
        model.animate(0.3);
        model.animate(1e300);
        EXPECT_EQ(model.joints[0].pos[0], 7.0f);
        EXPECT_EQ(model.joints[0].poseMatrix[5], 3.0f);
    }
}

TEST(PoseV10, ComponentsOutsideTheFrameReadAsZeroAndBadParentsAreSkipped) {
    Model model;
    addJoints(model, {"root", "orphan"});
    model.joints[1].pos[0] = 9;
    model.loadAnimationText("MD5Version 10\nnumFrames 1\nnumJoints 2\nnumAnimatedComponents 1\n"
                            "hierarchy {\n\t\"root\"\t-1 7 0x7ffffffe\n\t\"orphan\"\t12 1 0\n}\n"
                            "baseframe {\n\t( 5 5 5 ) ( 0 0 0 )\n\t( 1 1 1 ) ( 0 0 0 )\n}\n"
                            "frame 0 {\n\t4\n}\n");
    model.animate(0);
    EXPECT_EQ(model.joints[0].pos[0], 0.0f);
    EXPECT_EQ(model.joints[1].pos[0], 9.0f);
}

TEST(PoseV6, KeysAt350And10BlendThroughZero) {
    Model model;
    addJoints(model, {"origin"});
    model.loadAnimationText("MD5Version 6\nnumchannels 1\nchannel 0 {\n\tjoint \"origin\"\n\tattribute \"yaw\"\n"
                            "\tstarttime 0\n\tendtime 2\n\tframerate 1\n\trange 0 1\n\tkeys 2\n\t350 10\n}\n");
    model.animate(0.5);
    const Joint& j = model.joints[0];
    EXPECT_FLOAT_EQ(j.angleFrom[1], 350);
    EXPECT_FLOAT_EQ(j.angleTo[1], 370);
    EXPECT_FLOAT_EQ(j.animYaw, 360);
    float expected[16];
    rotationMatrix(0, 0, 0, 1, expected); // through 0, not 180
    expectMatrixNear(j.poseMatrix, expected, 16);
    model.animate(0.25);
    rotationMatrix(-5, 0, 0, 1, expected);
    expectMatrixNear(j.poseMatrix, expected, 16);
}

TEST(PoseV6, TranslationThenTurnUnderTheParentAndRangeHoldsTheBoundaryKey) {
    Model model;
    addJoints(model, {"origin", "child"});
    model.joints[1].parent = 0;
    model.joints[1].hasParentName = true;
    model.loadAnimationText("MD5Version 6\nnumchannels 3\n"
                            "channel 0 {\n\tjoint \"origin\"\n\tattribute \"yaw\"\n\tstarttime 0\n\tendtime 4\n"
                            "\tframerate 1\n\trange 0 3\n\tkeys 4\n\t90 90 90 90\n}\n"
                            "channel 1 {\n\tjoint \"origin\"\n\tattribute \"X\"\n\tstarttime 0\n\tendtime 4\n"
                            "\tframerate 1\n\trange 0 3\n\tkeys 4\n\t1 2 3 4\n}\n"
                            "channel 2 {\n\tjoint \"child\"\n\tattribute \"x\"\n\tstarttime 0\n\tendtime 4\n"
                            "\tframerate 1\n\trange 2 3\n\tkeys 2\n\t5 7\n}\n");
    model.animate(0.5); // child's frame 0 is below its range: key 0 (5), no blend
    EXPECT_FLOAT_EQ(model.joints[0].animX, 1.5f);
    EXPECT_FLOAT_EQ(model.joints[1].animX, 5.0f);
    // origin at (1.5, 0, 0) turned 90 degrees about z; the child sits 5 along its x: (1.5, 5, 0).
    EXPECT_NEAR(model.joints[1].pos[0], 1.5f, kTolerance);
    EXPECT_NEAR(model.joints[1].pos[1], 5.0f, kTolerance);
    model.animate(2.5); // inside the range: blended
    EXPECT_FLOAT_EQ(model.joints[1].animX, 6.0f);
}

TEST(PoseV6, ChannelWithoutLengthOrKeysLeavesItsTargetAlone) {
    Model model;
    addJoints(model, {"origin"});
    model.joints[0].animX = 4;
    model.joints[0].animY = 6;
    model.loadAnimationText("MD5Version 6\nnumchannels 2\n"
                            "channel 0 {\n\tjoint \"origin\"\n\tattribute \"x\"\n\tstarttime 1\n\tendtime 1\n"
                            "\tframerate 30\n\tkeys 2\n\t9 9\n}\n"
                            "channel 1 {\n\tjoint \"origin\"\n\tattribute \"y\"\n\tstarttime 0\n\tendtime 1\n"
                            "\tframerate 30\n\tkeys 0\n}\n");
    model.animate(0.5);
    EXPECT_EQ(model.joints[0].animX, 4.0f);
    EXPECT_EQ(model.joints[0].animY, 6.0f);
    EXPECT_NEAR(model.joints[0].pos[0], 4.0f, kTolerance);
}
