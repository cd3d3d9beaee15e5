// tests/anim_camera_test.cpp -- the camera model: joints per channel, refcam cuts, fov, the camera matrix.
#include <gtest/gtest.h>

#include "model/animation.h"
#include "anim/camera_animation.h"
#include "model/model.h"

namespace {

const char* const kCameraFile = OSTRELLE_SOURCE_DIR "/tests/data/anim/camera_v6.md5anim";

struct CameraFixture : ::testing::Test {
    void SetUp() override {
        cameraClock().t0 = 0;
        camera.loadCameraAnimation(kCameraFile);
        const float placement[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
        camera.setPlacement(placement);
    }
    void TearDown() override { cameraClock().t0 = 0; }
    Model camera;
};

} // namespace

TEST_F(CameraFixture, AddsAJointPerChannelJointExceptBounds) {
    ASSERT_TRUE(camera.animV6);
    ASSERT_EQ(camera.numJoints(), 3);
    EXPECT_EQ(camera.joints[0].name, "camera1");
    EXPECT_EQ(camera.joints[1].name, "camera2");
    EXPECT_EQ(camera.joints[2].name, "refcam");
    EXPECT_EQ(camera.jointFov, std::vector<float>(3, 0.0f));
    EXPECT_EQ(camera.animV6->channels[0].target, ChannelTarget::X);
}

TEST_F(CameraFixture, RefcamCutsAndFovFollowTheLocalTime) {
    float out[17];
    camera.updateCameraAnimation(10.0); // the first update starts the clock
    EXPECT_EQ(cameraClock().t0, 10.0);
    EXPECT_EQ(camera.refCam, 0);
    EXPECT_EQ(camera.cameraJoint, 0);
    EXPECT_FLOAT_EQ(camera.jointFov[0], 90.0f);

    camera.updateCameraAnimation(10.3); // frame 1.2
    EXPECT_EQ(camera.refCam, 1);
    EXPECT_EQ(camera.cameraJoint, 1);
    EXPECT_NEAR(camera.jointFov[0], 78.0f, 1e-3f);
    camera.getCameraMatrix(-1, out); // camera2 at (0, 5, 0), placed at (1, 2, 3)
    const float expected[3] = {1, 7, 3};
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(out[12 + k], expected[k], 1e-4f) << k;
    EXPECT_EQ(out[15], 1.0f);
    EXPECT_EQ(out[16], 0.0f);
    camera.getCameraMatrix(0, out); // camera1 at x = 12 with its fov
    EXPECT_NEAR(out[12], 13.0f, 1e-3f);
    EXPECT_NEAR(out[16], 78.0f, 1e-3f);

    camera.updateCameraAnimation(10.8); // refcam names "nobody": joint 0
    EXPECT_EQ(camera.refCam, 2);
    EXPECT_EQ(camera.cameraJoint, 0);

    camera.updateCameraAnimation(11.3); // the local time wraps to 0.3
    EXPECT_EQ(camera.cameraJoint, 1);
}

TEST(CameraAnimation, Version10FileAddsNothingAndTheCameraDoesNothing) {
    Model camera;
    camera.loadCameraAnimationText("MD5Version 10\nnumFrames 1\nnumJoints 1\nhierarchy {\n\t\"cam\"\t-1 0 0\n}\n");
    EXPECT_TRUE(camera.animV10);
    EXPECT_EQ(camera.numJoints(), 0);
    EXPECT_TRUE(camera.jointFov.empty());
    camera.updateCameraAnimation(1.0);
    float out[17] = {42};
    camera.getCameraMatrix(-1, out);
    EXPECT_EQ(out[0], 42.0f);
}

TEST(CameraAnimation, RefcamKeysAndStringsOutsideTheirArraysSelectJointZero) {
    cameraClock().t0 = 0;
    Model camera;
    camera.loadCameraAnimationText("MD5Version 6\nnumchannels 2\n"
                                   "channel 0 {\n\tjoint \"cam\"\n\tattribute \"x\"\n\tstarttime 0\n\tendtime 1\n"
                                   "\tframerate 1\n\tkeys 1\n\t0\n}\n"
                                   "channel 1 {\n\tjoint \"refcam\"\n\tstarttime 0\n\tendtime 1\n"
                                   "\tframerate 1\n\tstrings 1\n\t\"refcam\"\n\tkeys 1\n\t1e30\n}\n");
    camera.cameraJoint = 1;
    camera.updateCameraAnimation(3.0);
    EXPECT_EQ(camera.cameraJoint, 0);
    cameraClock().t0 = 0;
}
