// tests/geometry_analysis_test.cpp -- duplicate merging, seam ties, clones and edges; fast against pairwise
// on generated meshes and on every real model of the test data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <sstream>
#include <string>

#include "analysis_meshes.h"
#include "base/debug_log.h"
#include "base/file_open.h"
#include "base/parallel_work.h"
#include "load/load_model.h"
#include "model/md5_mesh_reader.h"
#include "model/model.h"
#include "shadow/geometry_analysis.h"

using analysis_meshes::MeshShape;
using analysis_meshes::weightAt;
namespace fs = std::filesystem;

namespace {

size_t at(int i) { return static_cast<size_t>(i); }

// Runs the analysis of every mesh and the edge builder, fast or pairwise, and returns the log.
std::string analyse(Model& model, bool fast) {
    ScopedLogCapture log;
    for (int m = 0; m < model.numMeshes(); ++m) (fast ? shadow::analyzeGeometry : shadow::reference::analyzeGeometry)(model, m);
    (fast ? shadow::buildEdges : shadow::reference::buildEdges)(model);
    return log.text;
}

std::vector<int> slice(const std::vector<std::vector<int>>& items, const std::vector<std::vector<int>>& start,
                       size_t m, size_t i) {
    return std::vector<int>(items[m].begin() + start[m][i], items[m].begin() + start[m][i + 1]);
}
// The clone list of vertex i and the receivers of triangle t.
std::vector<int> cloneListOf(const Model& model, size_t i) { return slice(model.cloneItems, model.cloneStart, 0, i); }
std::vector<int> receiversOf(const Model& model, size_t t) { return slice(model.triCloneItems, model.triCloneStart, 0, t); }

std::string edgeText(const Edge& e) {
    std::ostringstream out;
    out << e.v0 << ' ' << e.v1 << ' ' << e.tri0 << ' ' << e.tri1 << ' ' << int(e.isSilhouette);
    return out.str();
}

// Every analysed field as text, one record a line, so that NaN positions compare equal and a
// difference shows where it is.
std::vector<std::string> dump(const Model& model) {
    std::vector<std::string> lines;
    auto line = [&lines](auto... fields) {
        std::ostringstream out;
        ((out << fields << ' '), ...);
        lines.push_back(out.str());
    };
    for (size_t m = 0; m < model.verts.size(); ++m) {
        line("mesh", m, "duplicates", model.numDuplicates[m]);
        for (const Vertex& v : model.verts[m]) line("vertex", v.u, v.v, v.weightStart, v.weightCount, v.pos[0], v.pos[1], v.pos[2]);
        for (const Triangle& t : model.tris[m]) line("triangle", t.v[0], t.v[1], t.v[2]);
        for (const Edge& e : model.edges[m]) line("edge", edgeText(e));
        const std::vector<int>* lists[] = {&model.indices[m],       &model.cloneStart[m],    &model.cloneItems[m],
                                           &model.cloneTriItems[m], &model.triCloneStart[m], &model.triCloneItems[m]};
        for (size_t l = 0; l < 6; ++l)
            for (size_t i = 0; i < lists[l]->size(); ++i) line("list", l, "entry", i, ":", (*lists[l])[i]);
    }
    return lines;
}

// The first record in which two analysed models differ, or "" when none does.
std::string firstDifference(const Model& a, const Model& b) {
    const std::vector<std::string> la = dump(a), lb = dump(b);
    const auto [ia, ib] = std::mismatch(la.begin(), la.end(), lb.begin(), lb.end());
    if (ia == la.end() && ib == lb.end()) return "";
    return (ia == la.end() ? "end" : *ia) + " / " + (ib == lb.end() ? "end" : *ib);
}

// Analyses one copy fast and one pairwise; every field and the log must agree.
void expectFastEqualsPairwise(Model& fast, Model& pairwise, const std::string& what) {
    EXPECT_EQ(analyse(fast, true), analyse(pairwise, false)) << what;
    EXPECT_EQ(firstDifference(fast, pairwise), "") << what;
}

void expectFastEqualsPairwise(const std::vector<MeshShape>& meshes, int joints, const std::string& what) {
    Model fast, pairwise;
    analysis_meshes::buildModel(fast, meshes, joints);
    analysis_meshes::buildModel(pairwise, meshes, joints);
    expectFastEqualsPairwise(fast, pairwise, what);
}

void build(Model& model, const MeshShape& shape, int joints = 0) { analysis_meshes::buildModel(model, {shape}, joints); }

// Reads a model file of any of the four formats and runs the post-processing up to the analysis.
bool readPrepared(Model& model, const fs::path& file) {
    static const std::map<std::string, void (Model::*)(const char*)> readers = {
        {".obj", &Model::readObj}, {".ase", &Model::readAse}, {".lwo", &Model::readLwo}};
    ScopedLogCapture quiet;
    std::string ext = file.extension().string(), bytes;
    for (char& c : ext) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    const bool isMd5 = ext == ".md5mesh";
    if (isMd5 ? !readWholeFile(file.string(), bytes) || !md5::readMeshFromMemory(model, bytes, file.string()) : !readers.count(ext))
        return false;
    if (!isMd5) (model.*readers.at(ext))(file.string().c_str());
    prepareForAnalysis(model);
    return model.numMeshes() > 0;
}

// An MD5Version 10 text of `meshes` on `joints` joints at the origin, weighted as the shapes say.
// Every 500th triangle record carries a number other than its place.
std::string md5Text(const std::vector<MeshShape>& meshes, int joints) {
    std::string out = "MD5Version 10\nnumJoints " + std::to_string(joints) + "\nnumMeshes " +
                      std::to_string(meshes.size()) + "\njoints {\n";
    for (int j = 0; j < joints; ++j) out += "\t\"j" + std::to_string(j) + "\"\t" + std::to_string(j - 1) + " ( 0 0 0 ) ( 0 0 0 )\n";
    out += "}\n";
    char line[160];
    for (size_t m = 0; m < meshes.size(); ++m) {
        const MeshShape& shape = meshes[m];
        out += "mesh {\n\tshader \"models/missing" + std::to_string(m) + "\"\n\tnumverts " + std::to_string(shape.pos.size()) + "\n";
        size_t firstWeight = 0;
        for (size_t i = 0; i < shape.pos.size(); ++i) {
            snprintf(line, sizeof line, "\tvert %zu ( %g %g ) %zu %zu\n", i, shape.uv[i][0], shape.uv[i][1], firstWeight,
                     shape.weights[i].size());
            out += line;
            firstWeight += shape.weights[i].size();
        }
        out += "\tnumtris " + std::to_string(shape.tris.size()) + "\n";
        for (size_t t = 0; t < shape.tris.size(); ++t) {
            snprintf(line, sizeof line, "\ttri %zu %d %d %d\n", t % 500 == 7 ? t + 1 : t, shape.tris[t][0], shape.tris[t][1],
                     shape.tris[t][2]);
            out += line;
        }
        out += "\tnumweights " + std::to_string(firstWeight) + "\n";
        size_t w = 0;
        for (const std::vector<VertexWeight>& weights : shape.weights)
            for (const VertexWeight& weight : weights) {
                snprintf(line, sizeof line, "\tweight %zu %d %g ( %g %g %g )\n", w++, weight.joint, weight.bias, weight.pos[0],
                         weight.pos[1], weight.pos[2]);
                out += line;
            }
        out += "}\n";
    }
    return out;
}

std::string problemTexts(const Model& model) {
    std::string text;
    for (const LoadProblem& problem : model.problems) text += problem.message + "\n";
    return text;
}

} // namespace

TEST(GeometryAnalysis, DuplicateWithEqualUvDisappearsFromDrawing) {
    // A quad whose second triangle uses an exact copy (4) of corner 2.
    Model model;
    build(model, MeshShape{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {1, 1}},
                        {{0, 1, 2}, {0, 4, 3}}, {}, {}});
    EXPECT_EQ(analyse(model, true), "identical verts: 0, 2, 4\n");
    EXPECT_EQ(model.tris[0][1].v[1], 2);
    EXPECT_EQ(model.indices[0], (std::vector<int>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(cloneListOf(model, 2), std::vector<int>{4});
    // The shared diagonal pairs up; the four sides stay open.
    ASSERT_EQ(model.numEdges(0), 5);
    EXPECT_EQ(edgeText(model.edges[0][2]), "0 2 1 0 0");
    EXPECT_EQ(edgeText(model.edges[0][4]), "3 0 1 -1 0");
}

TEST(GeometryAnalysis, MirroredTrianglesShareOneCloneAndKeepTheirRecords) {
    // A fan around vertex 0; triangles 2 and 3 carry a mirrored texture.
    Model model;
    build(model, MeshShape{{{0, 0, 0}, {1, 0, 0}, {0.7f, 0.7f, 0}, {0, 1, 0}, {-0.7f, 0.7f, 0}, {-1, 0, 0}},
                           {{0, 0}, {1, 0}, {0.7f, 0.7f}, {0, 1}, {-0.7f, 0.7f}, {-1, 0}},
                           {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 5}}, {}, {2, 3}});
    analyse(model, true);
    // Vertex 0 gets clone 6 for triangle 2, reused by triangle 3; vertex 3 gets clone 7.
    EXPECT_EQ(model.indices[0], (std::vector<int>{0, 1, 2, 0, 2, 3, 6, 7, 4, 6, 4, 5}));
    EXPECT_EQ(model.tris[0][2].v[0], 0);
    EXPECT_EQ(receiversOf(model, 2), (std::vector<int>{6, 7, 4}));
    EXPECT_EQ(receiversOf(model, 1), (std::vector<int>{0, 2, 3}));
}

// Two triangles pair on an edge only when they run it in opposite directions; a third is reported and left open.
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
        build(model, MeshShape{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}},
                            {{0, 0}, {1, 0}, {0, 1}, {0, 1}, {1, 1}}, c.tris, {}, {}});
        ScopedLogCapture log;
        shadow::buildEdges(model);
        EXPECT_EQ(log.text, c.log);
        ASSERT_EQ(model.numEdges(0), c.edges);
        for (const auto& [e, text] : c.expected) EXPECT_EQ(edgeText(model.edges[0][e]), text) << e;
    }
}

TEST(GeometryAnalysis, CoincidentStaticVerticesPairUpAgainButMergedSkinnedOnesDoNot) {
    // Three copies of one point. Static models test every pair, skinned ones drop a vertex from
    // later pairs once its weights are gone.
    MeshShape three{{{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}, {{0, 0}, {0, 0}, {0, 0}}, {{0, 1, 2}}, {}, {}};
    Model still;
    build(still, three);
    EXPECT_EQ(analyse(still, true), "identical verts: 0, 0, 1\nidentical verts: 0, 0, 2\nidentical verts: 0, 1, 2\n");
    EXPECT_EQ(still.numDuplicates[0], 3);

    three.weights.assign(3, {weightAt(0, 1, 1, 1, 1)});
    Model skinned;
    build(skinned, three, 1);
    EXPECT_EQ(analyse(skinned, true), "identical verts: 0, 0, 1\nidentical verts: 0, 0, 2\n");
    EXPECT_EQ(skinned.numDuplicates[0], 2);
}

// The fast search looks into a neighbouring cell only near a cell's side: pairs straddling the
// sides of the 1/1024 cells, at and just beyond the tolerance, on every axis, must pair up as
// the pairwise test pairs them (inclusive for positions, strict for weights).
TEST(GeometryAnalysisMatchesPairwise, PairsAcrossCellSidesAtTheTolerance) {
    const float tol = 0.0001f;
    MeshShape pairs;
    for (float side : {0.0f, 0.25f, 3.0f / 1024.0f, -7.0f / 1024.0f, 100.0f})
        for (float below : {0.0f, tol / 4, tol / 2, tol * 0.999f, tol})
            for (float gap : {std::nextafter(tol, 0.0f), tol, std::nextafter(tol, 1.0f)})
                for (int axis = 0; axis < 3; ++axis) {
                    std::array<float, 3> a{0.5f, 0.5f, 0.5f}, b = a;
                    a[at(axis)] = side - below;
                    b[at(axis)] = a[at(axis)] + gap;
                    const int first = static_cast<int>(pairs.pos.size());
                    pairs.pos.insert(pairs.pos.end(), {a, b});
                    pairs.uv.insert(pairs.uv.end(), {{0, 0}, {0, 0}});
                    pairs.weights.push_back({weightAt(axis, 1, a[0], a[1], a[2])});
                    pairs.weights.push_back({weightAt(axis, 1, b[0], b[1], b[2])});
                    pairs.tris.push_back({first, first + 1, first});
                }
    for (int joints : {0, 3}) {
        Model fast;
        build(fast, pairs, joints);
        analyse(fast, true);
        EXPECT_GT(fast.numDuplicates[0], 0);
        expectFastEqualsPairwise({pairs}, joints, "cell sides, joints " + std::to_string(joints));
    }
}

// The index sorts its cells as one packed 64-bit key where their spreads fit, by comparison
// where they do not: pairs at the ends of spreads that need exactly 64 bits (40 + 12 + 12, and
// 2 joint bits + 38 + 12 + 12), one bit more, on negative cells, across the radix digits and
// across x = 0, where the x field's top bit turns on, must pair up as the pairwise test pairs them.
TEST(GeometryAnalysisMatchesPairwise, CellsAtTheWidthOfThePackedKey) {
    const float tol = 0.0001f, big = 536870912.0f, mid = 134217728.0f; // 2^29, 2^27
    const std::vector<float> twelveBits{-2.0f, -0.001f, 0.0f, 2.0f - 1.0f / 2048}; // cells -2048 .. 2047
    const struct {
        const char* what;
        std::vector<float> x, z;
        int joints;
    } cases[] = {
        {"64 bits", {-big, -1024.5f, -1.0f / 1024, -tol / 4, 5.0f, big - 64}, twelveBits, 0},
        {"65 bits", {-big, -1024.5f, -1.0f / 1024, -tol / 4, 5.0f, big - 64}, {-4.0f, 0.0f, 4.0f - 1.0f / 2048}, 0},
        {"64 bits with joints", {-mid, -3.0f, -tol / 4, 1.0f / 1024, mid - 16}, twelveBits, 4},
    };
    for (const auto& c : cases) {
        MeshShape shape;
        for (float x : c.x)
            for (float y : twelveBits)
                for (float z : c.z) {
                    // Each position and a near twin, apart by half the tolerance on one axis.
                    std::array<float, 3> a{x, y, z}, b = a;
                    const int first = static_cast<int>(shape.pos.size());
                    b[at(first / 2 % 3)] += tol / 2;
                    const int joint = c.joints > 0 ? first / 2 % c.joints : 0;
                    shape.pos.insert(shape.pos.end(), {a, b});
                    shape.uv.insert(shape.uv.end(), {{0, 0}, {0, 0}});
                    shape.weights.push_back({weightAt(joint, 1, a[0], a[1], a[2])});
                    shape.weights.push_back({weightAt(joint, 1, b[0], b[1], b[2])});
                    shape.tris.push_back({first, first + 1, first});
                }
        Model fast;
        build(fast, shape, c.joints);
        analyse(fast, true);
        EXPECT_EQ(fast.numDuplicates[0], static_cast<int>(shape.pos.size()) / 2) << c.what;
        expectFastEqualsPairwise({shape}, c.joints, c.what);
    }
}

// Mended: a duplicate's triangles beyond the 40-entry incidence list used to overrun it; they still
// move to the kept vertex, only the list stays bounded.
TEST(GeometryAnalysis, DuplicateBeyondFortyTrianglesKeepsIncidenceListBounded) {
    MeshShape fans{{{0, 0, 0}, {0, 0, 0}}, {{0.5f, 0.5f}, {0.5f, 0.5f}}, {}, {}, {}};
    for (int k = 0; k < 31; ++k) {
        const float a = k * 0.2f;
        fans.pos.push_back({std::cos(a), std::sin(a), 0});
        fans.uv.push_back({0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a)});
    }
    for (int fan = 0; fan < 2; ++fan)
        for (int k = 0; k < 30; ++k) fans.tris.push_back({fan, 2 + k, 3 + k});
    Model model;
    build(model, fans);
    analyse(model, true);
    for (int t = 0; t < 60; ++t) {
        EXPECT_EQ(model.tris[0][at(t)].v[0], 0) << t;
        EXPECT_EQ(model.indices[0][at(3 * t)], 0) << t;
    }
    expectFastEqualsPairwise({fans}, 0, "two fans");
}

TEST(GeometryAnalysisMatchesPairwise, GridsRandomMeshesAndOddValues) {
    for (int joints : {0, 40}) { // grids with seams, mirrored strips and duplicates
        const analysis_meshes::GridOptions o{24, 17, 6, 15, 7, joints}, plain{8, 8, -1, -1, 0, joints};
        expectFastEqualsPairwise({analysis_meshes::gridMesh(o), analysis_meshes::gridMesh(plain)}, joints, "grids");
    }
    // Random meshes with frequent coincidences, crowded edges and full incidence lists, static and skinned.
    for (auto [firstSeed, joints] : {std::pair<uint32_t, int>{1, 0}, {100, 2}})
        for (uint32_t seed = firstSeed; seed < firstSeed + 40; ++seed) {
            const int verts = 10 + static_cast<int>(seed * 7 % 90), tris = 5 + static_cast<int>(seed * 13 % 300);
            expectFastEqualsPairwise({analysis_meshes::randomMesh(seed, verts, tris, joints)}, joints, std::to_string(seed));
        }
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const float odd[] = {nan, inf, -inf, 3.0e9f, 3.0e9f, 1073741824.0f, 1073741760.0f, -1e30f};
    for (int joints : {0, 2}) {
        MeshShape shape = analysis_meshes::randomMesh(7u + static_cast<uint32_t>(joints), 60, 120, joints);
        for (size_t i = 0; i < shape.pos.size(); i += 3) {
            shape.pos[i][i % 3] = odd[i % 8];
            if (joints > 0) shape.weights[i][0].pos[(i + 1) % 3] = odd[(i + 3) % 8];
        }
        expectFastEqualsPairwise({shape}, joints, "odd values");
    }
}

TEST(GeometryAnalysisMatchesPairwise, EveryRealModelOfTheTestData) {
    const fs::path root = OSTRELLE_TESTDATA_DIR;
    if (!fs::is_directory(root)) GTEST_SKIP() << "no test data at " << root;
    int compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        Model fast, pairwise;
        if (!entry.is_regular_file() || !readPrepared(fast, entry.path()) || !readPrepared(pairwise, entry.path())) continue;
        expectFastEqualsPairwise(fast, pairwise, entry.path().string());
        ++compared;
    }
    EXPECT_GE(compared, 30); // Bob, BoarMan, SimpleCube and the static models at the least
}

TEST(GeometryAnalysisMatchesPairwise, WorkSpreadOverThreadsGivesTheOneThreadResultAndLog) {
    // Large enough for the reader, the skinning and the edge builder to spread over threads.
    const analysis_meshes::GridOptions a{120, 50, 30, 80, 9, 4}, b{110, 55, 20, 60, 7, 4};
    const std::string whole = md5Text({analysis_meshes::gridMesh(a), analysis_meshes::gridMesh(b)}, 4);
    ASSERT_GT(whole.size(), 1u << 20);
    // The same with the first mesh's weight count beyond what the file can hold: the load stops in it.
    std::string stopped = whole;
    const size_t count = stopped.find("numweights ") + 11;
    stopped.replace(count, stopped.find('\n', count) - count, "99999999");
    for (const std::string* file : {&whole, static_cast<const std::string*>(&stopped)}) {
        Model one, spread;
        std::string logOne, logSpread;
        allowSpreading(false);
        {
            ScopedLogCapture log;
            loadMd5MeshFromMemory(one, *file, "t.md5mesh");
            logOne = log.text;
        }
        allowSpreading(true);
        {
            ScopedLogCapture log;
            loadMd5MeshFromMemory(spread, *file, "t.md5mesh");
            logSpread = log.text;
        }
        EXPECT_EQ(logSpread, logOne);
        EXPECT_EQ(firstDifference(spread, one), "");
        EXPECT_EQ(problemTexts(spread), problemTexts(one));
        if (file == &stopped) {
            EXPECT_TRUE(spread.verts[1].empty() && spread.tris[1].empty() && spread.weights[1].empty());
            EXPECT_NE(problemTexts(spread).find("numweights 99999999 is more than"), std::string::npos);
        } else { // what is compared is there: each mesh's merges, texture lookups and misnumbered records
            for (const char* seen : {"identical verts: 0,", "identical verts: 1,", "mesh 1: verts:", "models/missing1"})
                EXPECT_NE(logSpread.find(seen), std::string::npos) << seen;
            EXPECT_NE(problemTexts(spread).find("mesh 1: tri record numbered 8"), std::string::npos);
        }
    }
}
