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
    float p[3], u, v;
};
using Tri = std::array<Corner, 3>;

// The reader of a file, by its extension in lower case.
const std::map<std::string, void (Model::*)(const char*)> kReaders = {
    {".obj", &Model::readObj}, {".ase", &Model::readAse}, {".lwo", &Model::readLwo}};

std::string lowerExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return ext;
}

// Our triangles, from the corner records, after checking them against the vertices they name.
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
            for (size_t k = 0; k < 3; ++k) {
                const CornerVertex& c = corners[t + k];
                tri[k] = Corner{{c.pos[0], c.pos[1], c.pos[2]}, c.u, c.v};
            }
            out.push_back(tri);
        }
    }
    return out;
}

// Assimp's triangles in our conventions: its (x, y, z) is our (x, -z, y); polygons fanned as ours
// are. Assimp reverses LWO2 polygons, so our (p1, p0, p2), (p2, p0, p3), ... is (a[n-2], a[n-1], a[n-3]), ...
std::vector<Tri> peerTriangles(const aiScene* scene, bool lwo, unsigned uvChannel) {
    std::vector<Tri> out;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        auto corner = [mesh, uvChannel](unsigned index) {
            const aiVector3D &p = mesh->mVertices[index], *uv = mesh->mTextureCoords[uvChannel];
            return Corner{{p.x, -p.z, p.y}, uv ? uv[index].x : 0, uv ? uv[index].y : 0};
        };
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            unsigned n = face.mNumIndices;
            if (n < 3) continue; // points and lines are not faces
            for (unsigned k = 1; k + 1 < n; ++k) {
                if (lwo)
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
            for (size_t i = static_cast<size_t>(it - ours.begin()); !found && i < ours.size() && ours[i].p[0] <= c.p[0] + tol; ++i)
                if (!used[i] && same(ours[i], c)) used[i] = found = true;
            if (!found && missing++ == 0)
                example = std::to_string(c.p[0]) + " " + std::to_string(c.p[1]) + " " + std::to_string(c.p[2]) + " | " +
                          std::to_string(c.u) + " " + std::to_string(c.v);
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
    std::error_code ec;
    if (!fs::is_directory(OSTRELLE_TESTDATA_DIR, ec)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(OSTRELLE_TESTDATA_DIR, ec)) {
        // Broken files are no comparison: assimp 5.2.5 reads past its arrays on some.
        if (entry.path().parent_path().filename() == "invalid") continue;
        if (entry.is_regular_file() && kReaders.count(lowerExtension(entry.path()))) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<Tri> peerTriangles(const std::string& path, unsigned uvChannel = 0) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_PreTransformVertices);
    return scene ? peerTriangles(scene, lowerExtension(path) == ".lwo", uvChannel) : std::vector<Tri>();
}

// Files where a reading rule of ours differs from assimp's on purpose: the rule, and our side of it.
using Check = std::function<void(const std::string& path, const std::vector<Tri>& ours)>;
const std::map<std::string, std::pair<const char*, Check>> kDeviations = {
    {"ThreeCubesGreen_UTF16LE.ASE",
     {"ASE is read as 8-bit text: UTF-16 breaks every keyword with zero bytes",
      [](const std::string&, const std::vector<Tri>& ours) { EXPECT_TRUE(ours.empty()); }}},
    {"Subdivision.lwo",
     {"only FACE polygons are read; subdivision patches (POLS of type PTCH) are skipped",
      [](const std::string&, const std::vector<Tri>& ours) { EXPECT_TRUE(ours.empty()); }}},
    {"box_2uv_1unused.lwo",
     {"every TXUV map applies in file order, the last map's coordinates win; assimp keeps one channel per map",
      [](const std::string& path, const std::vector<Tri>& ours) {
          std::vector<Tri> either = peerTriangles(path, 1), first = peerTriangles(path, 0);
          EXPECT_EQ(ours.size(), either.size());
          either.insert(either.end(), first.begin(), first.end());
          std::string example;
          EXPECT_EQ(unmatchedCorners(either, ours, example), 0) << "a corner from neither map: " << example;
          EXPECT_GT(unmatchedCorners(first, ours, example), 0) << "the last map did not win";
      }}},
    {"hierarchy.lwo",
     {"only the first layer is read: reading stops at the second LAYR chunk",
      [](const std::string& path, const std::vector<Tri>& ours) {
          const std::vector<Tri> peer = peerTriangles(path);
          EXPECT_TRUE(!ours.empty() && ours.size() < peer.size());
          std::string example;
          EXPECT_EQ(unmatchedCorners(peer, ours, example), 0) << "a corner not in assimp's model: " << example;
      }}},
};

TEST(AssimpCrossCheck, EveryStaticTestFileGivesTheSameTriangleCorners) {
    std::vector<fs::path> files = testFiles();
    if (files.empty()) GTEST_SKIP() << "no OBJ, ASE or LWO2 files under " << OSTRELLE_TESTDATA_DIR;
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.string());
        Model model;
        (model.*kReaders.at(lowerExtension(path)))(path.string().c_str());
        std::vector<Tri> ours = ourTriangles(model);

        auto deviation = kDeviations.find(path.filename().string());
        if (deviation != kDeviations.end()) {
            SCOPED_TRACE(deviation->second.first);
            deviation->second.second(path.string(), ours);
            continue;
        }
        std::vector<Tri> peer = peerTriangles(path.string());
        EXPECT_EQ(ours.size(), peer.size()) << "triangle count";
        std::string example;
        EXPECT_EQ(unmatchedCorners(ours, peer, example), 0) << "assimp corners without a partner in ours, e.g. " << example;
        EXPECT_EQ(unmatchedCorners(peer, ours, example), 0) << "our corners without a partner in assimp's, e.g. " << example;
        double a = signedVolume(ours), b = signedVolume(peer);
        EXPECT_NEAR(a, b, 1e-3 * std::max(1.0, std::fabs(b))) << "winding";
    }
}

} // namespace
