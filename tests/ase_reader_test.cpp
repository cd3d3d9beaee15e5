// tests/ase_reader_test.cpp -- ASE meshes, texture faces, materials and damaged numbers.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/debug_log.h"
#include "model/model.h"
#include "model/static_readers.h"
#include "tests/texture_log.h"

namespace {

// One GEOMOBJECT: a triangle 0 1 2 and, with `second`, a triangle 2 1 0 whose texture
// face gives vertex 0 other coordinates.
std::string geomObject(float offset, bool second, int materialRef) {
    std::string o = std::to_string(offset);
    std::string s = "*GEOMOBJECT {\n\t*MESH {\n\t\t*MESH_NUMVERTEX 3\n";
    s += std::string("\t\t*MESH_NUMFACES ") + (second ? "2" : "1") + "\n";
    s += "\t\t*MESH_VERTEX    0\t" + o + "\t0.0\t0.0\n";
    s += "\t\t*MESH_VERTEX    1\t1.0\t" + o + "\t0.0\n";
    s += "\t\t*MESH_VERTEX\t2\t0.0\t1.0\t" + o + "\n";
    s += "\t\t*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    0\n";
    if (second) s += "\t\t*MESH_FACE 1: A: 2 B: 1 C: 0\n";
    s += "\t\t*MESH_NUMTVERTEX 3\n\t\t*MESH_TVERT 0\t0.0\t0.0\t0.0\n\t\t*MESH_TVERT 1\t1.0\t0.5\t0.0\n"
         "\t\t*MESH_TVERT 2\t0.25\t0.75\t0.0\n";
    s += std::string("\t\t*MESH_NUMTVFACES ") + (second ? "2" : "1") + "\n\t\t*MESH_TFACE 0\t0\t1\t2\n";
    if (second) s += "\t\t*MESH_TFACE 1\t2\t1\t1\n"; // vertex 0 now wants texture vertex 1
    s += "\t}\n\t*MATERIAL_REF " + std::to_string(materialRef) + "\n}\n";
    return s;
}

const char* kMaterials =
    "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 3\n\t*MATERIAL 0 {\n\t\t*MAP_DIFFUSE {\n\t\t*BITMAP \"gun.bmp\"\n"
    "\t\t*BITMAP_FILTER Pyramidal\n\t\t}\n\t}\n\t*MATERIAL\t1 {\n\t}\n}\n";

TEST(AseReader, EachGeomObjectIsAMeshWithItsOwnNumbering) {
    Model model;
    staticmodel::readAseText(model, std::string(kMaterials) + geomObject(5, false, 1) + geomObject(7, true, 1));
    ASSERT_EQ(model.numMeshes(), 2);
    EXPECT_EQ(model.numJoints(), 0);
    EXPECT_EQ(std::make_pair(model.numTris(0), model.numTris(1)), std::make_pair(1, 2));
    EXPECT_TRUE(model.meshLoaded[0] && model.meshLoaded[1]);
    // Positions as read, no axis change; texture coordinates as read, no flip.
    EXPECT_EQ(model.corners[0][0].pos[0], 5);
    EXPECT_EQ(model.corners[1][2].pos[2], 7);
    EXPECT_EQ(model.corners[0][1].u, 1.0f);
    EXPECT_EQ(model.corners[0][1].v, 0.5f);
    EXPECT_EQ(model.corners[0][2].v, 0.75f);
}

TEST(AseReader, VertexWithOtherTextureCoordinatesIsCopiedForThatCorner) {
    Model model;
    staticmodel::readAseText(model, geomObject(0, true, 9));
    ASSERT_EQ(model.numMeshes(), 1);
    // Triangle 1 is (2, 1, 0) with texture vertices (2, 1, 1): vertex 0 wants (1, 0.5), is copied as vertex 3.
    EXPECT_EQ(model.numVerts[0], 4);
    const int* v = model.tris[0][1].v;
    EXPECT_EQ(std::vector<int>(v, v + 3), (std::vector<int>{2, 1, 3}));
    const Vertex& copy = model.verts[0][3];
    EXPECT_EQ(copy.pos[0], model.verts[0][0].pos[0]);
    EXPECT_EQ(copy.u, 1.0f);
    EXPECT_EQ(model.corners[0][5].u, 1.0f);
    EXPECT_EQ(model.corners[0][5].pos[0], 0.0f);
}

TEST(AseReader, MaterialRefLooksUpTheBitmapOnlyWhereThereIsOne) {
    ScopedLogCapture log;
    Model model;
    staticmodel::readAseText(model, std::string(kMaterials) + geomObject(0, false, 0) + geomObject(0, false, 1) +
                                        geomObject(0, false, 2) + geomObject(0, false, -1));
    ASSERT_EQ(model.numMeshes(), 4);
    EXPECT_EQ(withoutTextureTries(log.text), "couldn't find texture gun.bmp\n");
}

TEST(AseReader, TextureFacesNeedTheirCountAndAcceptTheShortName) {
    for (const auto& [name, u] : {std::make_pair("*MESH_NUMTFACES", 1.0f), std::make_pair("*MESH_NUMTVFACE_", 0.0f)}) {
        std::string text = geomObject(0, false, 0);
        text.replace(text.find("*MESH_NUMTVFACES"), 16, name);
        Model model;
        staticmodel::readAseText(model, text);
        EXPECT_EQ(model.corners[0][1].u, u) << name;
    }
}

TEST(AseReader, NumbersOutsideTheirCountsAreIgnored) {
    std::string text =
        "*GEOMOBJECT {\n*MESH_NUMVERTEX 2\n*MESH_NUMFACES 2\n"
        "*MESH_VERTEX 0 1 2 3\n*MESH_VERTEX 1 4 5 6\n*MESH_VERTEX 2 7 8 9\n*MESH_VERTEX -1 7 8 9\n"
        "*MESH_FACE 0: A: 0 B: 1 C: 1\n*MESH_FACE 1: A: 0 B: 5 C: 1\n*MESH_FACE 7: A: 0 B: 1 C: 0\n"
        "*MESH_NUMTVERTEX 1\n*MESH_TVERT 0 0.5 0.5 0\n*MESH_TVERT 3 0.1 0.1 0\n"
        "*MESH_NUMTVFACES 1\n*MESH_TFACE 0 0 9 -4\n*MESH_TFACE 1 0 0 0\n"
        "*MESH_NUMVERTEX 99999999\n*MESH_NUMFACES 2147483647\n}\n"
        "*GEOMOBJECT {\n*MESH_NUMFACES 1\n}\n";
    Model model;
    staticmodel::readAseText(model, text);
    ASSERT_EQ(model.numMeshes(), 2);
    ASSERT_EQ(model.numVerts[0], 2); // the hostile counts later in the block are refused
    ASSERT_EQ(model.numTris(0), 2);
    EXPECT_EQ(model.corners[0][1].pos[0], 4);
    EXPECT_EQ(model.corners[0][0].u, 0.5f);
    EXPECT_EQ(model.corners[0][1].u, 0.0f);
    EXPECT_EQ(model.tris[0][1].v[1], 0); // the face naming vertex 5 was dropped
    EXPECT_EQ(model.numTris(1), 0);      // its triangle had no vertex to name
}

TEST(AseReader, DamagedRealFileLoadsSafely) {
    std::string path = std::string(OSTRELLE_TESTDATA_DIR) + "/ase/invalid/InvalidUVIndex.ase";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "test data not found: " << path;
    Model model;
    model.readAse(path.c_str());
    ASSERT_EQ(model.numMeshes(), 1);
    ASSERT_EQ(model.numTris(0), 1);
    EXPECT_EQ(model.corners[0][1].pos[0], 1.0f);
    EXPECT_EQ(model.corners[0][1].u, 0.0f);
}

} // namespace
