// tests/geometry_analysis_test.cpp -- duplicate merging, seam ties, clones and edges, fast against pairwise.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "analysis_meshes.h"
#include "support/analysis_compare.h"
#include "base/debug_log.h"
#include "model/model.h"
#include "shadow/analysis_steps.h"
#include "shadow/geometry_analysis.h"

using analysis_meshes::MeshShape;
using analysis_meshes::weightAt;
using analysis_compare::analyse;
using analysis_compare::cloneListOf;
using analysis_compare::cloneTrisOf;
using analysis_compare::receiversOf;
using analysis_compare::firstDifference;
using analysis_compare::edgeText;

namespace {

size_t at(int i) { return static_cast<size_t>(i); }

// What a set of generated meshes exercised: the comparisons must not pass on meshes where nothing happens.
struct Exercised {
    int duplicates = 0, twins = 0, clones = 0, crowdedEdges = 0, openEdges = 0, fullLists = 0;
};

void count(const Model& model, const std::string& log, Exercised& seen) {
    for (size_t m = 0; m < model.verts.size(); ++m) {
        seen.duplicates += model.numDuplicates[m];
        seen.clones += model.numClones(m);
        seen.twins += static_cast<int>(model.cloneItems[m].size());
        // Triangle records name the kept vertex, so a merged vertex shows its full use here.
        std::vector<int> uses(model.verts[m].size(), 0);
        for (const Triangle& t : model.tris[m])
            for (int k = 0; k < 3; ++k)
                if (++uses[at(t.v[k])] == shadow::kMaxTriRefs + 1) ++seen.fullLists;
        for (const Edge& e : model.edges[m]) seen.openEdges += e.tri1 == -1;
    }
    for (size_t p = log.find("geometryanalyzer"); p != std::string::npos; p = log.find("geometryanalyzer", p + 1))
        ++seen.crowdedEdges;
}

void expectAllExercised(const Exercised& seen) {
    EXPECT_GT(seen.duplicates, 0);
    EXPECT_GT(seen.twins, seen.duplicates + seen.clones); // clone lists hold twins as well
    EXPECT_GT(seen.clones, 0);
    EXPECT_GT(seen.crowdedEdges, 0);
    EXPECT_GT(seen.openEdges, 0);
    EXPECT_GT(seen.fullLists, 0);
}

// Analyses one copy fast and one pairwise; every field and the log must agree.
void expectFastEqualsReference(const std::vector<MeshShape>& meshes, int joints, const std::string& what,
                               Exercised* seen = nullptr) {
    Model fast, pairwise;
    analysis_meshes::buildModel(fast, meshes, joints);
    analysis_meshes::buildModel(pairwise, meshes, joints);
    const std::string fastLog = analyse(fast, true);
    const std::string pairwiseLog = analyse(pairwise, false);
    EXPECT_EQ(firstDifference(fast, pairwise), "") << what;
    EXPECT_EQ(fastLog, pairwiseLog) << what;
    if (seen) count(fast, fastLog, *seen);
}

MeshShape meshOf(std::vector<std::array<float, 3>> pos, std::vector<std::array<float, 2>> uv,
                std::vector<std::array<int, 3>> tris) {
    MeshShape shape;
    shape.pos = std::move(pos);
    shape.uv = std::move(uv);
    shape.tris = std::move(tris);
    return shape;
}

void build(Model& model, const MeshShape& shape, int joints = 0) {
    analysis_meshes::buildModel(model, {shape}, joints);
}

bool lists(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

// ---- hand-made meshes with known results ----

TEST(GeometryAnalysis, DuplicateWithEqualUvDisappearsFromDrawing) {
    // A quad whose second triangle uses an exact copy (4) of corner 2.
    Model model;
    build(model, meshOf({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {1, 1}},
                        {{0, 1, 2}, {0, 4, 3}}));
    EXPECT_EQ(analyse(model, true), "identical verts: 0, 2, 4\n");
    EXPECT_EQ(model.numDuplicates[0], 1);
    EXPECT_EQ(model.numClones(0), 0);
    EXPECT_EQ(model.tris[0][1].v[1], 2);
    EXPECT_EQ(model.indices[0], (std::vector<int>{0, 1, 2, 0, 2, 3}));
    EXPECT_TRUE(lists(receiversOf(model, 0, 1), 2));
    EXPECT_EQ(cloneListOf(model, 0, 2), std::vector<int>{4});
    EXPECT_EQ(cloneTrisOf(model, 0, 2), std::vector<int>{0});
    EXPECT_EQ(model.numCloneRefs(0, 4), 0);
    // The shared diagonal pairs up; the four sides stay open.
    ASSERT_EQ(model.numEdges(0), 5);
    EXPECT_EQ(edgeText(model.edges[0][2]), "0 2 1 0 0");
    EXPECT_EQ(edgeText(model.edges[0][4]), "3 0 1 -1 0");
}

TEST(GeometryAnalysis, SeamTwinClosesSurfaceButKeepsItsDrawIndex) {
    // A closed tetrahedron whose last triangle uses a twin (4) of vertex 3 with other texture
    // coordinates.
    Model model;
    build(model, meshOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 1}},
                        {{0, 0}, {1, 0}, {0, 1}, {0.5f, 0.5f}, {0.9f, 0.9f}}, {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 4}}));
    EXPECT_EQ(analyse(model, true), "");
    EXPECT_EQ(model.numDuplicates[0], 0);
    EXPECT_EQ(model.tris[0][3].v[2], 3);
    EXPECT_EQ(model.indices[0][11], 4);
    EXPECT_TRUE(lists(receiversOf(model, 0, 3), 4));
    ASSERT_GT(model.numCloneRefs(0, 3), 0);
    EXPECT_EQ(cloneListOf(model, 0, 3)[0], 4);
    EXPECT_EQ(cloneTrisOf(model, 0, 3)[0], 0);
    EXPECT_EQ(model.verts[0][4].weightCount, 0);
    EXPECT_EQ(model.numEdges(0), 6);
    EXPECT_TRUE(std::none_of(model.edges[0].begin(), model.edges[0].end(), [](const Edge& e) { return e.tri1 == -1; }));
}

TEST(GeometryAnalysis, MirroredTrianglesShareOneCloneAndKeepTheirRecords) {
    // A fan around vertex 0; triangles 2 and 3 carry a mirrored texture.
    MeshShape fan = meshOf({{0, 0, 0}, {1, 0, 0}, {0.7f, 0.7f, 0}, {0, 1, 0}, {-0.7f, 0.7f, 0}, {-1, 0, 0}},
                          {{0, 0}, {1, 0}, {0.7f, 0.7f}, {0, 1}, {-0.7f, 0.7f}, {-1, 0}},
                          {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 5}});
    fan.flippedFrames = {2, 3};
    Model model;
    build(model, fan);
    analyse(model, true);
    // Vertex 0 gets clone 6 for triangle 2, reused by triangle 3; vertex 3 gets clone 7.
    EXPECT_EQ(model.numClones(0), 2);
    EXPECT_EQ(model.numVertsTotal(0), 8);
    EXPECT_EQ(model.indices[0], (std::vector<int>{0, 1, 2, 0, 2, 3, 6, 7, 4, 6, 4, 5}));
    EXPECT_EQ(model.tris[0][2].v[0], 0);
    EXPECT_EQ(cloneListOf(model, 0, 0), std::vector<int>{6});
    EXPECT_EQ(cloneTrisOf(model, 0, 0), std::vector<int>{2});
    EXPECT_EQ(cloneListOf(model, 0, 3), std::vector<int>{7});
    EXPECT_EQ(model.verts[0][6].weightCount, 0);
    EXPECT_EQ(model.numCloneRefs(0, 6), 0);
    EXPECT_EQ(receiversOf(model, 0, 2), (std::vector<int>{6, 7, 4}));
    EXPECT_EQ(receiversOf(model, 0, 3), (std::vector<int>{6, 4, 5}));
    // Compatible triangles pass their vectors to the vertex they keep drawing with.
    EXPECT_EQ(receiversOf(model, 0, 1), (std::vector<int>{0, 2, 3}));
}

TEST(GeometryAnalysis, DegenerateTextureFrameNeitherClonesNorReceives) {
    // Triangle 1 has all three corners on one texture point: its S is zero.
    Model model;
    build(model, meshOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 0}, {1, 0}, {0, 1}, {0, 0}},
                        {{0, 1, 2}, {2, 1, 3}}));
    model.tris[0][1].tangentS[0] = model.tris[0][1].tangentS[1] = model.tris[0][1].tangentS[2] = 0;
    model.tris[0][1].rightHanded = 1 - model.tris[0][0].rightHanded;
    analyse(model, true);
    EXPECT_EQ(model.numClones(0), 0);
    EXPECT_EQ(receiversOf(model, 0, 1), std::vector<int>{3});
}

// Two triangles pair on an edge only when they run it in opposite directions; a third is
// reported and left open.
TEST(EdgeBuilder, SameWindingStaysOpenAndAThirdTriangleIsReported) {
    const struct {
        std::vector<std::array<int, 3>> tris;
        int edges;
        std::vector<std::pair<size_t, const char*>> expected;
        const char* log;
    } cases[] = {
        {{{0, 1, 2}, {0, 1, 3}}, 6, {{0, "0 1 0 -1 0"}, {2, "0 1 1 -1 0"}, {5, "3 0 1 -1 0"}}, ""},
        {{{0, 1, 2}, {1, 0, 3}, {1, 0, 4}}, 8, {{0, "0 1 0 1 0"}, {6, "1 0 2 -1 0"}},
         "geometryanalyzer: edge with more than two tris: meshnumber, v1, v2, tri: 0 1 0 2\n"},
    };
    for (const auto& c : cases) {
        Model model;
        build(model, meshOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}},
                            {{0, 0}, {1, 0}, {0, 1}, {0, 1}, {1, 1}}, c.tris));
        ScopedLogCapture log;
        shadow::buildEdges(model);
        EXPECT_EQ(log.text, c.log);
        ASSERT_EQ(model.numEdges(0), c.edges);
        for (const auto& [e, text] : c.expected) EXPECT_EQ(edgeText(model.edges[0][e]), text) << e;
    }
}

TEST(GeometryAnalysis, CoincidentStaticVerticesPairUpAgainButMergedSkinnedOnesDoNot) {
    // Three copies of one point, same texture coordinates. Static models test every pair,
    // skinned ones drop a vertex from later pairs once its weights are gone.
    MeshShape three = meshOf({{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}, {{0, 0}, {0, 0}, {0, 0}}, {{0, 1, 2}});
    Model still;
    build(still, three);
    EXPECT_EQ(analyse(still, true), "identical verts: 0, 0, 1\nidentical verts: 0, 0, 2\nidentical verts: 0, 1, 2\n");
    EXPECT_EQ(still.numDuplicates[0], 3);
    EXPECT_EQ(cloneListOf(still, 0, 1), std::vector<int>{2});

    three.weights.assign(3, {weightAt(0, 1, 1, 1, 1)});
    Model skinned;
    build(skinned, three, 1);
    EXPECT_EQ(analyse(skinned, true), "identical verts: 0, 0, 1\nidentical verts: 0, 0, 2\n");
    EXPECT_EQ(skinned.numDuplicates[0], 2);
}

TEST(GeometryAnalysis, IdentityToleranceIsInclusiveForPositionsStrictForWeights) {
    const float tol = 0.0001f;
    Model still;
    build(still,
          meshOf({{0, 0, 0}, {tol, 0, 0}, {0, 0, std::nextafter(tol, 1.0f)}}, {{0, 0}, {0, 0}, {0, 0}}, {{0, 1, 2}}));
    EXPECT_TRUE(shadow::verticesIdentical(still, 0, 0, 1));
    EXPECT_FALSE(shadow::verticesIdentical(still, 0, 0, 2));

    MeshShape skin = meshOf({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {{0, 0}, {0, 0}, {0, 0}, {0, 0}}, {{0, 1, 2}});
    skin.weights = {{weightAt(1, 0.5f, 0, 0, 0), weightAt(1, 0.5f, 0, 0, 0.00005f)}, // both weights match b's first
                    {weightAt(1, 0.5f, 0, 0, 0), weightAt(2, 0.5f, 3, 0, 0)},
                    {weightAt(1, 0.5f, tol, 0, 0), weightAt(2, 0.5f, 3, 0, 0)},
                    {weightAt(1, 0.5f, 0, 0, 0)}};
    Model skinned;
    build(skinned, skin, 3);
    EXPECT_TRUE(shadow::verticesIdentical(skinned, 0, 0, 1));
    EXPECT_FALSE(shadow::verticesIdentical(skinned, 0, 1, 0)); // joint 2 has no partner in vertex 0
    EXPECT_FALSE(shadow::verticesIdentical(skinned, 0, 1, 2)); // exactly 0.0001 apart
    EXPECT_FALSE(shadow::verticesIdentical(skinned, 0, 0, 3)); // weight counts differ
}

// Sound behaviour where the pairwise description would overrun the 40-entry incidence lists:
// a duplicate's triangles beyond 40 still move to the kept vertex, only its list stays bounded.
TEST(GeometryAnalysis, DuplicateBeyondFortyTrianglesKeepsIncidenceListBounded) {
    MeshShape fans;
    fans.pos = {{0, 0, 0}, {0, 0, 0}};
    fans.uv = {{0.5f, 0.5f}, {0.5f, 0.5f}};
    for (int k = 0; k < 31; ++k) {
        const float a = k * 0.2f;
        fans.pos.push_back({std::cos(a), std::sin(a), 0});
        fans.uv.push_back({0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a)});
    }
    for (int k = 0; k < 30; ++k) fans.tris.push_back({0, 2 + k, 3 + k});
    for (int k = 0; k < 30; ++k) fans.tris.push_back({1, 2 + k, 3 + k});
    Model model;
    build(model, fans);
    analyse(model, true);
    for (int t = 0; t < 60; ++t) {
        EXPECT_EQ(model.tris[0][at(t)].v[0], 0) << t;
        EXPECT_EQ(model.indices[0][at(3 * t)], 0) << t;
    }
    expectFastEqualsReference({fans}, 0, "two fans");
}

TEST(GeometryAnalysis, OutOfRangeMeshIsIgnored) {
    Model model;
    build(model, meshOf({{0, 0, 0}}, {{0, 0}}, {}));
    shadow::analyzeGeometry(model, 1);
    shadow::analyzeGeometry(model, -1);
    shadow::reference::analyzeGeometry(model, 3);
    Model empty;
    shadow::analyzeGeometry(empty, 0);
    shadow::buildEdges(empty);
    EXPECT_TRUE(empty.edges.empty());
}

// ---- fast against pairwise ----

TEST(GeometryAnalysisMatchesPairwise, GridsWithSeamsMirrorsAndDuplicates) {
    for (int joints : {0, 40}) {
        const analysis_meshes::GridOptions o{24, 17, 6, 15, 7, joints}, plain{8, 8, -1, -1, 0, joints};
        expectFastEqualsReference({analysis_meshes::gridMesh(o), analysis_meshes::gridMesh(plain)}, joints,
                                  "grids, joints " + std::to_string(joints));
    }
}

// Static meshes with frequent coincidences, then skinned ones with shared weights.
TEST(GeometryAnalysisMatchesPairwise, RandomStaticAndSkinnedMeshes) {
    for (auto [firstSeed, joints] : {std::pair<uint32_t, int>{1, 0}, {100, 2}}) {
        Exercised seen;
        for (uint32_t seed = firstSeed; seed < firstSeed + 40; ++seed) {
            const int verts = 10 + static_cast<int>(seed * 7 % 90);
            const int tris = 5 + static_cast<int>(seed * 13 % 300);
            expectFastEqualsReference({analysis_meshes::randomMesh(seed, verts, tris, joints)}, joints,
                                      "seed " + std::to_string(seed), &seen);
        }
        expectAllExercised(seen);
    }
}

TEST(GeometryAnalysisMatchesPairwise, NanInfinityAndHugeCoordinates) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int joints : {0, 2}) {
        MeshShape shape = analysis_meshes::randomMesh(7u + static_cast<uint32_t>(joints), 60, 120, joints);
        const float odd[] = {nan, inf, -inf, 3.0e9f, 3.0e9f, 1073741824.0f, 1073741760.0f, -1e30f};
        for (size_t i = 0; i < shape.pos.size(); i += 3) {
            shape.pos[i][i % 3] = odd[i % 8];
            if (joints > 0) shape.weights[i][0].pos[(i + 1) % 3] = odd[(i + 3) % 8];
        }
        expectFastEqualsReference({shape}, joints, "odd values, joints " + std::to_string(joints));
    }
}
