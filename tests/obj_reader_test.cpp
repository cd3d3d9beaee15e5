// tests/obj_reader_test.cpp -- OBJ faces, indices, vertex sharing, meshes and MTL material lookup.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/debug_log.h"
#include "model/model.h"
#include "model/static_readers.h"
#include "tests/static_model_check.h"
#include "tests/texture_log.h"

namespace {

// Loads OBJ text whose library, if any, is `mtl` (looked up as "dir/lib.mtl").
void readObj(Model& model, const std::string& text, const std::string* mtl = nullptr, int* libraryLoads = nullptr) {
    staticmodel::readObjText(model, text, "dir/m.obj", [&](const std::string& path, std::string& out) {
        if (libraryLoads) ++*libraryLoads;
        if (!mtl || path != "dir/lib.mtl") return false;
        out = *mtl;
        return true;
    });
}

std::vector<float> cornerPos(const Model& model, int mesh, int corner) {
    const CornerVertex& c = model.corners[mesh][corner];
    return {c.pos[0], c.pos[1], c.pos[2]};
}

const char* kSquare = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\n";

TEST(ObjReader, PolygonsAreFannedFromTheirFirstCorner) {
    Model model;
    readObj(model, std::string(kSquare) + "f 1 2 3 4 5\n");
    ASSERT_EQ(model.numTris(0), 3);
    // (p0, p1, p2), (p0, p2, p3), (p0, p3, p4): position indices show through the positions.
    const float expectedZ[9] = {0, 0, 1, 0, 1, 1, 0, 1, 0}; // model z is the file's y
    for (int c = 0; c < 9; ++c) EXPECT_EQ(model.corners[0][c].pos[2], expectedZ[c]) << "corner " << c;
    EXPECT_EQ(cornerPos(model, 0, 8), (std::vector<float>{0, -1, 0})); // and its z is minus our y
    EXPECT_EQ(model.numJoints(), 0);
    EXPECT_TRUE(model.meshLoaded[0]);
    expectConsistent(model);
}

TEST(ObjReader, ShortFacesMakeOneTriangleWithMissingCornersAtTheOrigin) {
    Model model;
    readObj(model, std::string(kSquare) + "f 2\nf 2 3\n");
    ASSERT_EQ(model.numTris(0), 2);
    EXPECT_EQ(cornerPos(model, 0, 0), (std::vector<float>{1, 0, 0}));
    EXPECT_EQ(cornerPos(model, 0, 1), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(cornerPos(model, 0, 4), (std::vector<float>{1, 0, 1}));
    expectConsistent(model);
}

TEST(ObjReader, IndicesNegativeWithSlashesAndOutOfRange) {
    Model model;
    readObj(model,
            "v 1 0 0\nv 2 0 0\nv 3 0 0\nvt 0.5 0.25\n"
            "f -3/1 -2//7 -1/-1/2\n"
            "f 9/1 0/5 -7/-3\n");
    ASSERT_EQ(model.numTris(0), 2);
    const auto& c = model.corners[0];
    for (int k = 0; k < 3; ++k) EXPECT_EQ(c[k].pos[0], k + 1) << k;
    EXPECT_EQ(c[0].u, 0.5f);
    EXPECT_EQ(c[0].v, 0.25f);
    EXPECT_EQ(c[1].u, 0.0f); // p//n has no texture coordinates
    EXPECT_EQ(c[2].v, 0.25f);
    for (int k = 3; k < 6; ++k) {
        EXPECT_EQ(cornerPos(model, 0, k), (std::vector<float>{0, 0, 0})) << k;
        EXPECT_EQ(c[k].u, k == 3 ? 0.5f : 0.0f) << k;
    }
    expectConsistent(model);
}

TEST(ObjReader, CornersShareVerticesOnlyWithEqualTextureCoordinates) {
    Model model;
    readObj(model, "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 0\nvt 0 0\nvt 1 1\n"
                   "f 1/1 2/1 3/1\nf 1/1 3/1 2/2\nf 4/1 2/1 3/1\n");
    ASSERT_EQ(model.numTris(0), 3);
    // Four made: p1, p2, p3 with vt1, p2 with vt2, and p4 (same position as p1).
    EXPECT_EQ(model.numVerts[0], 5);
    const auto& t = model.tris[0];
    EXPECT_EQ(t[1].v[0], t[0].v[0]);
    EXPECT_NE(t[1].v[2], t[0].v[1]);
    EXPECT_EQ(t[2].v[0], t[0].v[0]); // the first vertex with equal position and coordinates
    expectConsistent(model);
}

TEST(ObjReader, OnePositionWithManyTextureCoordinatesWeldsLikeFewer) {
    // Past a handful of vertices per position the welding changes its method; the result must not.
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 0\n";
    for (int i = 0; i < 40; ++i) text += "vt " + std::to_string(i) + " 0\n";
    for (int round = 0; round < 2; ++round)
        for (int i = 1; i <= 40; ++i) {
            std::string t = std::to_string(i);
            text += "f 1/" + t + " 2/1 4/" + t + "\n";
        }
    text += "f 9/3 1/3 4/3\n"; // out of range: at the origin, like positions 1 and 4
    Model model;
    readObj(model, text);
    ASSERT_EQ(model.numTris(0), 81);
    // Made: position 1 with each of 40 coordinates, position 2 once, position 4 with each of
    // 40 (the same values as position 1, so never named), and the out-of-range corner.
    EXPECT_EQ(model.numVerts[0], 82);
    for (int t = 0; t < 80; ++t) EXPECT_EQ(model.tris[0][t].v[2], model.tris[0][t % 40].v[0]) << t;
    EXPECT_EQ(model.tris[0][80].v[0], model.tris[0][2].v[0]);
    expectConsistent(model);
}

TEST(ObjReader, UsemtlStartsMeshesAndFacesBeforeTheFirstAreKept) {
    Model model;
    readObj(model, std::string(kSquare) + "f 1 2 3\nusemtl a\nf 2 3 4\nusemtl b\nf 3 4 5\nf 1 3 5\n");
    ASSERT_EQ(model.numMeshes(), 3);
    ASSERT_EQ(model.numTris(0), 2);
    EXPECT_EQ(model.corners[0][0].pos[0], 0); // not overwritten by the face after "usemtl a"
    EXPECT_EQ(model.corners[0][3].pos[0], 1);
    EXPECT_EQ(std::make_pair(model.numTris(1), model.numTris(2)), std::make_pair(2, 0));
    expectConsistent(model);

    Model plain; // comment lines hold no faces
    readObj(plain, std::string(kSquare) + "f 1 2 3\nf 2 3 4\n# End of file\n   # list of faces\n");
    EXPECT_EQ(std::make_pair(plain.numMeshes(), plain.numTris(0)), std::make_pair(1, 2));
}

TEST(ObjMaterials, MapOfTheMaterialsOwnBlockIsLookedUp) {
    std::string mtl = "newmtl red\nmap_Kd red.tga\nnewmtl bare\nKd 1 1 1\nnewmtl blue\nmap_Kd \"blue.tga\"\n";
    std::string obj = std::string(kSquare) + "mtllib lib.mtl\nusemtl red\nf 1 2 3\nusemtl bare\nf 1 2 3\nusemtl blue\nf 1 2 3\n";
    ScopedLogCapture log;
    Model model;
    int loads = 0;
    readObj(model, obj, &mtl, &loads);
    ASSERT_EQ(model.numMeshes(), 3);
    // Every lookup fails here and is logged; "bare" has no map and must not borrow blue's.
    EXPECT_EQ(withoutTextureTries(log.text), "couldn't find texture dir/red.tga\ncouldn't find texture dir/blue.tga\n");
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(model.materialName, (std::vector<std::string>{"red", "bare", "blue"})); // with or without a map
}

// Windows line ends leave no carriage return in names; a missing library is logged at every usemtl.
TEST(ObjMaterials, LibraryLookupsAreLogged) {
    const std::string red = "newmtl red\r\nmap_Kd red.tga\r\n";
    const std::string gone = "couldn\xB4t open material library for this obj-file: dir/gone.mtl\n";
    const struct {
        std::string obj;
        const std::string* mtl;
        std::string log;
    } rows[] = {{"mtllib lib.mtl\r\nv 0 0 0\r\nusemtl red\r\nf 1 1 1\r\n", &red, "couldn't find texture dir/red.tga\n"},
                {std::string(kSquare) + "mtllib gone.mtl\nusemtl a\nf 1 2 3\nusemtl b\nf 1 2 3\n", nullptr, gone + gone}};
    for (const auto& row : rows) {
        ScopedLogCapture log;
        Model model;
        readObj(model, row.obj, row.mtl);
        EXPECT_EQ(withoutTextureTries(log.text), row.log);
    }
}

TEST(ObjReader, MissingFileIsLoggedAndGivesNoMeshes) {
    ScopedLogCapture log;
    Model model;
    model.readObj("/nonexistent/ostrelle/none.obj");
    EXPECT_EQ(log.text, "cannot open file: /nonexistent/ostrelle/none.obj\n");
    EXPECT_EQ(model.numMeshes(), 0);
}

TEST(ObjReader, RealFileWithLibraryLoadsThroughTheFileEntry) {
    std::string path = std::string(OSTRELLE_TESTDATA_DIR) + "/obj/rifle/rifle.obj";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "test data not found: " << path;
    ScopedLogCapture log;
    Model model;
    model.readObj(path.c_str());
    ASSERT_EQ(model.numMeshes(), 1);
    EXPECT_GT(model.numTris(0), 0);
    EXPECT_NE(log.text.find("couldn't find texture " + std::string(OSTRELLE_TESTDATA_DIR) + "/obj/rifle/m_rifl.bmp\n"),
              std::string::npos)
        << log.text;
    expectConsistent(model);
}

} // namespace
