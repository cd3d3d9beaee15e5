// tests/anim_pose_test.cpp -- MD5anim: both readers from memory, loading by file name and binding,
// version 10 and version 6 posing, the mended cases (animations and channels without length leave
// the joints alone), and the camera model.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "anim/camera_animation.h"
#include "anim/md5anim_parse.h"
#include "base/basepath.h"
#include "base/debug_log.h"
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

const char* const kSmallV10 =
    "MD5Version 10\ncommandline \"\"\nnumFrames 2\nnumJoints 2\nnumAnimatedComponents 3\n"
    "hierarchy {\n\t\"root bone\"\t-1 0 0\t// a comment 7 7\n\t\"tip\"\t0 7 0\t// root bone\n}\n"
    "bounds {\n\t( -1 -2 -3 ) ( 1 2 3 )\n\t( -4 -5 -6 ) ( 4 5 6 )\n}\n"
    "baseframe {\n\t( 0 0 0 ) ( 0 0 0 )\n\t( 1 2 3 ) ( 0.5 0 0 )\n}\n"
    "frame 0 {\n\t10 11 12\n}\nframe 1 {\n\t20 21\n\t22\n}\n";

// "root" animates position x and orientation z over 4 frames at 2 per second; "still" has flags 0.
const char* const kTwoJointV10 =
    "MD5Version 10\nnumFrames 4\nnumJoints 2\nframeRate 2\nnumAnimatedComponents 2\n"
    "hierarchy {\n\t\"root\"\t-1 33 0\n\t\"still\"\t0 0 0\n}\n"
    "baseframe {\n\t( 0 0 0 ) ( 0 0 0 )\n\t( 1 2 3 ) ( 0 0.6 0 )\n}\n"
    "frame 0 {\n\t0 0\n}\nframe 1 {\n\t10 0.3826834\n}\nframe 2 {\n\t20 0.7071068\n}\nframe 3 {\n\t30 0\n}\n";

// One version 6 channel block: its joint, attribute, start and end time, frame rate, and the rest.
std::string channel(int n, const char* joint, const char* attribute, const char* times, const char* rest) {
    return "channel " + std::to_string(n) + " {\n\tjoint \"" + joint + "\"\n\tattribute \"" + attribute + "\"\n" + times + rest + "}\n";
}

} // namespace

TEST(PoseMath, EulerTurnsRollFirstThenPitchThenYaw) {
    float m[16], p[3];
    const float x[3] = {1, 0, 0}, y[3] = {0, 1, 0}, z[3] = {0, 0, 1}, minusZ[3] = {0, 0, -1};
    eulerToMatrix(90, 0, 90, m); // roll takes y to z, yaw leaves z alone
    apply(m, y, p), expectMatrixNear(p, z, 3);
    eulerToMatrix(90, 90, 0, m); // pitch takes x to -z; yaw keeps it
    apply(m, x, p), expectMatrixNear(p, minusZ, 3);
}

// Quaternions, blends and hierarchies at ordinary values: the Bob comparison.
TEST(PoseV10, FlagsZeroKeepsTheBaseFrameAndNegativeTimesCountBackFromTheLength) {
    Model model;
    addJoints(model, {"root", "still"});
    model.loadAnimationText(kTwoJointV10);
    model.animate(1.25); // frame 2 and a half
    const Joint& root = model.joints[0];
    EXPECT_NEAR(root.pos[0], 25.0f, kTolerance);
    // The still joint: its own base frame, carried by the root's pose.
    float q[4] = {0, 0.6f, 0, -0.8f}, local[16], expected[16];
    quaternionToMatrix(q, local);
    local[12] = 1, local[13] = 2, local[14] = 3;
    multiplyColumnMajor(root.poseMatrix, local, expected);
    expectMatrixNear(model.joints[1].poseMatrix, expected, 16);

    model.animate(0);
    float atZero[16];
    memcpy(atZero, model.joints[0].poseMatrix, sizeof atZero);
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
    model.loadAnimationText("MD5Version 6\nnumchannels 1\n" +
                            channel(0, "origin", "yaw", "starttime 0\nendtime 2\nframerate 1\n", "range 0 1\nkeys 2\n350 10\n"));
    float expected[16];
    for (auto [time, angle] : {std::pair{0.5, 0.0f}, {0.25, -5.0f}}) { // through 0, not 180
        model.animate(time);
        rotationMatrix(angle, 0, 0, 1, expected);
        expectMatrixNear(model.joints[0].poseMatrix, expected, 16);
    }
}

TEST(PoseV6, TranslationThenTurnUnderTheParentAndRangeHoldsTheBoundaryKey) {
    Model model;
    addJoints(model, {"origin", "child"});
    model.joints[1].parent = 0, model.joints[1].hasParentName = true;
    const char* times = "starttime 0\nendtime 4\nframerate 1\n";
    model.loadAnimationText("MD5Version 6\nnumchannels 3\n" + channel(0, "origin", "yaw", times, "range 0 3\nkeys 4\n90 90 90 90\n") +
                            channel(1, "origin", "X", times, "range 0 3\nkeys 4\n1 2 3 4\n") +
                            channel(2, "child", "x", times, "range 2 3\nkeys 2\n5 7\n"));
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
    model.joints[0].animX = 4, model.joints[0].animY = 6;
    model.loadAnimationText("MD5Version 6\nnumchannels 2\n" +
                            channel(0, "origin", "x", "starttime 1\nendtime 1\nframerate 30\n", "keys 2\n9 9\n") +
                            channel(1, "origin", "y", "starttime 0\nendtime 1\nframerate 30\n", "keys 0\n"));
    model.animate(0.5);
    EXPECT_TRUE(model.joints[0].animX == 4.0f && model.joints[0].animY == 6.0f);
    EXPECT_NEAR(model.joints[0].pos[0], 4.0f, kTolerance);
}

// The camera model: refcam cuts, fov and the camera matrix (its picture: program_test).
TEST(CameraAnimation, RefcamCutsAndFovFollowTheLocalTime) {
    cameraClock().t0 = 0;
    Model camera;
    camera.loadCameraAnimation(OSTRELLE_SOURCE_DIR "/tests/data/anim/camera_v6.md5anim");
    const float placement[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    camera.setPlacement(placement);
    float out[17];
    ASSERT_EQ(camera.numJoints(), 3); // a joint per channel joint but "bounds"
    camera.updateCameraAnimation(10.0); // the first update starts the clock
    EXPECT_EQ(cameraClock().t0, 10.0);
    EXPECT_TRUE(camera.refCam == 0 && camera.cameraJoint == 0);
    EXPECT_FLOAT_EQ(camera.jointFov[0], 90.0f);
    camera.updateCameraAnimation(10.3); // frame 1.2
    EXPECT_TRUE(camera.refCam == 1 && camera.cameraJoint == 1);
    EXPECT_NEAR(camera.jointFov[0], 78.0f, 1e-3f);
    camera.getCameraMatrix(-1, out); // camera2 at (0, 5, 0), placed at (1, 2, 3)
    EXPECT_NEAR(out[13], 7.0f, 1e-4f);
    EXPECT_EQ(out[16], 0.0f);
    camera.getCameraMatrix(0, out); // camera1 at x = 12 with its fov
    EXPECT_NEAR(out[12], 13.0f, 1e-3f);
    EXPECT_NEAR(out[16], 78.0f, 1e-3f);
    camera.updateCameraAnimation(10.8); // refcam names "nobody": joint 0
    EXPECT_TRUE(camera.refCam == 2 && camera.cameraJoint == 0);
    camera.updateCameraAnimation(11.3); // the local time wraps to 0.3
    EXPECT_EQ(camera.cameraJoint, 1);
    cameraClock().t0 = 0;
}

// Ordinary files: the Bob comparison. Here what a real file seldom has.
TEST(AnimReaderV10, OutOfRangeFramesExtraValuesAndLateCountsStayInsideTheArrays) {
    auto anim = parseAnimationV10("MD5Version 10\n"
                                  "hierarchy {\n\t\"early\"\t-1 63 0\n}\n" // before its count: read as nothing
                                  "numFrames 1\nnumJoints 1\nnumAnimatedComponents 2\n"
                                  "frame 5 {\n1 2\n}\nframe -1 {\n3 4\n}\n"
                                  "frame 0 {\n1 2 3 4 5 6 7 8 9 10\n11\n}\n"
                                  "bounds {\n( 1 1 1 ) ( 2 2 2 )\n( 3 3 3 ) ( 4 4 4 )\n}\n");
    ASSERT_TRUE(anim);
    EXPECT_EQ(anim->frames, (std::vector<std::vector<float>>{{1, 2}}));
    EXPECT_EQ(anim->bounds.size(), 6u);
    EXPECT_FALSE(anim->joints[0].hasName);
}

TEST(AnimReaderV10, HostileCountsAreHeldToTheText) {
    auto anim = parseAnimationV10("MD5Version 10\nnumFrames 2000000000\nnumJoints 0x7fffffff\n"
                                  "numAnimatedComponents 2000000000\nframe 1999999999 {\n1\n}\n");
    ASSERT_TRUE(anim);
    EXPECT_LE(anim->numFrames, 200);
    EXPECT_LE(anim->numJoints, 200);
    EXPECT_LE(static_cast<size_t>(anim->numFrames) * anim->numAnimatedComponents, size_t{1} << 20);
}

TEST(AnimReaderV6, ReadsChannelsRangesKeysAndStrings) {
    auto anim = parseAnimationV6("MD5Version 6\ncommandline \"anim -range 3 9 -other\"\nnumchannels 2\nchannel 1 {\n\tjoint \"Bip01 Head\"\n\tattribute \"pitch\"\n"
                                 "\tstarttime 0.5\n\tendtime 2.5\n\tframerate 30\n\tstrings 2\n\t\"a b\" \"c_1\"\n"
                                 "\trange 3 12\n\tkeys 8\n\t1 2 3 4 5 6 7 8\n}\n"
                                 "\tattribute \"yaw\"\n" // the closing line was consumed by the keys
                                 "channel 0 {\n\tstarttime 0.25\n\tendtime 1\n}\n");
    ASSERT_TRUE(anim);
    EXPECT_EQ(std::make_pair(anim->rangeStart, anim->rangeEnd), std::make_pair(3, 9));
    ASSERT_EQ(anim->numChannels, 2);
    const AnimChannelV6& c = anim->channels[1];
    EXPECT_EQ(c.jointName, "Bip01 Head");
    EXPECT_EQ(c.attribute, "yaw");
    EXPECT_EQ(c.keys, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(c.strings, (std::vector<std::string>{"a b", "c_1"}));
    EXPECT_FLOAT_EQ(anim->startTime, 0.25f);
    EXPECT_FLOAT_EQ(anim->endTime, 2.5f);
}

TEST(AnimLoad, DispatchesOnTheFirstLineAndBindsByName) {
    Model model;
    addJoints(model, {"root bone", "tip", "tip"});
    model.loadAnimationText(kSmallV10);
    ASSERT_TRUE(model.animV10);
    EXPECT_EQ(model.animV10->joints[1].meshJoint, 1); // the first of two equal names

    model.loadAnimationText("MD5Version 6\nnumchannels 4\n" + channel(0, "tip", "x", "", "") + channel(1, "tip", "X", "", "") +
                            channel(2, "tip", "Pitch", "", "") + channel(3, "bounds", "roll", "", ""));
    ASSERT_TRUE(model.animV6);
    const auto& ch = model.animV6->channels;
    EXPECT_TRUE(ch[0].target == ChannelTarget::X && ch[1].target == ChannelTarget::X && ch[2].target == ChannelTarget::None);
    EXPECT_EQ(std::make_pair(ch[2].joint, ch[3].joint), std::make_pair(1, -1));

    // CR LF line ends: the unquoted joint name and attribute still bind.
    model.loadAnimationText("MD5Version 6\r\nnumchannels 1\r\nchannel 0 {\r\n\tjoint tip\r\n\tattribute y\r\n}\r\n");
    ASSERT_TRUE(model.animV6);
    EXPECT_TRUE(model.animV6->channels[0].joint == 1 && model.animV6->channels[0].target == ChannelTarget::Y);

    model.loadAnimationText("MD5Version 7\n"); // neither version: the version 6 reader refuses it
    EXPECT_FALSE(model.animV6);
    EXPECT_TRUE(model.animV10);
}

TEST(AnimLoad, MissingFileLogsAndKeepsTheRecords) {
    Model model;
    model.loadAnimationText(kSmallV10);
    setBasepath("/nonexistent/");
    ScopedLogCapture log;
    model.loadAnimation("/nonexistent/walk.md5anim");
    EXPECT_EQ(log.text, "couldn\xB4t find animation file /nonexistent/walk.md5anim\n");
    EXPECT_TRUE(model.animV10);
    model.loadAnimation(nullptr); // clears animV6 only
    EXPECT_TRUE(model.animV10);
    setBasepath("");
}

TEST(AnimReaderV6, ManyChannelsWithHostileKeyCountsStayWithinABudget) {
    std::string text = "MD5Version 6\nnumchannels 400\n";
    for (int c = 0; c < 400; ++c) text += "channel " + std::to_string(c) + "\nkeys 99999999\nstrings 99999999\n";
    auto anim = parseAnimationV6(text);
    ASSERT_TRUE(anim);
    size_t values = 0;
    for (const AnimChannelV6& c : anim->channels) values += c.keys.size() + c.strings.size();
    EXPECT_LE(values, text.size() * 4 + (size_t{1} << 16));
    EXPECT_EQ(anim->channels[0].keys.size(), text.size()); // the first is held to the text only
}
