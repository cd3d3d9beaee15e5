// tests/lwo_reader_test.cpp -- LWO2 chunks, polygon fans, surfaces, texture maps and damaged sizes.
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

// Builds big-endian LWO2 bytes chunk by chunk.
class Lwo {
public:
    Lwo& chunk(const char* id, const std::string& body, int sizeOverride = -1) {
        chunks_ += id;
        u4(chunks_, sizeOverride >= 0 ? static_cast<uint32_t>(sizeOverride) : static_cast<uint32_t>(body.size()));
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
    static void f4(std::string& s, float f) {
        uint32_t bits;
        memcpy(&bits, &f, 4);
        u4(s, bits);
    }
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

void read(Model& model, const std::string& bytes) { staticmodel::readLwoBytes(model, bytes, "t.lwo"); }

// The point index behind a corner, recovered from its x coordinate.
int pointAt(const Model& model, int mesh, int corner) { return static_cast<int>(model.corners[mesh][corner].pos[0]); }

TEST(LwoReader, PolygonsAreFannedWithReversedWindingAndAxesSwapped) {
    Model model;
    read(model, Lwo().chunk("TAGS", Lwo::s0("skin"))
                    .chunk("PNTS", Lwo::points(14))
                    .chunk("POLS", Lwo::faces({{10, 11, 12, 13}, {3}, {4, 5}, {0, 1, 2, 6, 7}}))
                    .bytes());
    ASSERT_EQ(model.numMeshes(), 1);
    EXPECT_EQ(model.numJoints(), 0);
    const int expected[] = {11, 10, 12, 12, 10, 13, 0, 3, 0, 5, 4, 0, 1, 0, 2, 2, 0, 6, 6, 0, 7};
    ASSERT_EQ(model.numTris(0), 7);
    for (int c = 0; c < 21; ++c) EXPECT_EQ(pointAt(model, 0, c), expected[c]) << "corner " << c;
    // (x, y, z) of the file is (x, z, y) here.
    EXPECT_EQ(model.corners[0][0].pos[1], 31.0f);
    EXPECT_EQ(model.corners[0][0].pos[2], 21.0f);
    EXPECT_EQ(model.numVerts[0], 12); // one vertex per point used
    expectConsistent(model);
}

TEST(LwoReader, VariableLengthIndicesHaveTwoForms) {
    std::string pols = "FACE";
    Lwo::u2(pols, 3);
    pols += std::string("\xFF\x00\x01\x00", 4); // 24-bit form: 256
    Lwo::u2(pols, 256);                          // 16-bit form: 256
    Lwo::u2(pols, 257);
    Model model;
    read(model, Lwo().chunk("TAGS", Lwo::s0("a")).chunk("PNTS", Lwo::points(258)).chunk("POLS", pols).bytes());
    ASSERT_EQ(model.numTris(0), 1);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(pointAt(model, 0, c), c < 2 ? 256 : 257) << c;
}

TEST(LwoReader, SurfacesMakeMeshesWithTheirOwnCopiesOfSharedPoints) {
    ScopedLogCapture log;
    Model model;
    read(model, Lwo().chunk("TAGS", Lwo::s0("unused") + Lwo::s0("metal") + Lwo::s0("wood"))
                    .chunk("PNTS", Lwo::points(4))
                    .chunk("POLS", Lwo::faces({{0, 1, 2}, {1, 2, 3}, {0, 2, 3}, {0, 1, 3}}))
                    .chunk("PTAG", Lwo::surfaceTags({{0, 1}, {1, 9}, {1, 2}, {2, 1}, {7, 2}, {3, 9}}))
                    .bytes());
    ASSERT_EQ(model.numMeshes(), 2); // tag 9 is no tag: polygon 3 is left out
    EXPECT_EQ(std::make_pair(model.numTris(0), model.numVerts[0]), std::make_pair(2, 4));
    EXPECT_EQ(std::make_pair(model.numTris(1), model.numVerts[1]), std::make_pair(1, 3)); // points 1, 2 again, its own
    EXPECT_EQ(pointAt(model, 1, 0), 2);
    EXPECT_EQ(withoutTextureTries(log.text), "couldn't find texture metal\ncouldn't find texture wood\n");
    EXPECT_TRUE(model.meshLoaded[0]);
}

TEST(LwoReader, PolygonTextureCoordinatesSplitPointsAndFillMissingOnes) {
    // One "TXUV" map entry: its indices (point, or point and polygon) and coordinates.
    auto entry = [](std::string& map, std::initializer_list<uint32_t> indices, float u, float v) {
        if (map.empty()) map = "TXUV\0\x02"s + Lwo::s0("uv");
        for (uint32_t i : indices) Lwo::u2(map, i);
        Lwo::f4(map, u);
        Lwo::f4(map, v);
    };
    std::string vmap, vmad;
    for (uint32_t p : {0u, 1u, 2u}) entry(vmap, {p}, 0.1f * (p + 1), 0.5f);
    entry(vmap, {40}, 1, 1);            // no such point
    entry(vmad, {0, 1}, 0.9f, 0.9f);    // point 0 differs in polygon 1
    entry(vmad, {3, 1}, 0.7f, 0.6f);    // point 3 has no VMAP entry: it takes these
    entry(vmad, {3, 5}, 0.2f, 0.2f);    // no such polygon
    Model model;
    read(model, Lwo().chunk("TAGS", Lwo::s0("a"))
                    .chunk("PNTS", Lwo::points(4))
                    .chunk("VMAP", vmap)
                    .chunk("POLS", Lwo::faces({{0, 1, 2}, {0, 2, 3}}))
                    .chunk("VMAD", vmad)
                    .bytes());
    ASSERT_EQ(model.numTris(0), 2);
    // Polygon 1 is (2, 0, 3) after the reversal; its point 0 corner has the VMAD values.
    EXPECT_EQ(model.corners[0][4].u, 0.9f);
    EXPECT_EQ(model.corners[0][1].u, 0.1f); // polygon 0 keeps point 0's own
    EXPECT_EQ(model.corners[0][5].u, 0.7f);
    EXPECT_EQ(model.numVerts[0], 5);      // four points and the split of point 0
    expectConsistent(model);
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
        read(model, bytes);
        ASSERT_EQ(model.numMeshes(), 1);
        EXPECT_EQ(model.numTris(0), tris);
    }
    Model inner; // a TAGS size larger than the file: nothing after it is read
    read(inner, Lwo().chunk("PNTS", Lwo::points(4)).chunk("POLS", pols).chunk("TAGS", Lwo::s0("a"), 0x7FFFFFFF).bytes());
    EXPECT_EQ(inner.numMeshes(), 1);
}

TEST(LwoReader, IndicesOutsideTheArraysAreIgnored) {
    Model model;
    read(model, Lwo().chunk("TAGS", Lwo::s0("a"))
                    .chunk("PNTS", Lwo::points(3))
                    .chunk("POLS", Lwo::faces({{0, 1, 9}, {0, 1, 2}, {1}}))
                    .chunk("PNTS", Lwo::points(2)) // a later, smaller point list
                    .bytes());
    ASSERT_EQ(model.numMeshes(), 1);
    EXPECT_EQ(model.numTris(0), 1); // only (0, p0=1, 0) still names existing points
    expectConsistent(model);

    Model none;
    read(none, Lwo().chunk("PNTS", Lwo::points(3)).chunk("POLS", Lwo::faces({{0, 1, 2}})).bytes());
    EXPECT_EQ(none.numMeshes(), 0); // no TAGS, no meshes
}

TEST(LwoReader, WrongHeaderIsRefusedWithTheWrongFormatLine) {
    ScopedLogCapture log;
    Model model;
    read(model, Lwo().chunk("TAGS", Lwo::s0("a")).bytes("LWOB"));
    read(model, "FORM");
    EXPECT_EQ(log.text, "Wrong format of LWO file: t.lwo\nWrong format of LWO file: t.lwo\n");
    EXPECT_EQ(model.numMeshes(), 0);

    std::string path = std::string(OSTRELLE_TESTDATA_DIR) + "/lwo/misc/lwob_not_lwo2.lwo";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "test data not found: " << path;
    log.text.clear();
    Model real;
    real.readLwo(path.c_str());
    EXPECT_EQ(log.text, "Wrong format of LWO file: " + path + "\n");
    EXPECT_EQ(real.numMeshes(), 0);
}

} // namespace
