// tests/core_basics_test.cpp -- the log, path resolution, base-path rewrite and fast math.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/face_frame.h"
#include "base/fast_math.h"
#include "base/debug_log.h"
#include "base/file_open.h"
#include "base/basepath.h"
#include "model/model.h"

namespace fs = std::filesystem;

TEST(DebugLog, WritesVerbatimAndLogIntAddsBlank) {
    ScopedLogCapture log;
    logText("100% done ");
    logText(nullptr);
    logInt(-7);
    logFormat("mesh %i: verts: %i clones: %i\n", 0, 8, 2);
    EXPECT_EQ(log.text, "100% done -7 mesh 0: verts: 8 clones: 2\n");
}

TEST(DebugLog, SecondOpenTruncates) {
    fs::path dir = fs::temp_directory_path() / "ostrelle_log_test";
    fs::create_directories(dir);
    DebugLog log;
    log.setPath((dir / "debuglog.txt").string());
    log.text("first run\n");
    DebugLog again;
    again.setPath((dir / "debuglog.txt").string());
    again.text("second\n");
    std::ifstream in(dir / "debuglog.txt");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all, "second\n");
    fs::remove_all(dir);
}

TEST(FileOpen, BackslashesAndLetterCaseResolve) {
    fs::path dir = fs::temp_directory_path() / "ostrelle_open_test";
    fs::create_directories(dir / "Models" / "Base");
    std::ofstream(dir / "Models" / "Base" / "Bob.MD5mesh") << "x";
    std::string asked = dir.string() + "\\models\\BASE\\bob.md5mesh";
    EXPECT_EQ(resolvePath(asked), (dir / "Models" / "Base" / "Bob.MD5mesh").string());
    std::string data;
    EXPECT_TRUE(readWholeFile(asked, data));
    EXPECT_EQ(data, "x");
    EXPECT_FALSE(readWholeFile(dir.string() + "/models/none.txt", data));
    fs::remove_all(dir);
}

TEST(Basepath, RewritesAfterFirstBaseWithSeparator) {
    setBasepath("D:\\game\\base\\");
    EXPECT_EQ(rewriteToBasepath("E:\\other\\base\\models\\a.md5mesh"), "D:\\game\\base\\models\\a.md5mesh");
    EXPECT_EQ(rewriteToBasepath("models/a.md5mesh"), "D:\\game\\base\\models/a.md5mesh");
    EXPECT_EQ(rewriteToBasepath("database\\x.tga"), "D:\\game\\base\\x.tga");
    EXPECT_EQ(rewriteToBasepath("BASE/y.tga"), "D:\\game\\base\\y.tga");
    EXPECT_EQ(rewriteToBasepath("Base/y.tga"), "D:\\game\\base\\Base/y.tga");
    setBasepath("");
}

// The accuracy over the whole range: FastInvSqrt.InlineCopyMatchesTheLibraryBitForBit.
TEST(FastMath, ValuesOfTheReference) {
    initInvSqrtTable();
    EXPECT_NEAR(fastInvSqrt(1.0f), 0.99999428f, 1e-7);
    EXPECT_NEAR(fastInvSqrt(4.0f), 0.49999714f, 1e-7);
}

// Texture coordinates on one line make the tangent determinant exactly 0: S and T are parallel
// and their cross product is rounding noise, here of positive sign on x and z. The handedness
// must come from the normal alone, which points into +x, -y, +z: not right-handed.
TEST(FaceFrame, DegenerateTextureCoordinatesTakeHandednessFromTheNormalAlone) {
    const float p0[3] = {0.125f, 1.75f, 1.75f}, p1[3] = {1.625f, 1.375f, 1.625f}, p2[3] = {0.625f, 0.5f, 1.5f};
    const float uv0[2] = {0.25f, 0.625f}, uv1[2] = {0.46875f, 0.6875f}, uv2[2] = {0.796875f, 0.78125f};
    FaceFrame f;
    computeFaceFrame(p0, p1, p2, uv0, uv1, uv2, 1.0f, invSqrtTable(), f);
    ASSERT_TRUE(f.degenerateUv);
    float noise[3];
    crossProduct(f.s, f.t, noise);
    ASSERT_GT(noise[2], 0.0f); // what the sign test used to see
    ASSERT_GT(f.normal[0], 0.001f);
    EXPECT_FALSE(faceFrameRightHanded(f));
}

TEST(Model, JointMatrixAndFindJoint) {
    Model m;
    m.joints.resize(2);
    m.joints[0].name = "root";
    m.joints[1].name = "root";
    float rot[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    std::copy(rot, rot + 9, m.joints[1].rot);
    m.joints[1].pos[0] = 5;
    float out[16] = {42};
    m.getJointMatrix(2, out);
    EXPECT_EQ(out[0], 42);
    m.getJointMatrix(1, out);
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(out[4], -1);
    EXPECT_EQ(out[12], 5);
    EXPECT_EQ(out[15], 1);
    EXPECT_EQ(out[3], 0);
    float moved[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1};
    m.setPlacement(moved);
    m.getJointMatrix(1, out);
    EXPECT_EQ(out[14], 10);
    EXPECT_EQ(m.findJoint("root"), 0);
    EXPECT_EQ(m.findJoint("Root"), -1);
}
