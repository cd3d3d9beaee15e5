// tests/md5_mesh_reader_test.cpp -- the MD5mesh reader on hand-made files held in memory.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace std::string_literals;

#include "base/debug_log.h"
#include "load/load_model.h"
#include "model/md5_mesh_reader.h"
#include "model/model.h"
#include "shadow/analysis_steps.h"
#include "tests/texture_log.h"

namespace {

// One root joint; one triangle whose vertices each take one weight at their own position.
const char* const kOneTriangle =
    "MD5Version 10\nnumJoints 1\nnumMeshes 1\njoints {\n\t\"root\"\t-1 ( 0 0 0 ) ( 0 0 0 )\n}\n"
    "mesh {\n\tshader \"skin\"\n\tnumverts 3\n\tvert 0 ( 0 1 ) 0 1\n\tvert 1 ( 1 1 ) 1 1\n\tvert 2 ( 0 0 ) 2 1\n"
    "\tnumtris 1\n\ttri 0 0 1 2\n\tnumweights 3\n\tweight 0 0 1 ( 0 0 0 )\n\tweight 1 0 1 ( 1 0 0 )\n"
    "\tweight 2 0 1 ( 0 1 0 )\n}\n";

bool read(Model& model, const std::string& text) { return md5::readMeshFromMemory(model, text, "t.md5mesh"); }

void expectVec(const float* v, float x, float y, float z, float tol = 1e-4f) {
    EXPECT_NEAR(v[0], x, tol);
    EXPECT_NEAR(v[1], y, tol);
    EXPECT_NEAR(v[2], z, tol);
}

} // namespace

TEST(Md5Reader, JointLineNamePositionAndCompletedQuaternion) {
    Model model;
    ScopedLogCapture log;
    ASSERT_TRUE(read(model, "MD5Version 10\nnumJoints 2\njoints {\n"
                            "\t\"two words\"\t0 ( 1 2 3 ) ( 0 0 0 )\n"
                            "\"over\" -1 ( 0 0 0 ) ( 0.6 0.6 0.6 ) // x2+y2+z2 > 1\n"
                            "}\n"));
    ASSERT_EQ(model.numJoints(), 2);
    const Joint& j = model.joints[0];
    EXPECT_EQ(j.name, "two words");
    EXPECT_EQ(j.parent, 0);
    expectVec(j.bindPos, 1, 2, 3);
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(j.bindRot[k], k % 4 == 0 ? 1 : 0, 1e-6f); // identity
    for (float r : model.joints[1].bindRot) EXPECT_TRUE(std::isfinite(r)); // qw = 0, not a failure
}

TEST(Md5Reader, BindRotationMatchesTheQuaternionRotation) {
    const float qs[][3] = {{0.5f, -0.5f, 0.5f}, {0.307041f, -0.578614f, 0.354181f}, {0, 0, 0.7071068f}};
    for (const auto& q : qs) {
        const float x = q[0], y = q[1], z = q[2];
        const float w = -std::sqrt(std::max(0.0f, 1 - x * x - y * y - z * z));
        float r[9];
        md5::quaternionToBindRotation(x, y, z, w, r);
        // The textbook matrix of a unit quaternion, column by column.
        const float expected[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),
                                   2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                                   2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y)};
        for (int k = 0; k < 9; ++k) EXPECT_NEAR(r[k], expected[k], 1e-4f) << "element " << k;
    }
}

TEST(Md5Reader, Version6AndVersion10GiveTheSameBindPose) {
    // The same skeleton (joint 1 turned +90 degrees about Z) and weights in both versions.
    const std::string v10 = "MD5Version 10\nnumJoints 2\nnumMeshes 1\njoints {\n"
                            "\"a\" -1 ( 0 0 0 ) ( 0 0 0 )\n"
                            "\"b\" 0 ( 5 0 0 ) ( 0 0 -0.70710678 )\n}\n"
                            "mesh {\n numverts 2\n vert 0 ( 0.25 0.5 ) 0 1\n vert 1 ( 0.5 0.5 ) 1 2\n"
                            " numtris 0\n numweights 3\n weight 0 0 1 ( 1 2 3 )\n"
                            " weight 1 1 0.5 ( 1 0 0 )\n weight 2 0 0.5 ( 0 0 4 )\n}\n";
    const std::string v6 = "MD5Version 6\nnumbones 2\nnummeshes 1\n"
                           "bone 0 {\n name \"a\"\n bindpos 0 0 0\n bindmat 1 0 0 0 1 0 0 0 1\n}\n"
                           "bone 1 {\n name \"b\"\n bindpos 5 0 0\n bindmat 0 1 0 -1 0 0 0 0 1\n parent \"a\"\n}\n"
                           "mesh 0\n numverts 2\n vert 0 0.25 0.5 0 1\n vert 1 0.5 0.5 1 2\n"
                           " numtris 0\n numweights 3\n weight 0 0 1 1 2 3\n"
                           " weight 1 1 0.5 1 0 0\n weight 2 0 0.5 0 0 4\n";
    ScopedLogCapture log;
    Model a, b;
    ASSERT_TRUE(loadMd5MeshFromMemory(a, v10, "a.md5mesh"));
    ASSERT_TRUE(loadMd5MeshFromMemory(b, v6, "b.md5mesh"));
    ASSERT_TRUE(a.numVerts[0] == 2 && b.numVerts[0] == 2);
    for (int i = 0; i < 2; ++i) {
        expectVec(b.verts[0][i].pos, a.verts[0][i].pos[0], a.verts[0][i].pos[1], a.verts[0][i].pos[2]);
        EXPECT_FLOAT_EQ(a.verts[0][i].v, b.verts[0][i].v);
    }
    expectVec(a.verts[0][0].pos, 1, 2, 3);
    expectVec(a.verts[0][1].pos, 2.5f, 0.5f, 2); // 0.5 * ((5,0,0) + R(1,0,0)) + 0.5 * (0,0,4)
    EXPECT_EQ(b.joints[1].parent, 0);
    EXPECT_EQ(b.joints[1].depth, 1);
}

TEST(Md5Reader, FirstLineDecidesTheGrammar) {
    for (const char* first : {"MD5Version 6\n", "MD5Version 11\n"}) {
        Model model;
        ASSERT_TRUE(read(model, std::string(first) + "numMeshes 3\nnummeshes 2\nnumbones 1\nbone 0 {\n}\n"));
        EXPECT_EQ(model.numMeshes(), 2) << first;
        EXPECT_EQ(model.numJoints(), 1) << first;
    }
}

TEST(Md5Reader, Version6BoneParentsAndNumbers) {
    Model model;
    ScopedLogCapture log;
    ASSERT_TRUE(read(model, "MD5Version 6\nnumbones 3\n"
                            "bone 0 {\n name \"root\"\n}\n"
                            "bone 1 {\n name \"arm\"\n parent \"root\"\n}\n"
                            "bone 2 {\n name \"lost\"\n parent \"nobody\"\n}\n"
                            "bone 7 {\n name \"ghost\"\n}\n"));
    EXPECT_EQ(model.joints[0].parent, 0);
    EXPECT_FALSE(model.joints[0].hasParentName);
    EXPECT_EQ(std::make_pair(model.joints[1].parent, model.joints[1].depth), std::make_pair(0, 1));
    EXPECT_EQ(std::make_pair(model.joints[2].parent, model.joints[2].depth), std::make_pair(-1, 0));
    EXPECT_EQ(log.text, "t.md5mesh: bone 7 names no joint, dropped\n");
}

// Files written with CR LF line ends: an unquoted name at the end of its line ends before the CR.
TEST(Md5Reader, UnquotedNamesOfCrLfLinesLoseTheCarriageReturn) {
    Model model;
    ASSERT_TRUE(read(model, "MD5Version 6\r\nnumbones 2\r\nbone 0 {\r\n name root\r\n}\r\n"
                            "bone 1 {\r\n name arm\r\n parent root\r\n}\r\nnummeshes 1\r\n"
                            "mesh 0 {\r\n shader skin\r\n}\r\n"));
    EXPECT_EQ(model.joints[1].parentName, "root");
    EXPECT_EQ(std::make_pair(model.joints[1].parent, model.joints[1].depth), std::make_pair(0, 1));
    EXPECT_EQ(model.materialName[0], "skin");
}

TEST(Md5Reader, RecordsKeepFileOrderAndCountsLimitThem) {
    Model model;
    ScopedLogCapture log;
    ASSERT_TRUE(read(model, "MD5Version 10\nnumJoints 1\nnumMeshes 1\njoints {\n\"r\" -1 ( 0 0 0 ) ( 0 0 0 )\n}\n"
                            "mesh {\n vert 9 ( 9 9 ) 0 0\n numverts 2\n vert 5 ( 0.5 0 ) 0 0\n"
                            " vert 2 ( 0.25 0 ) 0 0\n vert 3 ( 0.75 0 ) 0 0\n numverts 3\n // room for three records\n}\n"
                            "mesh {\n numverts 8\n}\n"));
    ASSERT_EQ(model.numVerts[0], 3); // the later count clears what was read
    for (const Vertex& v : model.verts[0]) EXPECT_EQ(v.u, 0.0f);
    EXPECT_EQ(model.numVerts.size(), 1u); // mesh blocks beyond numMeshes are not read

    Model again;
    ASSERT_TRUE(read(again, "MD5Version 10\nnumMeshes 1\nmesh {\n numverts 2\n vert 5 ( 0.5 0.25 ) 0 0\n"
                            " vert 2 ( 0.75 0 ) 0 0\n vert 3 ( 0.125 0 ) 0 0\n}\n"));
    EXPECT_EQ(again.verts[0][0].u, 0.5f);
    EXPECT_EQ(again.verts[0][0].v, 0.75f);
    EXPECT_EQ(again.verts[0][1].u, 0.75f);
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
    EXPECT_EQ(model.joints[1].parent, -1);
    ASSERT_EQ(model.numTris(0), 1);
    ASSERT_EQ(model.tris[0].size(), 1u);
    EXPECT_EQ(model.tris[0][0].v[1], 1);
    EXPECT_EQ(model.weights[0][1].bias, 0.0f);
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
        EXPECT_EQ(model.numVerts[0], 1);
        EXPECT_EQ(model.numVerts[1], 2); // what came before the count is kept
        EXPECT_EQ(model.verts[1].size(), 2u);
        EXPECT_EQ(model.numTris(1), 0);
        EXPECT_FALSE(model.meshLoaded[0]); // read, but without index lists: not to be drawn
    }
    Model joints;
    EXPECT_FALSE(read(joints, "MD5Version 10\nnumMeshes 1\nnumJoints 2000000000\n"));
    EXPECT_EQ(std::make_pair(joints.numJoints(), joints.numMeshes()), std::make_pair(0, 1));
    Model meshes;
    EXPECT_FALSE(read(meshes, "MD5Version 10\nnumMeshes 100\n"));
    EXPECT_EQ(meshes.numMeshes(), 0);
}

// A NUL byte ends a line's text, not the line; the bytes after it still count against declared counts.
TEST(Md5Reader, NulBytesEndTheTextOfTheirLineOnly) {
    Model model;
    ASSERT_TRUE(read(model, "MD5Version 10\nnumMeshes 1\nmesh {\n numverts 2\n numtris 1"s + '\0' + "\n\0 numweights 5\n"s));
    EXPECT_EQ(model.numVerts[0], 2);
    EXPECT_EQ(model.numTris(0), 1);
    EXPECT_EQ(model.numWeights(0), 0);
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
    ASSERT_EQ(model.indices[0].size(), 3u);
    EXPECT_EQ(model.indices[0][2], 2);

    std::string mirrored = kOneTriangle;
    mirrored.replace(mirrored.find("( 1 1 )"), 7, "( -1 1 )");
    Model m2;
    ASSERT_TRUE(loadMd5MeshFromMemory(m2, mirrored, "m.md5mesh"));
    expectVec(m2.tris[0][0].tangentS, -1, 0, 0);
    expectVec(m2.tris[0][0].tangentT, 0, -1, 0);
    EXPECT_EQ(m2.tris[0][0].rightHanded, 0);

    Model noJoints; // face vectors come from the vertices, not from corner records
    loadMd5MeshFromMemory(noJoints, "MD5Version 10\nnumMeshes 1\nmesh {\nnumverts 3\nnumtris 1\ntri 0 0 1 2\n}\n", "n.md5mesh");
    EXPECT_EQ(noJoints.indices[0].size(), 3u);
}

TEST(Md5Reader, IncidenceListsKeepTheFirst40Corners) {
    std::string text = "MD5Version 10\nnumMeshes 1\nmesh {\nnumverts 3\nnumtris 45\ntri 0 0 2 0\n";
    for (int t = 1; t < 45; ++t) text += t % 2 ? "tri 0 1 0 2\n" : "tri 0 0 1 2\n";
    text += "}\n";
    ScopedLogCapture log;
    Model model;
    ASSERT_TRUE(md5::readMeshFromMemory(model, text, "i.md5mesh"));
    shadow::MeshAnalysis lists;
    shadow::steps::beginAnalysis(model, 0, lists);
    ASSERT_EQ(lists.triRefs.size(0), 40);
    auto ref = [&lists](int v, int r) { return std::make_pair(lists.triRefs.at(v, r).tri, lists.triRefs.at(v, r).corner); };
    EXPECT_EQ(ref(0, 0), std::make_pair(0, 0));
    EXPECT_EQ(ref(0, 1), std::make_pair(0, 2)); // a vertex standing twice in one triangle is listed twice
    EXPECT_EQ(ref(0, 39), std::make_pair(38, 0));
    ASSERT_EQ(lists.triRefs.size(2), 40);
    EXPECT_EQ(ref(2, 0).second, 1);
    EXPECT_EQ(ref(2, 39).first, 39);
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
    EXPECT_EQ(model.verts[0][1].u, 0.75f);
    EXPECT_EQ(model.verts[1][0].u, 0.5f);
    EXPECT_EQ(std::make_pair(model.numTris(0), model.numTris(1)), std::make_pair(0, 1));
    EXPECT_EQ(model.materialName, (std::vector<std::string>{"a", "b"}));
}
