// tests/static_readers_test.cpp -- the OBJ, ASE and LWO2 readers on small files held in memory: what
// real files seldom have (fans, axes, winding and texture maps of real files: the assimp check; the
// crafted broken files: InfoProblems in the command-line tests).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/debug_log.h"
#include "model/model.h"
#include "model/static_readers.h"
#include "tests/static_model_check.h"
#include "tests/texture_log.h"

using namespace std::string_literals;

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

const char* kSquare = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\n";

// One GEOMOBJECT: a triangle 0 1 2 and, with `second`, a triangle 2 1 0 whose texture
// face gives vertex 0 other coordinates.
std::string geomObject(float offset, bool second, int materialRef) {
    const std::string o = std::to_string(offset), faces = second ? "2" : "1";
    return "*GEOMOBJECT {\n\t*MESH {\n\t\t*MESH_NUMVERTEX 3\n\t\t*MESH_NUMFACES " + faces + "\n\t\t*MESH_VERTEX    0\t" + o +
           "\t0.0\t0.0\n\t\t*MESH_VERTEX    1\t1.0\t" + o + "\t0.0\n\t\t*MESH_VERTEX\t2\t0.0\t1.0\t" + o +
           "\n\t\t*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    0\n" +
           (second ? "\t\t*MESH_FACE 1: A: 2 B: 1 C: 0\n" : "") +
           "\t\t*MESH_NUMTVERTEX 3\n\t\t*MESH_TVERT 0\t0.0\t0.0\t0.0\n\t\t*MESH_TVERT 1\t1.0\t0.5\t0.0\n"
           "\t\t*MESH_TVERT 2\t0.25\t0.75\t0.0\n\t\t*MESH_NUMTVFACES " + faces + "\n\t\t*MESH_TFACE 0\t0\t1\t2\n" +
           (second ? "\t\t*MESH_TFACE 1\t2\t1\t1\n" : "") + // vertex 0 now wants texture vertex 1
           "\t}\n\t*MATERIAL_REF " + std::to_string(materialRef) + "\n}\n";
}

const char* kMaterials =
    "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 3\n\t*MATERIAL 0 {\n\t\t*MAP_DIFFUSE {\n\t\t*BITMAP \"gun.bmp\"\n"
    "\t\t*BITMAP_FILTER Pyramidal\n\t\t}\n\t}\n\t*MATERIAL\t1 {\n\t}\n}\n";

// Builds big-endian LWO2 bytes chunk by chunk.
class Lwo {
public:
    Lwo& chunk(const char* id, const std::string& body, int sizeOverride = -1) {
        chunks_ += id;
        u4(chunks_, static_cast<uint32_t>(sizeOverride >= 0 ? size_t(sizeOverride) : body.size()));
        chunks_ += body;
        return *this;
    }
    std::string bytes(const char* type = "LWO2") const {
        std::string out = "FORM";
        u4(out, static_cast<uint32_t>(chunks_.size() + 4));
        return out + type + chunks_;
    }

    static void u2(std::string& s, uint32_t v) { s += {static_cast<char>(v >> 8), static_cast<char>(v)}; }
    static void u4(std::string& s, uint32_t v) { u2(s, v >> 16), u2(s, v & 0xFFFF); }
    static void f4(std::string& s, float f) { uint32_t bits; memcpy(&bits, &f, 4); u4(s, bits); }
    static std::string s0(const std::string& text) { return text + (text.size() % 2 ? "\0"s : "\0\0"s); }
    // Points i = 0..n-1 at (i, 10 + i, 20 + i).
    static std::string points(int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            for (float offset : {0.0f, 10.0f, 20.0f}) f4(s, offset + i);
        return s;
    }
    static std::string faces(const std::vector<std::vector<uint32_t>>& polygons) {
        std::string s = "FACE";
        for (const auto& poly : polygons) {
            u2(s, static_cast<uint32_t>(poly.size()));
            for (uint32_t p : poly) u2(s, p);
        }
        return s;
    }
    static std::string surfaceTags(const std::vector<std::pair<uint32_t, uint32_t>>& entries) {
        std::string s = "SURF";
        for (auto [poly, tag] : entries) u2(s, poly), u2(s, tag);
        return s;
    }

private:
    std::string chunks_;
};

void readLwo(Model& model, const std::string& bytes) { staticmodel::readLwoBytes(model, bytes, "t.lwo"); }

// The point index behind a corner, recovered from its x coordinate.
int pointAt(const Model& model, int mesh, int corner) { return static_cast<int>(model.corners[mesh][corner].pos[0]); }

} // namespace

TEST(ObjReader, ShortFacesNegativeAndOutOfRangeIndices) {
    Model model;
    readObj(model, "v 1 0 0\nv 2 0 0\nv 3 0 0\nvt 0.5 0.25\nf -3/1 -2//7 -1/-1/2\nf 9/1 0/5 -7/-3\nf 2\n");
    ASSERT_EQ(model.numTris(0), 3);
    const auto& c = model.corners[0];
    for (int k = 0; k < 3; ++k) EXPECT_EQ(c[k].pos[0], k + 1) << k;
    EXPECT_EQ(std::make_pair(c[0].u, c[0].v), std::make_pair(0.5f, 0.25f));
    EXPECT_EQ(c[1].u, 0.0f); // p//n has no texture coordinates
    for (int k = 3; k < 6; ++k) EXPECT_TRUE(c[k].pos[0] == 0 && c[k].pos[1] == 0 && c[k].pos[2] == 0) << k;
    EXPECT_EQ(std::make_pair(c[3].u, c[4].u), std::make_pair(0.5f, 0.0f));
    // A short face makes one triangle with its missing corners at the origin.
    EXPECT_EQ(std::make_pair(c[6].pos[0], c[7].pos[0]), std::make_pair(2.0f, 0.0f));
    expectConsistent(model);
}

TEST(ObjReader, OnePositionWithManyTextureCoordinatesWeldsLikeFewer) {
    // Past a handful of vertices per position the welding changes its method; the result must not.
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 0\n";
    for (int i = 0; i < 40; ++i) text += "vt " + std::to_string(i) + " 0\n";
    for (int i = 0; i < 80; ++i) text += "f 1/" + std::to_string(i % 40 + 1) + " 2/1 4/" + std::to_string(i % 40 + 1) + "\n";
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
    EXPECT_EQ(std::make_pair(model.numTris(1), model.numTris(2)), std::make_pair(2, 0));
}

TEST(ObjMaterials, MapOfTheMaterialsOwnBlockIsLookedUp) {
    std::string mtl = "newmtl red\nmap_Kd red.tga\nnewmtl bare\nKd 1 1 1\nnewmtl blue\nmap_Kd \"blue.tga\"\n";
    ScopedLogCapture log;
    Model model;
    int loads = 0;
    readObj(model, std::string(kSquare) + "mtllib lib.mtl\nusemtl red\nf 1 2 3\nusemtl bare\nf 1 2 3\nusemtl blue\nf 1 2 3\n", &mtl, &loads);
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

TEST(AseReader, VertexWithOtherTextureCoordinatesIsCopiedForThatCorner) {
    Model model;
    staticmodel::readAseText(model, geomObject(0, true, 9));
    ASSERT_EQ(model.numMeshes(), 1);
    // Triangle 1 is (2, 1, 0) with texture vertices (2, 1, 1): vertex 0 wants (1, 0.5), is copied as vertex 3.
    EXPECT_EQ(model.numVerts[0], 4);
    const int* v = model.tris[0][1].v;
    EXPECT_EQ(std::vector<int>(v, v + 3), (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(model.verts[0][3].u, 1.0f);
    EXPECT_EQ(model.corners[0][5].u, 1.0f);
}

TEST(AseReader, MaterialRefLooksUpTheBitmapOnlyWhereThereIsOne) {
    ScopedLogCapture log;
    Model model;
    staticmodel::readAseText(model, std::string(kMaterials) + geomObject(0, false, 0) + geomObject(0, false, 1) +
                                        geomObject(0, false, 2) + geomObject(0, false, -1));
    ASSERT_EQ(model.numMeshes(), 4);
    EXPECT_EQ(withoutTextureTries(log.text), "couldn't find texture gun.bmp\n");
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
    EXPECT_EQ(model.corners[0][1].u, 0.0f); // texture vertex 9 does not exist
    EXPECT_EQ(model.tris[0][1].v[1], 0); // the face naming vertex 5 was dropped
    EXPECT_EQ(model.numTris(1), 0);      // its triangle had no vertex to name
}

TEST(LwoReader, PolygonsAreFannedWithReversedWinding) {
    Model model;
    readLwo(model, Lwo().chunk("TAGS", Lwo::s0("skin")).chunk("PNTS", Lwo::points(14))
                       .chunk("POLS", Lwo::faces({{10, 11, 12, 13}, {3}, {4, 5}, {0, 1, 2, 6, 7}})).bytes());
    ASSERT_EQ(model.numMeshes(), 1);
    // Short polygons fill their missing corners with point 0; axes and winding on real files: the assimp check.
    const int expected[] = {11, 10, 12, 12, 10, 13, 0, 3, 0, 5, 4, 0, 1, 0, 2, 2, 0, 6, 6, 0, 7};
    ASSERT_EQ(model.numTris(0), 7);
    for (int c = 0; c < 21; ++c) EXPECT_EQ(pointAt(model, 0, c), expected[c]) << "corner " << c;
    EXPECT_EQ(model.numVerts[0], 12); // one vertex per point used
    expectConsistent(model);
}

TEST(LwoReader, SurfacesMakeMeshesWithTheirOwnCopiesOfSharedPoints) {
    ScopedLogCapture log;
    Model model;
    readLwo(model, Lwo().chunk("TAGS", Lwo::s0("unused") + Lwo::s0("metal") + Lwo::s0("wood")).chunk("PNTS", Lwo::points(4))
                       .chunk("POLS", Lwo::faces({{0, 1, 2}, {1, 2, 3}, {0, 2, 3}, {0, 1, 3}}))
                       .chunk("PTAG", Lwo::surfaceTags({{0, 1}, {1, 9}, {1, 2}, {2, 1}, {7, 2}, {3, 9}})).bytes());
    ASSERT_EQ(model.numMeshes(), 2); // tag 9 is no tag: polygon 3 is left out
    EXPECT_EQ(std::make_pair(model.numTris(0), model.numVerts[0]), std::make_pair(2, 4));
    EXPECT_EQ(std::make_pair(model.numTris(1), model.numVerts[1]), std::make_pair(1, 3)); // points 1, 2 again, its own
    EXPECT_EQ(pointAt(model, 1, 0), 2);
    EXPECT_EQ(withoutTextureTries(log.text), "couldn't find texture metal\ncouldn't find texture wood\n");
}

TEST(LwoReader, ChunkSizesPastTheEndStopTheReadingThere) {
    const std::string pols = Lwo::faces({{0, 1, 2}, {0, 2, 3}});
    auto file = [&pols](int polsSize) {
        return Lwo().chunk("TAGS", Lwo::s0("a")).chunk("PNTS", Lwo::points(4)).chunk("POLS", pols, polsSize).bytes();
    };
    std::string truncated = file(-1);
    truncated.resize(truncated.size() - 3); // the second polygon loses its last index
    std::string shortForm = file(-1);       // the FORM ends inside POLS: its second polygon lies outside
    shortForm[7] = static_cast<char>(shortForm[7] - 3);
    const std::pair<std::string, int> rows[] = {{file(1000), 2}, {truncated, 1}, {shortForm, 1}};
    for (const auto& [bytes, tris] : rows) {
        Model model;
        readLwo(model, bytes);
        ASSERT_EQ(model.numMeshes(), 1);
        EXPECT_EQ(model.numTris(0), tris);
    }
    Model inner; // a TAGS size larger than the file: nothing after it is read
    readLwo(inner, Lwo().chunk("PNTS", Lwo::points(4)).chunk("POLS", pols).chunk("TAGS", Lwo::s0("a"), 0x7FFFFFFF).bytes());
    EXPECT_EQ(inner.numMeshes(), 1);
}

TEST(LwoReader, WrongHeaderIsRefusedWithTheWrongFormatLine) {
    ScopedLogCapture log;
    Model model;
    readLwo(model, "FORM");
    EXPECT_EQ(log.text, "Wrong format of LWO file: t.lwo\n");
    EXPECT_EQ(model.numMeshes(), 0);
    std::string path = std::string(OSTRELLE_TESTDATA_DIR) + "/lwo/misc/lwob_not_lwo2.lwo";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "test data not found: " << path;
    log.text.clear();
    Model real;
    real.readLwo(path.c_str());
    EXPECT_EQ(log.text, "Wrong format of LWO file: " + path + "\n");
    EXPECT_EQ(real.numMeshes(), 0);
}
