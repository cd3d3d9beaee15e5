// tests/load_model_test.cpp -- readmeshfromfile on real files and on small files written here, the
// MD5mesh reader on files held in memory, and the log, path resolution and base-path rewrite
// beneath them (the crafted broken files of the test data: InfoProblems in the command-line tests).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/debug_log.h"
#include "base/basepath.h"
#include "base/file_open.h"
#include "base/gl_capabilities.h"
#include "load/load_model.h"
#include "model/md5_mesh_reader.h"
#include "model/model.h"
#include "tests/texture_log.h"

namespace fs = std::filesystem;

namespace {

std::string md5Dir() { return std::string(OSTRELLE_TESTDATA_DIR) + "/md5"; }

#define SKIP_WITHOUT_TESTDATA() \
    if (!fs::exists(md5Dir())) GTEST_SKIP() << "no test data at " << md5Dir()

// v turned by the textbook quaternion rotation v' = v + w t + q.xyz x t, t = 2 q.xyz x v, from the
// file's own numbers: an independent check of the reader's matrices and of skinning.
std::array<double, 3> rotateByQuaternion(const float q[3], const float v[3]) {
    const double x = q[0], y = q[1], z = q[2], w = -std::sqrt(std::max(0.0, 1 - x * x - y * y - z * z));
    const double tx = 2 * (y * v[2] - z * v[1]), ty = 2 * (z * v[0] - x * v[2]), tz = 2 * (x * v[1] - y * v[0]);
    return {v[0] + w * tx + (y * tz - z * ty), v[1] + w * ty + (z * tx - x * tz), v[2] + w * tz + (x * ty - y * tx)};
}

// One root joint; one triangle whose vertices each take one weight at their own position.
const char* const kOneTriangle =
    "MD5Version 10\nnumJoints 1\nnumMeshes 1\njoints {\n\t\"root\"\t-1 ( 0 0 0 ) ( 0 0 0 )\n}\n"
    "mesh {\n\tshader \"skin\"\n\tnumverts 3\n\tvert 0 ( 0 1 ) 0 1\n\tvert 1 ( 1 1 ) 1 1\n\tvert 2 ( 0 0 ) 2 1\n"
    "\tnumtris 1\n\ttri 0 0 1 2\n\tnumweights 3\n\tweight 0 0 1 ( 0 0 0 )\n\tweight 1 0 1 ( 1 0 0 )\n"
    "\tweight 2 0 1 ( 0 1 0 )\n}\n";

bool read(Model& model, const std::string& text) { return md5::readMeshFromMemory(model, text, "t.md5mesh"); }

void expectVec(const float* v, float x, float y, float z) {
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(v[k], (k == 0 ? x : k == 1 ? y : z), 1e-4f) << k;
}

} // namespace

TEST(LoadModel, BobCountsJointsAndBindPose) {
    SKIP_WITHOUT_TESTDATA();
    ScopedLogCapture log;
    Model model((md5Dir() + "/bob/Bob.md5mesh").c_str(), nullptr);
    ASSERT_EQ(model.numMeshes(), 6);
    ASSERT_EQ(model.numJoints(), 33);
    const int counts[6][3] = {{494, 628, 867}, {110, 177, 220}, {80, 78, 80}, {18, 16, 18}, {38, 22, 38}, {135, 106, 135}};
    for (int m = 0; m < 6; ++m)
        EXPECT_EQ((std::vector<int>{model.numVerts[m], model.numTris(m), model.numWeights(m)}),
                  (std::vector<int>(counts[m], counts[m] + 3))) << m;
    EXPECT_EQ(model.materialName[1], "guard1_face.png");
    // Texture coordinates on one line: S x T is zero and the normal, negative on every axis,
    // alone makes the triangle right-handed.
    EXPECT_EQ(model.tris[0][385].rightHanded, 1);
    EXPECT_EQ(model.findJoint("lamp"), 15);
    EXPECT_EQ(model.joints[15].parent, 13);
    // Vertex 0 of mesh 0 has one weight, weight 0 of the file; its joint's quaternion as written there.
    const Vertex& v = model.verts[0][0];
    ASSERT_EQ(v.weightCount, 1);
    const VertexWeight& w = model.weights[0][0];
    const Joint& j = model.joints[static_cast<size_t>(w.joint)];
    std::ifstream in(md5Dir() + "/bob/Bob.md5mesh");
    std::string line;
    for (int read = 0; read < w.joint + 8 && std::getline(in, line);) ++read; // joint 0 is line 8
    float q[3];
    ASSERT_EQ(sscanf(line.c_str() + line.rfind('('), "( %f %f %f", &q[0], &q[1], &q[2]), 3) << line;
    const std::array<double, 3> rotated = rotateByQuaternion(q, w.pos);
    for (size_t k = 0; k < 3; ++k) EXPECT_NEAR(v.pos[k], j.bindPos[k] + rotated[k], 1e-3) << k;
}

TEST(LoadModel, BoarManEmptyShaderNames) {
    SKIP_WITHOUT_TESTDATA();
    ScopedLogCapture log;
    Model model((md5Dir() + "/boarman/BoarMan.md5mesh").c_str(), nullptr);
    ASSERT_EQ(model.numMeshes(), 14);
    EXPECT_EQ(model.numTris(13), 2812);
    EXPECT_EQ(model.numVerts[0], 0);
    size_t missing = 0;
    for (size_t at = 0; (at = log.text.find("couldn't find texture \n", at)) != std::string::npos; ++at) ++missing;
    EXPECT_EQ(missing, 14u);
}

TEST(LoadModel, LogOfASmallLoadByteForByte) {
    const fs::path dir = fs::temp_directory_path() / ("ostrelle_load_" + std::to_string(::getpid()));
    fs::create_directories(dir / "game/base/models");
    const std::string mesh = "MD5Version 10\nnumJoints 1\nnumMeshes 2\njoints {\n\"root\" -1 ( 0 0 0 ) ( 0 0 0 )\n}\n"
                             "mesh {\n shader \"models/skin\"\n numverts 3\n vert 0 ( 0 0 ) 0 1\n"
                             " vert 1 ( 1 0 ) 1 1\n vert 2 ( 0 1 ) 2 1\n numtris 2\n tri 0 0 1 2\n tri 1 0 1 7\n"
                             " numweights 3\n weight 0 0 1 ( 0 0 0 )\n weight 1 0 1 ( 1 0 0 )\n weight 2 0 1 ( 0 1 0 )\n}\n"
                             "mesh {\n numverts 0\n}\n";
    std::ofstream(dir / "game/base/models/a.md5mesh") << mesh;
    setBasepath((dir / "game/base").string() + "/");
    ScopedLogCapture log;
    Model model("C:\\other\\base\\models\\a.md5mesh", nullptr);
    const std::string found = (dir / "game/base").string() + "/models\\a.md5mesh";
    EXPECT_EQ(withoutTextureTries(log.text), "readmeshfromfile starting, opening file: C:\\other\\base\\models\\a.md5mesh\n"
                        "not found, trying " + found + "\n"
                        "couldn't find texture models/skin\n" +
                        found + ": mesh 0 triangle 1 names vertex 7, dropped\n"
                        "reading mesh details successful, meshnumber 0 \n"
                        "reading mesh details successful, meshnumber 1 \n"
                        "mesh 0: verts: 3 clones: 0\n"
                        "mesh 1: verts: 0 clones: 0\n");
    EXPECT_EQ(model.fileName, found);
    EXPECT_EQ(model.numTris(0), 1);
    setBasepath("");
    fs::remove_all(dir);
}

TEST(LoadModel, MissingFileLeavesTheModelEmpty) {
    setBasepath("/nonexistent/");
    ScopedLogCapture log;
    Model model("nowhere/x.md5mesh", nullptr);
    EXPECT_EQ(log.text, "readmeshfromfile starting, opening file: nowhere/x.md5mesh\n"
                        "not found, trying /nonexistent/nowhere/x.md5mesh\n"
                        "cannot open file\n");
    EXPECT_EQ(model.numMeshes(), 0);
    EXPECT_FALSE(model.hasFileName);
    setBasepath("");
    Model none(nullptr, nullptr);
    EXPECT_EQ(log.text.find("readmeshfromfile", 100), std::string::npos);
}

// The drawing and skinning loops index without checks: the post-processing leaves undrawn a mesh
// whose records name something that does not exist, whoever built it.
TEST(LoadModel, MeshNamingMissingRecordsIsNotDrawn) {
    const struct {
        const char* what;
        int corner, weightStart, joint;
    } cases[] = {{"sound", 2, 0, 0}, {"triangle corner beyond the vertices", 3, 0, 0},
                 {"weight range beyond the weights", 2, 1, 0}, {"weight naming no joint", 2, 0, 1}};
    for (const auto& c : cases) {
        Model model;
        model.joints.resize(1);
        model.joints[0].bindRot[0] = model.joints[0].bindRot[4] = model.joints[0].bindRot[8] = 1;
        ASSERT_TRUE(model.allocateMeshes(1));
        model.verts[0].resize(3);
        model.numVerts[0] = 3;
        model.weights[0].resize(1);
        model.weights[0][0].bias = 1, model.weights[0][0].joint = c.joint;
        for (Vertex& v : model.verts[0]) v.weightStart = c.weightStart, v.weightCount = 1;
        model.tris[0].resize(1);
        model.tris[0][0].v[1] = 1, model.tris[0][0].v[2] = c.corner;
        model.meshLoaded[0] = 1;
        ScopedLogCapture log;
        postProcessModel(model);
        model.updateAllMeshes(GlCapabilities{});
        const bool sound = c.corner == 2 && c.joint == 0 && c.weightStart == 0;
        EXPECT_EQ(model.meshLoaded[0] != 0, sound) << c.what;
        EXPECT_EQ(model.indices[0].size(), sound ? 3u : 0u) << c.what;
        EXPECT_EQ(log.text.find("mesh 0: records out of range, not drawn\n") != std::string::npos, !sound) << c.what;
    }
}

// Backslashes and letter case resolve against the folders on disk; a second log opened on a file truncates it.
TEST(FileOpen, BackslashesAndLetterCaseResolveAndTheLogTruncates) {
    const fs::path dir = fs::temp_directory_path() / "ostrelle_open_test";
    fs::create_directories(dir / "Models" / "Base");
    std::ofstream(dir / "Models" / "Base" / "Bob.MD5mesh") << "x";
    const std::string asked = dir.string() + "\\models\\BASE\\bob.md5mesh";
    EXPECT_EQ(resolvePath(asked), (dir / "Models" / "Base" / "Bob.MD5mesh").string());
    std::string data;
    EXPECT_TRUE(readWholeFile(asked, data) && data == "x");
    EXPECT_FALSE(readWholeFile(dir.string() + "/models/none.txt", data));
    DebugLog first, second;
    first.setPath((dir / "debuglog.txt").string());
    first.text("first run\n");
    second.setPath((dir / "debuglog.txt").string());
    second.text("second\n");
    EXPECT_TRUE(readWholeFile((dir / "debuglog.txt").string(), data) && data == "second\n");
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

TEST(Md5Reader, JointLineNamePositionAndCompletedQuaternion) {
    Model model;
    ScopedLogCapture log;
    ASSERT_TRUE(read(model, "MD5Version 10\nnumJoints 2\njoints {\n\t\"two words\"\t0 ( 1 2 3 ) ( 0 0 0 )\n"
                            "\"over\" -1 ( 0 0 0 ) ( 0.6 0.6 0.6 ) // x2+y2+z2 > 1\n}\n"));
    ASSERT_EQ(model.numJoints(), 2);
    const Joint& j = model.joints[0];
    EXPECT_EQ(std::make_pair(j.name, j.parent), std::make_pair(std::string("two words"), 0));
    expectVec(j.bindPos, 1, 2, 3);
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(j.bindRot[k], k % 4 == 0 ? 1 : 0, 1e-6f); // identity
    for (float r : model.joints[1].bindRot) EXPECT_TRUE(std::isfinite(r)); // qw = 0, not a failure
}

TEST(Md5Reader, Version6AndVersion10GiveTheSameBindPose) {
    // The same skeleton (joint 1 turned +90 degrees about Z) and weights in both versions.
    const std::string v10 = "MD5Version 10\nnumJoints 2\nnumMeshes 1\njoints {\n\"a\" -1 ( 0 0 0 ) ( 0 0 0 )\n"
                            "\"b\" 0 ( 5 0 0 ) ( 0 0 -0.70710678 )\n}\nmesh {\n numverts 2\n vert 0 ( 0.25 0.5 ) 0 1\n"
                            " vert 1 ( 0.5 0.5 ) 1 2\n numtris 0\n numweights 3\n weight 0 0 1 ( 1 2 3 )\n"
                            " weight 1 1 0.5 ( 1 0 0 )\n weight 2 0 0.5 ( 0 0 4 )\n}\n";
    const std::string v6 = "MD5Version 6\nnumbones 2\nnummeshes 1\nbone 0 {\n name \"a\"\n bindpos 0 0 0\n"
                           " bindmat 1 0 0 0 1 0 0 0 1\n}\nbone 1 {\n name \"b\"\n bindpos 5 0 0\n bindmat 0 1 0 -1 0 0 0 0 1\n"
                           " parent \"a\"\n}\nmesh 0\n numverts 2\n vert 0 0.25 0.5 0 1\n vert 1 0.5 0.5 1 2\n numtris 0\n"
                           " numweights 3\n weight 0 0 1 1 2 3\n weight 1 1 0.5 1 0 0\n weight 2 0 0.5 0 0 4\n";
    ScopedLogCapture log;
    Model a, b;
    ASSERT_TRUE(loadMd5MeshFromMemory(a, v10, "a.md5mesh"));
    ASSERT_TRUE(loadMd5MeshFromMemory(b, v6, "b.md5mesh"));
    ASSERT_TRUE(a.numVerts[0] == 2 && b.numVerts[0] == 2);
    for (int i = 0; i < 2; ++i) expectVec(b.verts[0][i].pos, a.verts[0][i].pos[0], a.verts[0][i].pos[1], a.verts[0][i].pos[2]);
    EXPECT_FLOAT_EQ(a.verts[0][1].v, b.verts[0][1].v);
    expectVec(a.verts[0][0].pos, 1, 2, 3);
    expectVec(a.verts[0][1].pos, 2.5f, 0.5f, 2); // 0.5 * ((5,0,0) + R(1,0,0)) + 0.5 * (0,0,4)
}

TEST(Md5Reader, Version6BoneParentsAndNumbers) {
    Model model;
    ScopedLogCapture log;
    ASSERT_TRUE(read(model, "MD5Version 6\nnumbones 3\nbone 0 {\n name \"root\"\n}\nbone 1 {\n name \"arm\"\n parent \"root\"\n}\n"
                            "bone 2 {\n name \"lost\"\n parent \"nobody\"\n}\nbone 7 {\n name \"ghost\"\n}\n"));
    EXPECT_EQ(model.joints[0].parent, 0);
    EXPECT_EQ(std::make_pair(model.joints[1].parent, model.joints[1].depth), std::make_pair(0, 1));
    EXPECT_EQ(std::make_pair(model.joints[2].parent, model.joints[2].depth), std::make_pair(-1, 0));
    EXPECT_EQ(log.text, "t.md5mesh: bone 7 names no joint, dropped\n");
}

TEST(Md5Reader, IndicesOutsideTheirArraysAreDroppedWithOneLineEach) {
    Model model;
    ScopedLogCapture log;
    ASSERT_TRUE(read(model, "MD5Version 10\nnumJoints 2\nnumMeshes 1\njoints {\n"
                            "\"r\" -1 ( 0 0 0 ) ( 0 0 0 )\n\"c\" 9 ( 0 0 0 ) ( 0 0 0 )\n}\n"
                            "mesh {\n numverts 3\n vert 0 ( 0 0 ) 0 1\n vert 1 ( 0 0 ) 1 2\n vert 2 ( 0 0 ) -1 1\n"
                            " numtris 3\n tri 0 0 1 2\n tri 1 0 3 1\n tri 2 2 1 -5\n"
                            " numweights 2\n weight 0 0 1 ( 1 1 1 )\n weight 1 4294967295 1 ( 2 2 2 )\n}\n"));
    EXPECT_EQ(log.text, "t.md5mesh: joint 1 names parent 9, taken as a root\n"
                        "t.md5mesh: mesh 0 weight 1 names joint 2147483647, dropped\n"
                        "t.md5mesh: mesh 0 vertex 1 names 2 weights from 1, dropped\n"
                        "t.md5mesh: mesh 0 vertex 2 names 1 weights from -1, dropped\n"
                        "t.md5mesh: mesh 0 triangle 1 names vertex 3, dropped\n"
                        "t.md5mesh: mesh 0 triangle 2 names vertex -5, dropped\n"
                        "reading mesh details successful, meshnumber 0 \n");
    ASSERT_EQ(model.tris[0].size(), 1u);
    EXPECT_EQ(model.tris[0][0].v[1], 1);
    for (int v = 0; v < 3; ++v) EXPECT_EQ(model.verts[0][v].weightCount, v == 0 ? 1 : 0) << v;
}

TEST(Md5Reader, ImpossibleCountStopsTheLoadSilently) {
    const std::string head = "MD5Version 10\nnumJoints 1\nnumMeshes 2\njoints {\n\"r\" -1 ( 0 0 0 ) ( 0 0 0 )\n}\n"
                             "mesh {\n numverts 1\n vert 0 ( 0 0 ) 0 0\n numweights 0\n}\nmesh {\n numverts 2\n";
    for (const char* count : {"numtris 1000", "numtris -1", "numweights 99999999"}) {
        Model model;
        ScopedLogCapture log;
        EXPECT_FALSE(read(model, head + " " + count + "\n tri 0 0 1 1\n}\n")) << count;
        EXPECT_EQ(log.text, "reading mesh details successful, meshnumber 0 \n") << count;
        EXPECT_EQ(model.verts[1].size(), 2u); // what came before the count is kept
        EXPECT_FALSE(model.meshLoaded[0]); // read, but without index lists: not to be drawn
    }
    Model joints;
    EXPECT_FALSE(read(joints, "MD5Version 10\nnumMeshes 1\nnumJoints 2000000000\n"));
    EXPECT_EQ(std::make_pair(joints.numJoints(), joints.numMeshes()), std::make_pair(0, 1));
    Model meshes;
    EXPECT_FALSE(read(meshes, "MD5Version 10\nnumMeshes 100\n"));
    EXPECT_EQ(meshes.numMeshes(), 0);
}

// A count declared again starts its records afresh; records the file leaves out stay zero, and
// one beyond the count is ignored.
TEST(Md5Reader, RedeclaredCountsAndMissingRecordsLeaveZeroRecords) {
    Model model;
    ScopedLogCapture log;
    ASSERT_TRUE(read(model, "MD5Version 10\nnumJoints 1\nnumMeshes 1\njoints {\n\"r\" -1 ( 0 0 0 ) ( 0 0 0 )\n}\n"
                            "mesh {\n numverts 2\n vert 0 ( 0.5 0.5 ) 0 1\n vert 1 ( 0.5 0.5 ) 0 1\n"
                            " numverts 3\n vert 0 ( 0.25 0 ) 0 1\n numweights 2\n weight 0 0 1 ( 1 2 3 )\n"
                            " weight 1 0 1 ( 4 5 6 )\n weight 2 0 1 ( 7 8 9 )\n numtris 1\n tri 0 0 0 0\n}\n"));
    ASSERT_EQ(model.verts[0].size(), 3u);
    EXPECT_EQ(model.verts[0][0].u, 0.25f);
    for (size_t v = 1; v < 3; ++v) EXPECT_EQ(model.verts[0][v].weightCount, 0) << v;
    ASSERT_EQ(model.weights[0].size(), 2u);
    EXPECT_EQ(model.weights[0][1].pos[0], 4.0f);
}

TEST(Md5Reader, ALineEndsAtItsFirstNulByte) {
    std::string text = kOneTriangle;
    const std::string vert1 = "\tvert 1 ( 1 1 ) 1 1\n";
    text.replace(text.find(vert1), vert1.size(), std::string("\tvert 1 ( 1 1 )\0 1 1\n", 21));
    Model model;
    ScopedLogCapture log;
    ASSERT_TRUE(read(model, text));
    EXPECT_EQ(model.verts[0][1].weightCount, 0); // its weight numbers stand after the NUL byte
    EXPECT_EQ(model.verts[0][2].weightCount, 1);
}

TEST(Md5Reader, FaceVectorsAndHandedness) {
    ScopedLogCapture log;
    Model model;
    ASSERT_TRUE(loadMd5MeshFromMemory(model, kOneTriangle, "t.md5mesh"));
    const Triangle& t = model.tris[0][0];
    expectVec(t.normal, 0, 0, -1);
    expectVec(t.tangentS, 1, 0, 0);
    expectVec(t.tangentT, 0, -1, 0);
    EXPECT_EQ(t.rightHanded, 1);
    std::string mirrored = kOneTriangle;
    mirrored.replace(mirrored.find("( 1 1 )"), 7, "( -1 1 )");
    Model m2;
    ASSERT_TRUE(loadMd5MeshFromMemory(m2, mirrored, "m.md5mesh"));
    expectVec(m2.tris[0][0].tangentS, -1, 0, 0);
    EXPECT_EQ(m2.tris[0][0].rightHanded, 0);
}

TEST(Md5Reader, Version6MeshLinesInterleavedKeepPerMeshOrderAndLogOrder) {
    // Mesh 1's lines surround mesh 0's; each mesh applies only its own and logs in mesh order.
    Model model;
    ScopedLogCapture log;
    ASSERT_TRUE(read(model, "MD5Version 6\nnummeshes 2\n"
                            "mesh 1\n shader \"b\"\n numverts 1\n vert 0 0.5 0 0 0\n"
                            "mesh 0\n shader \"a\"\n numverts 2\n vert 0 0.25 0 0 0\n vert 1 0.75 0 0 0\n"
                            "mesh 1\n numtris 1\n tri 0 0 0 0\n"));
    EXPECT_EQ(withoutTextureTries(log.text), "couldn't find texture a\nreading mesh details successful, meshnumber 0 \n"
                        "couldn't find texture b\nreading mesh details successful, meshnumber 1 \n");
    ASSERT_TRUE(model.numVerts[0] == 2 && model.numVerts[1] == 1);
    EXPECT_EQ(model.verts[1][0].u, 0.5f);
    EXPECT_EQ(std::make_pair(model.numTris(0), model.numTris(1)), std::make_pair(0, 1));
}
