// tests/load_model_test.cpp -- readmeshfromfile on real files and on small files written here.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/debug_log.h"
#include "base/basepath.h"
#include "base/gl_capabilities.h"
#include "load/load_model.h"
#include "model/model.h"
#include "tests/texture_log.h"

namespace fs = std::filesystem;

namespace {

std::string md5Dir() { return std::string(OSTRELLE_TESTDATA_DIR) + "/md5"; }

#define SKIP_WITHOUT_TESTDATA() \
    if (!fs::exists(md5Dir())) GTEST_SKIP() << "no test data at " << md5Dir()

// A scratch folder that disappears with the test.
struct ScratchDir {
    ScratchDir() {
        path = fs::temp_directory_path() / ("ostrelle_load_" + std::to_string(::getpid()));
        fs::create_directories(path);
    }
    ~ScratchDir() { fs::remove_all(path); }
    std::string write(const std::string& name, const std::string& text) const {
        fs::create_directories((path / name).parent_path());
        std::ofstream(path / name, std::ios::binary) << text;
        return (path / name).string();
    }
    fs::path path;
};

// Bind-pose position of a vertex by the textbook quaternion rotation v' = q v q*, from the
// file's own numbers: an independent check of the reader's matrices and of skinning.
void rotateByQuaternion(const float q3[3], const float v[3], float out[3]) {
    const double x = q3[0], y = q3[1], z = q3[2];
    const double w = -std::sqrt(std::max(0.0, 1 - x * x - y * y - z * z));
    // t = 2 q.xyz x v; v' = v + w t + q.xyz x t
    const double tx = 2 * (y * v[2] - z * v[1]), ty = 2 * (z * v[0] - x * v[2]), tz = 2 * (x * v[1] - y * v[0]);
    out[0] = static_cast<float>(v[0] + w * tx + (y * tz - z * ty));
    out[1] = static_cast<float>(v[1] + w * ty + (z * tx - x * tz));
    out[2] = static_cast<float>(v[2] + w * tz + (x * ty - y * tx));
}

} // namespace

TEST(LoadModel, BobCountsJointsAndBindPose) {
    SKIP_WITHOUT_TESTDATA();
    ScopedLogCapture log;
    Model model((md5Dir() + "/bob/Bob.md5mesh").c_str(), nullptr);
    ASSERT_EQ(model.numMeshes(), 6);
    ASSERT_EQ(model.numJoints(), 33);
    const int counts[6][3] = {{494, 628, 867}, {110, 177, 220}, {80, 78, 80},
                              {18, 16, 18},    {38, 22, 38},    {135, 106, 135}};
    for (int m = 0; m < 6; ++m) {
        EXPECT_EQ(model.numVerts[m], counts[m][0]) << m;
        EXPECT_EQ(model.numTris(m), counts[m][1]) << m;
        EXPECT_EQ(model.numWeights(m), counts[m][2]) << m;
    }
    EXPECT_EQ(model.materialName[1], "guard1_face.png");
    // Texture coordinates on one line: S x T is zero and the normal, negative on every axis,
    // alone makes the triangle right-handed.
    EXPECT_EQ(model.tris[0][385].rightHanded, 1);
    EXPECT_EQ(model.findJoint("lamp"), 15);
    EXPECT_EQ(model.joints[15].parent, 13);
    EXPECT_NEAR(model.joints[15].bindPos[0], -39.749374f, 1e-5f);
    // Vertex 0 of mesh 0 has one weight: weight 0 of the file.
    const Vertex& v = model.verts[0][0];
    ASSERT_EQ(v.weightCount, 1);
    const VertexWeight& w = model.weights[0][0];
    const Joint& j = model.joints[static_cast<size_t>(w.joint)];
    // Quaternion of that joint as written in the file, for the independent rotation.
    std::ifstream in(md5Dir() + "/bob/Bob.md5mesh");
    std::string line;
    for (int read = 0; read < w.joint + 8 && std::getline(in, line);) ++read; // joint 0 is line 8
    const size_t open2 = line.rfind('(');
    float q[3];
    ASSERT_EQ(sscanf(line.c_str() + open2, "( %f %f %f", &q[0], &q[1], &q[2]), 3) << line;
    float rotated[3];
    rotateByQuaternion(q, w.pos, rotated);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(v.pos[k], j.bindPos[k] + rotated[k], 1e-3f) << k;
}

TEST(LoadModel, BoarManEmptyShaderNames) {
    SKIP_WITHOUT_TESTDATA();
    ScopedLogCapture log;
    Model model((md5Dir() + "/boarman/BoarMan.md5mesh").c_str(), nullptr);
    ASSERT_EQ(model.numMeshes(), 14);
    EXPECT_EQ(model.numJoints(), 1);
    EXPECT_EQ(model.numVerts[13], 1552);
    EXPECT_EQ(model.numTris(13), 2812);
    EXPECT_EQ(model.numWeights(13), 1552);
    EXPECT_EQ(model.numVerts[0], 0);
    size_t missing = 0;
    for (size_t at = 0; (at = log.text.find("couldn't find texture \n", at)) != std::string::npos; ++at) ++missing;
    EXPECT_EQ(missing, 14u);
}

TEST(LoadModel, InvalidFilesLoadSafely) {
    SKIP_WITHOUT_TESTDATA();
    for (const char* name : {"InvalidBoneIndex", "OverflowingTriangleIndex", "OverflowingVertexIndex",
                             "OverflowingWeightIndex"}) {
        ScopedLogCapture log;
        const std::string path = md5Dir() + "/invalid/" + name + ".md5mesh";
        Model model(path.c_str(), nullptr);
        ASSERT_EQ(model.numMeshes(), 1) << name;
        EXPECT_EQ(model.indices[0].size(), 3u * static_cast<size_t>(model.numTris(0))) << name;
        if (std::string(name) == "InvalidBoneIndex") {
            EXPECT_NE(log.text.find(path + ": mesh 0 weight 2 names joint 999, dropped\n"), std::string::npos);
            for (const VertexWeight& w : model.weights[0]) EXPECT_EQ(w.bias, 0.0f);
        }
    }
}

TEST(LoadModel, LogOfASmallLoadByteForByte) {
    ScratchDir dir;
    const std::string mesh = "MD5Version 10\nnumJoints 1\nnumMeshes 2\njoints {\n\"root\" -1 ( 0 0 0 ) ( 0 0 0 )\n}\n"
                             "mesh {\n shader \"models/skin\"\n numverts 3\n vert 0 ( 0 0 ) 0 1\n"
                             " vert 1 ( 1 0 ) 1 1\n vert 2 ( 0 1 ) 2 1\n numtris 2\n tri 0 0 1 2\n tri 1 0 1 7\n"
                             " numweights 3\n weight 0 0 1 ( 0 0 0 )\n weight 1 0 1 ( 1 0 0 )\n weight 2 0 1 ( 0 1 0 )\n}\n"
                             "mesh {\n numverts 0\n}\n";
    dir.write("game/base/models/a.md5mesh", mesh);
    setBasepath((dir.path / "game/base").string() + "/");
    ScopedLogCapture log;
    Model model("C:\\other\\base\\models\\a.md5mesh", nullptr);
    const std::string found = (dir.path / "game/base").string() + "/models\\a.md5mesh";
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

TEST(LoadModel, ExtensionPicksTheReaderIgnoringCase) {
    // Static formats keep the name passed in; the others try the base path.
    const std::pair<const char*, bool> cases[] = {{"/nonexistent/a.LWO", true},     {"/nonexistent/b.Obj", true},
                                                  {"/nonexistent/c.ase", true},     {"/nonexistent/a.md5mesh", false},
                                                  {"/nonexistent/b.txt", false},    {"/nonexistent/noext", false},
                                                  {"obj", false}};
    for (const auto& [name, isStatic] : cases) {
        ScopedLogCapture log;
        Model model(name, nullptr);
        EXPECT_EQ(log.text.find("not found, trying ") == std::string::npos, isStatic) << name;
        if (isStatic) {
            EXPECT_EQ(model.fileName, name);
        }
    }
}

TEST(LoadModel, ReleaseThenLoadEqualsAFreshLoad) {
    SKIP_WITHOUT_TESTDATA();
    ScopedLogCapture log;
    Model reused((md5Dir() + "/bob/Bob.md5mesh").c_str(), nullptr);
    reused.release();
    reused.readmeshfromfile((md5Dir() + "/simplecube/SimpleCube.md5mesh").c_str(), nullptr);
    Model fresh((md5Dir() + "/simplecube/SimpleCube.md5mesh").c_str(), nullptr);
    ASSERT_EQ(reused.numMeshes(), fresh.numMeshes());
    EXPECT_EQ(reused.numJoints(), fresh.numJoints());
    EXPECT_EQ(reused.indices[0], fresh.indices[0]);
    EXPECT_EQ(reused.materialName[0], fresh.materialName[0]);
    ASSERT_EQ(fresh.numVerts[0], 24); // counts and one corner: InfoCommand
    for (int i = 0; i < fresh.numVerts[0]; ++i)
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(reused.verts[0][i].pos[k], fresh.verts[0][i].pos[k]);
            EXPECT_NEAR(std::fabs(fresh.verts[0][i].pos[k]), 32.0f, 0.01f); // 64-unit cube, two weights a corner
        }
}

// The drawing and skinning loops index without checks: a mesh whose records name something
// that does not exist must be left undrawn by the post-processing, whoever built it.
TEST(LoadModel, MeshNamingMissingRecordsIsNotDrawn) {
    struct Case {
        const char* what;
        int corner, weightStart, weightCount, joint;
    };
    const Case cases[] = {{"sound", 2, 0, 1, 0},
                          {"triangle corner beyond the vertices", 3, 0, 1, 0},
                          {"weight range beyond the weights", 2, 1, 1, 0},
                          {"weight naming no joint", 2, 0, 1, 1}};
    for (const Case& c : cases) {
        Model model;
        model.joints.resize(1);
        model.joints[0].bindRot[0] = model.joints[0].bindRot[4] = model.joints[0].bindRot[8] = 1;
        ASSERT_TRUE(model.allocateMeshes(1));
        model.verts[0].resize(3);
        model.numVerts[0] = 3;
        model.weights[0].resize(1);
        model.weights[0][0].bias = 1;
        model.weights[0][0].joint = c.joint;
        for (Vertex& v : model.verts[0]) {
            v.weightStart = c.weightStart;
            v.weightCount = c.weightCount;
        }
        model.tris[0].resize(1);
        model.tris[0][0].v[1] = 1;
        model.tris[0][0].v[2] = c.corner;
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
