// tests/assimp/assimp_crosscheck_test.cpp -- the static readers against assimp on every OBJ, ASE and LWO2 test file.
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/model.h"
#include "tests/static_model_check.h"

// assimp keeps a few process-wide objects until exit; they are its own, not the readers' leaks.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() { return "leak:libassimp.so\n"; }

namespace {

namespace fs = std::filesystem;

struct Corner {
    float p[3];
    float u, v;
};
using Tri = std::array<Corner, 3>;

enum class Format { Obj, Ase, Lwo };

// The format of a file, by its extension, and the reader that loads it.
const std::map<std::string, std::pair<Format, void (Model::*)(const char*)>>& readers() {
    static const std::map<std::string, std::pair<Format, void (Model::*)(const char*)>> table = {
        {".obj", {Format::Obj, &Model::readObj}}, {".ase", {Format::Ase, &Model::readAse}}, {".lwo", {Format::Lwo, &Model::readLwo}}};
    return table;
}

std::string lowerExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return ext;
}

// Our triangles, read back from the CornerVertex records, after checking that every
// triangle names existing vertices that agree with its corners.
std::vector<Tri> ourTriangles(const Model& model) {
    std::vector<Tri> out;
    EXPECT_EQ(model.numJoints(), 0);
    expectConsistent(model);
    for (int m = 0; m < model.numMeshes(); ++m) {
        EXPECT_TRUE(model.meshLoaded[m]);
        for (const Vertex& vertex : model.verts[m]) EXPECT_EQ(vertex.weightCount, 0);
        const auto& corners = model.corners[m];
        for (size_t t = 0; t + 2 < corners.size(); t += 3) {
            Tri tri;
            for (size_t k = 0; k < 3; ++k) tri[k] = Corner{{corners[t + k].pos[0], corners[t + k].pos[1], corners[t + k].pos[2]}, corners[t + k].u, corners[t + k].v};
            out.push_back(tri);
        }
    }
    return out;
}

// Assimp's triangles in our conventions. Its axes are (x, y, z) where ours are (x, -z, y),
// for all three formats. Polygons are fanned the way our readers fan them: OBJ keeps the
// file's corner order (assimp does too); assimp reverses LWO2 polygons, so a polygon
// a0..an-1 there is p(n-1)..p0 of the file and our (p1, p0, p2), (p2, p0, p3), ... is
// (a[n-2], a[n-1], a[n-3]), ...
std::vector<Tri> peerTriangles(const aiScene* scene, Format format, unsigned uvChannel = 0) {
    std::vector<Tri> out;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        auto corner = [mesh, uvChannel](unsigned index) {
            const aiVector3D& p = mesh->mVertices[index];
            Corner c{{p.x, -p.z, p.y}, 0, 0};
            if (mesh->mTextureCoords[uvChannel]) {
                c.u = mesh->mTextureCoords[uvChannel][index].x;
                c.v = mesh->mTextureCoords[uvChannel][index].y;
            }
            return c;
        };
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            unsigned n = face.mNumIndices;
            if (n < 3) continue; // points and lines are not faces
            for (unsigned k = 1; k + 1 < n; ++k) {
                if (format == Format::Lwo)
                    out.push_back({corner(face.mIndices[n - 1 - k]), corner(face.mIndices[n - 1]), corner(face.mIndices[n - 2 - k])});
                else
                    out.push_back({corner(face.mIndices[0]), corner(face.mIndices[k]), corner(face.mIndices[k + 1])});
            }
        }
    }
    return out;
}

bool near(float a, float b) { return std::fabs(a - b) <= 1e-5f * std::max({1.0f, std::fabs(a), std::fabs(b)}); }

bool same(const Corner& a, const Corner& b) {
    return near(a.p[0], b.p[0]) && near(a.p[1], b.p[1]) && near(a.p[2], b.p[2]) && near(a.u, b.u) && near(a.v, b.v);
}

// Corners of `expected` that find no partner in `actual` (each partner used once).
int unmatchedCorners(const std::vector<Tri>& actual, const std::vector<Tri>& expected, std::string& example) {
    std::vector<Corner> ours;
    for (const Tri& t : actual) ours.insert(ours.end(), t.begin(), t.end());
    std::sort(ours.begin(), ours.end(), [](const Corner& a, const Corner& b) { return a.p[0] < b.p[0]; });
    std::vector<char> used(ours.size(), 0);
    int missing = 0;
    for (const Tri& t : expected)
        for (const Corner& c : t) {
            float tol = 1e-5f * std::max(1.0f, std::fabs(c.p[0]));
            auto it = std::lower_bound(ours.begin(), ours.end(), c.p[0] - tol,
                                       [](const Corner& a, float x) { return a.p[0] < x; });
            bool found = false;
            for (size_t i = static_cast<size_t>(it - ours.begin()); i < ours.size() && ours[i].p[0] <= c.p[0] + tol; ++i) {
                if (used[i] || !same(ours[i], c)) continue;
                used[i] = 1;
                found = true;
                break;
            }
            if (!found && missing++ == 0)
                example = "(" + std::to_string(c.p[0]) + " " + std::to_string(c.p[1]) + " " + std::to_string(c.p[2]) +
                          " | " + std::to_string(c.u) + " " + std::to_string(c.v) + ")";
        }
    return missing;
}

// Signed volume under the triangles: its sign shows the winding.
double signedVolume(const std::vector<Tri>& tris) {
    double sum = 0;
    for (const Tri& t : tris) {
        const float *a = t[0].p, *b = t[1].p, *c = t[2].p;
        sum += a[0] * (double(b[1]) * c[2] - double(b[2]) * c[1]) - a[1] * (double(b[0]) * c[2] - double(b[2]) * c[0]) +
               a[2] * (double(b[0]) * c[1] - double(b[1]) * c[0]);
    }
    return sum / 6;
}

std::vector<fs::path> testFiles() {
    std::vector<fs::path> files;
    fs::path root(OSTRELLE_TESTDATA_DIR);
    std::error_code ec;
    if (!fs::is_directory(root, ec)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(root, ec)) {
        // Broken files are no comparison (assimp 5.2.5 reads past its arrays on some); the reader tests cover them.
        if (entry.path().parent_path().filename() == "invalid") continue;
        if (entry.is_regular_file() && readers().count(lowerExtension(entry.path()))) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<Tri> peerTriangles(const std::string& path, Format format, unsigned uvChannel = 0) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_PreTransformVertices);
    return scene ? peerTriangles(scene, format, uvChannel) : std::vector<Tri>();
}

void expectSameCorners(const std::vector<Tri>& ours, const std::vector<Tri>& peer) {
    EXPECT_EQ(ours.size(), peer.size()) << "triangle count";
    std::string example;
    EXPECT_EQ(unmatchedCorners(ours, peer, example), 0) << "assimp corners without a partner in ours, e.g. " << example;
    EXPECT_EQ(unmatchedCorners(peer, ours, example), 0) << "our corners without a partner in assimp's, e.g. " << example;
}

struct Deviation {
    const char* rule;
    std::function<void(const std::string& path, const Model&, const std::vector<Tri>&)> checkOurs;
};

// Files where one of our reading rules differs from assimp's on purpose: the rule is named
// and our side of it is checked instead of the plain comparison.
const std::map<std::string, Deviation>& deviations() {
    static const std::map<std::string, Deviation> table = {
        {"ThreeCubesGreen_UTF16LE.ASE",
         {"ASE is read as 8-bit text: in UTF-16 every keyword is broken up by zero bytes, so no mesh is found",
          [](const std::string&, const Model& model, const std::vector<Tri>& ours) {
              EXPECT_EQ(model.numMeshes(), 0);
              EXPECT_TRUE(ours.empty());
          }}},
        {"Subdivision.lwo",
         {"only FACE polygons are read; subdivision patches (POLS of type PTCH) are skipped",
          [](const std::string&, const Model&, const std::vector<Tri>& ours) { EXPECT_TRUE(ours.empty()); }}},
        {"box_2uv_1unused.lwo",
         {"every TXUV map applies in file order: a point takes the last map's coordinates, and the "
          "per-polygon (VMAD) coordinates of any map override them at their corners; assimp keeps each map "
          "as a channel of its own",
          [](const std::string& path, const Model&, const std::vector<Tri>& ours) {
              std::vector<Tri> last = peerTriangles(path, Format::Lwo, 1);
              std::vector<Tri> first = peerTriangles(path, Format::Lwo, 0);
              EXPECT_EQ(ours.size(), last.size());
              std::vector<Tri> either = last;
              either.insert(either.end(), first.begin(), first.end());
              std::string example;
              EXPECT_EQ(unmatchedCorners(either, ours, example), 0) << "a corner from neither map: " << example;
              EXPECT_GT(unmatchedCorners(first, ours, example), 0) << "the last map did not win";
          }}},
        {"hierarchy.lwo",
         {"only the first layer is read: reading stops at the second LAYR chunk",
          [](const std::string& path, const Model&, const std::vector<Tri>& ours) {
              std::vector<Tri> peer = peerTriangles(path, Format::Lwo);
              EXPECT_FALSE(ours.empty());
              EXPECT_LT(ours.size(), peer.size());
              std::string example;
              EXPECT_EQ(unmatchedCorners(peer, ours, example), 0) << "a corner not in assimp's model: " << example;
          }}},
    };
    return table;
}

TEST(AssimpCrossCheck, EveryStaticTestFileGivesTheSameTriangleCorners) {
    std::vector<fs::path> files = testFiles();
    if (files.empty()) GTEST_SKIP() << "no OBJ, ASE or LWO2 files under " << OSTRELLE_TESTDATA_DIR;
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.string());
        const auto& [format, read] = readers().at(lowerExtension(path));
        Model model;
        (model.*read)(path.string().c_str());
        std::vector<Tri> ours = ourTriangles(model);

        auto deviation = deviations().find(path.filename().string());
        if (deviation != deviations().end()) {
            SCOPED_TRACE(deviation->second.rule);
            deviation->second.checkOurs(path.string(), model, ours);
            continue;
        }
        std::vector<Tri> peer = peerTriangles(path.string(), format);
        expectSameCorners(ours, peer);
        double a = signedVolume(ours), b = signedVolume(peer);
        EXPECT_NEAR(a, b, 1e-3 * std::max(1.0, std::fabs(b))) << "winding";
    }
}

} // namespace
