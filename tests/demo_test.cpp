// tests/demo_test.cpp -- the generated demo folder: complete, deterministic and well formed
// in every file the scene names, checked with light parsing independent of the readers.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/debug_log.h"
#include "app/file_open.h"
#include "model/basepath.h"
#include "model/model.h"
#include "model/tga_reader.h"
#include "scene/scene.h"

namespace fs = std::filesystem;

namespace {

const std::string kGenerator = std::string(OSTRELLE_BINARY_DIR) + "/tools/gen_demo";
// The folder the build writes; the README's run command opens it.
const fs::path kBuiltDemo = fs::path(OSTRELLE_BINARY_DIR) / "demo";

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

std::vector<std::string> tokens(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string t; in >> t;) out.push_back(t);
    return out;
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }
bool contains(const std::string& s, const char* word) { return s.find(word) != std::string::npos; }

// Runs the generator into a fresh folder of this process (ctest runs tests side by side);
// empty when the generator is not built or fails.
fs::path generate(const std::string& name, double* seconds = nullptr) {
    if (!fs::exists(kGenerator)) return {};
    fs::path dir = fs::temp_directory_path() / (name + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    auto start = std::chrono::steady_clock::now();
    int rc = std::system((kGenerator + " " + dir.string()).c_str());
    if (seconds) *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return rc == 0 ? dir : fs::path{};
}

#define REQUIRE_DEMO()                                                                                                 \
    if (!fs::exists(kBuiltDemo / "scene.txt"))                                                                         \
        GTEST_SKIP() << "no demo folder at " << kBuiltDemo << ": build the default target first";                      \
    const fs::path& demo = kBuiltDemo

// The scene's keys and their values, in file order, as "key" -> every value line.
std::multimap<std::string, std::string> sceneEntries(const fs::path& demo) {
    std::multimap<std::string, std::string> out;
    for (const std::string& l : lines(readFile(demo / "scene.txt"))) {
        if (startsWith(l, "//")) continue;
        std::vector<std::string> t = tokens(l);
        if (t.empty()) continue;
        std::string rest = l.size() > t[0].size() ? l.substr(t[0].size() + 1) : "";
        out.emplace(t[0], rest);
    }
    return out;
}

std::string sceneValue(const fs::path& demo, const char* key) {
    auto entries = sceneEntries(demo);
    auto it = entries.find(key);
    return it == entries.end() ? "" : it->second;
}

struct Tga {
    int type = 0, width = 0, height = 0, bits = 0, descriptor = 0;
    std::vector<uint8_t> pixels;
    bool whole = false; // the data decodes to exactly width x height pixels and ends there
};

Tga decodeTga(const std::string& data) {
    Tga t;
    if (data.size() < 18) return t;
    auto byte = [&](size_t i) { return static_cast<uint8_t>(data[i]); };
    t.type = byte(2);
    t.width = byte(12) | byte(13) << 8;
    t.height = byte(14) | byte(15) << 8;
    t.bits = byte(16);
    t.descriptor = byte(17);
    const size_t bpp = static_cast<size_t>(t.bits / 8);
    const size_t size = static_cast<size_t>(t.width) * static_cast<size_t>(t.height) * bpp;
    size_t pos = 18 + byte(0);
    if (t.type == 2 || t.type == 3) {
        if (data.size() - pos != size) return t;
        t.pixels.assign(data.begin() + static_cast<long>(pos), data.end());
    } else {
        while (t.pixels.size() < size && pos < data.size()) {
            uint8_t h = byte(pos++);
            size_t count = (h & 0x7Fu) + 1u;
            size_t take = (h & 0x80) ? bpp : count * bpp;
            if (pos + take > data.size() || t.pixels.size() + count * bpp > size) return t;
            for (size_t k = 0; k < ((h & 0x80) ? count : 1); ++k)
                t.pixels.insert(t.pixels.end(), data.begin() + static_cast<long>(pos),
                                data.begin() + static_cast<long>(pos + take));
            pos += take;
        }
        if (pos != data.size()) return t;
    }
    t.whole = t.pixels.size() == size;
    return t;
}

bool powerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

struct Md5Mesh {
    int numJoints = -1, numMeshes = -1;
    std::vector<std::string> jointNames;
    std::vector<int> parents;
    std::vector<std::array<float, 3>> jointPos;
    struct Block {
        std::string shader;
        int numVerts = -1, numTris = -1, numWeights = -1;
        std::vector<std::array<float, 4>> verts; // u, v, start, count
        std::vector<std::array<int, 3>> tris;
        std::vector<std::array<float, 5>> weights; // joint, bias, x, y, z
    };
    std::vector<Block> meshes;
};

float number(const std::string& s) { return std::strtof(s.c_str(), nullptr); }

Md5Mesh parseMd5Mesh(const std::string& text) {
    Md5Mesh m;
    std::vector<std::string> ls = lines(text);
    for (size_t i = 0; i < ls.size(); ++i) {
        const std::string& l = ls[i];
        std::vector<std::string> t = tokens(l);
        if (t.empty()) continue;
        if (t[0] == "numJoints") m.numJoints = std::atoi(t[1].c_str());
        if (t[0] == "numMeshes") m.numMeshes = std::atoi(t[1].c_str());
        if (startsWith(l, "joints {")) {
            for (++i; i < ls.size() && !startsWith(ls[i], "}"); ++i) {
                size_t q1 = ls[i].find('"'), q2 = ls[i].find('"', q1 + 1);
                m.jointNames.push_back(ls[i].substr(q1 + 1, q2 - q1 - 1));
                std::vector<std::string> r = tokens(ls[i].substr(q2 + 1));
                m.parents.push_back(std::atoi(r[0].c_str()));
                m.jointPos.push_back({number(r[2]), number(r[3]), number(r[4])});
            }
            continue;
        }
        if (startsWith(l, "mesh ")) m.meshes.emplace_back();
        if (m.meshes.empty()) continue;
        Md5Mesh::Block& b = m.meshes.back();
        if (t[0] == "shader") b.shader = l.substr(l.find('"') + 1, l.rfind('"') - l.find('"') - 1);
        if (t[0] == "numverts") b.numVerts = std::atoi(t[1].c_str());
        if (t[0] == "numtris") b.numTris = std::atoi(t[1].c_str());
        if (t[0] == "numweights") b.numWeights = std::atoi(t[1].c_str());
        if (t[0] == "vert") b.verts.push_back({number(t[3]), number(t[4]), number(t[6]), number(t[7])});
        if (t[0] == "tri")
            b.tris.push_back({std::atoi(t[2].c_str()), std::atoi(t[3].c_str()), std::atoi(t[4].c_str())});
        if (t[0] == "weight")
            b.weights.push_back({number(t[2]), number(t[3]), number(t[5]), number(t[6]), number(t[7])});
    }
    return m;
}

// Positions within a thousandth count as one point, as the geometry analysis merges them.
// Returns the directed edges of the triangles over merged points that do not appear
// exactly once each way: zero for a closed surface wound the same way throughout.
size_t unpairedEdges(const std::vector<std::array<float, 3>>& pos, const std::vector<std::array<int, 3>>& tris) {
    std::map<std::array<long, 3>, int> ids;
    std::vector<int> merged;
    for (const auto& p : pos) {
        std::array<long, 3> key{std::lround(p[0] * 1000), std::lround(p[1] * 1000), std::lround(p[2] * 1000)};
        merged.push_back(ids.emplace(key, static_cast<int>(ids.size())).first->second);
    }
    std::map<std::pair<int, int>, int> directed;
    for (const auto& t : tris)
        for (int k = 0; k < 3; ++k)
            ++directed[{merged[static_cast<size_t>(t[static_cast<size_t>(k)])],
                        merged[static_cast<size_t>(t[static_cast<size_t>((k + 1) % 3)])]}];
    size_t bad = 0;
    for (const auto& [edge, count] : directed) {
        auto back = directed.find({edge.second, edge.first});
        if (count != 1 || back == directed.end() || back->second != 1) ++bad;
    }
    return bad;
}

// Bind-pose positions of one mesh block: every bind rotation is the identity.
std::vector<std::array<float, 3>> bindPositions(const Md5Mesh& m, const Md5Mesh::Block& b) {
    std::vector<std::array<float, 3>> pos;
    for (const auto& v : b.verts) {
        std::array<float, 3> p{0, 0, 0};
        for (int w = static_cast<int>(v[2]); w < v[2] + v[3]; ++w) {
            const auto& wt = b.weights[static_cast<size_t>(w)];
            const auto& j = m.jointPos[static_cast<size_t>(wt[0])];
            for (size_t k = 0; k < 3; ++k) p[k] += wt[1] * (j[k] + wt[2 + k]);
        }
        pos.push_back(p);
    }
    return pos;
}

} // namespace

TEST(DemoGenerator, WritesTheSameBytesOnEveryRun) {
    double seconds = 0;
    fs::path a = generate("ostrelle_demo_a", &seconds);
    fs::path b = generate("ostrelle_demo_b");
    if (a.empty() || b.empty()) GTEST_SKIP() << "gen_demo is not built (" << kGenerator << ")";
    RecordProperty("generate_seconds", std::to_string(seconds));
    EXPECT_LT(seconds, 20.0) << "the generator should take about a second";
    size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(a)) {
        if (!e.is_regular_file()) continue;
        ++files;
        fs::path twin = b / fs::relative(e.path(), a);
        ASSERT_TRUE(fs::exists(twin)) << twin;
        EXPECT_TRUE(readFile(e.path()) == readFile(twin)) << "differs between runs: " << fs::relative(e.path(), a);
    }
    EXPECT_GE(files, 30u);
    fs::remove_all(a);
    fs::remove_all(b);
}

TEST(DemoScene, UsesEveryKeyAndNamesFilesThatExist) {
    REQUIRE_DEMO();
    auto entries = sceneEntries(demo);
    for (const char* key :
         {"displaylights", "basepath",     "camanim",          "camjointname",    "campos",       "backgroundcolor",
          "numlights",     "lightcolor_a", "light_nearradius", "light_farradius", "cubemap",      "bind_to_bone",
          "light",         "posoffset",    "lightpos",         "lightcolor_d",    "lightcolor_s", "nummodels",
          "model",         "modelname",    "modelanim",        "modelangle",      "modelpos"})
        EXPECT_EQ(entries.count(key) > 0, true) << "scene.txt never sets " << key;
    for (const char* key : {"modelname", "modelanim", "camanim"}) {
        auto range = entries.equal_range(key);
        for (auto it = range.first; it != range.second; ++it)
            EXPECT_TRUE(fs::is_regular_file(demo / tokens(it->second).at(0))) << key << " " << it->second;
    }
    EXPECT_EQ(sceneValue(demo, "basepath"), "\"./\"");
    EXPECT_EQ(entries.count("light"), 3u);
    EXPECT_EQ(entries.count("model"), 3u);
    EXPECT_EQ(sceneValue(demo, "numlights"), "3");
    EXPECT_EQ(sceneValue(demo, "nummodels"), "3");
}

// The reader finds a key's text followed by a blank anywhere in a line and acts on the
// first key of its fixed order; a value or comment that holds an earlier key would be
// taken by it.
TEST(DemoScene, NoLineHoldsAnEarlierKeyThanItsOwn) {
    REQUIRE_DEMO();
    const std::vector<std::string> order = {
        "displaylights ", "basepath ",     "camanim ",          "camjointname ",    "campos ",       "backgroundcolor ",
        "numlights ",     "lightcolor_a ", "light_nearradius ", "light_farradius ", "cubemap ",      "bind_to_bone ",
        "light ",         "posoffset ",    "lightpos ",         "lightcolor_d ",    "lightcolor_s ", "nummodels ",
        "model ",         "modelname ",    "modelanim ",        "modelangle ",      "modelpos "};
    for (const std::string& l : lines(readFile(demo / "scene.txt"))) {
        if (startsWith(l, "//") || tokens(l).empty()) continue;
        std::string own = tokens(l)[0] + " ";
        for (const std::string& key : order) {
            if (key == own) break;
            EXPECT_FALSE(contains(l, key.c_str())) << "\"" << l << "\" would be read as " << key;
        }
    }
}

TEST(DemoScene, LightFilterFacesAreCompleteAndBlurredOnesDiffer) {
    REQUIRE_DEMO();
    int firstBits = 0;
    for (const char* face : {"east", "west", "down", "up", "north", "south"}) {
        Tga sharp = decodeTga(readFile(demo / "data" / (std::string("normal_") + face + ".tga")));
        Tga soft = decodeTga(readFile(demo / "data" / (std::string("blurred_") + face + ".tga")));
        ASSERT_TRUE(sharp.whole && soft.whole) << face;
        if (!firstBits) firstBits = sharp.bits;
        EXPECT_EQ(sharp.bits, firstBits) << "every face takes the east face's format";
        EXPECT_EQ(soft.bits, firstBits);
        ASSERT_EQ(sharp.pixels.size(), soft.pixels.size());
        double diff = 0;
        for (size_t i = 0; i < sharp.pixels.size(); ++i) diff += std::abs(sharp.pixels[i] - soft.pixels[i]);
        EXPECT_GT(diff / static_cast<double>(sharp.pixels.size()), 4.0) << face << ": the blur must show";
    }
}

TEST(DemoFiles, EveryTgaIsAReadableBottomUpPowerOfTwoPicture) {
    REQUIRE_DEMO();
    size_t count = 0;
    for (const auto& e : fs::recursive_directory_iterator(demo)) {
        if (e.path().extension() != ".tga") continue;
        ++count;
        Tga t = decodeTga(readFile(e.path()));
        SCOPED_TRACE(e.path().string());
        EXPECT_TRUE(t.type == 2 || t.type == 3 || t.type == 10 || t.type == 11);
        EXPECT_TRUE(t.bits == 8 || t.bits == 24 || t.bits == 32);
        EXPECT_EQ(t.descriptor & 0x20, 0) << "bottom row first";
        EXPECT_TRUE(powerOfTwo(t.width) && powerOfTwo(t.height));
        EXPECT_TRUE(t.whole) << "pixel data decodes to exactly the picture";
    }
    EXPECT_GE(count, 12u + 10u);
}

TEST(DemoCreature, MeshCountsMatchRecordsAndIndicesStayInRange) {
    REQUIRE_DEMO();
    Md5Mesh m = parseMd5Mesh(readFile(demo / tokens(sceneValue(demo, "modelname")).at(0)));
    ASSERT_EQ(m.numJoints, static_cast<int>(m.jointNames.size()));
    EXPECT_GE(m.numJoints, 10);
    EXPECT_LE(m.numJoints, 20);
    ASSERT_EQ(m.numMeshes, static_cast<int>(m.meshes.size()));
    EXPECT_GE(m.numMeshes, 2);
    for (size_t j = 0; j < m.parents.size(); ++j) EXPECT_LT(m.parents[j], static_cast<int>(j)) << "parents come first";
    for (const Md5Mesh::Block& b : m.meshes) {
        SCOPED_TRACE(b.shader);
        EXPECT_EQ(b.numVerts, static_cast<int>(b.verts.size()));
        EXPECT_EQ(b.numTris, static_cast<int>(b.tris.size()));
        EXPECT_EQ(b.numWeights, static_cast<int>(b.weights.size()));
        for (const auto& v : b.verts) {
            ASSERT_GE(v[3], 1);
            ASSERT_LE(v[2] + v[3], b.numWeights);
            float bias = 0;
            for (int w = static_cast<int>(v[2]); w < v[2] + v[3]; ++w) bias += b.weights[static_cast<size_t>(w)][1];
            EXPECT_NEAR(bias, 1.0f, 1e-3f);
        }
        for (const auto& t : b.tris)
            for (int k : t) ASSERT_TRUE(k >= 0 && k < b.numVerts);
        for (const auto& w : b.weights) ASSERT_TRUE(w[0] >= 0 && w[0] < m.numJoints);
    }
}

TEST(DemoCreature, EveryMaterialHasItsMapsAndOneHasATangentSpaceMap) {
    REQUIRE_DEMO();
    Md5Mesh m = parseMd5Mesh(readFile(demo / tokens(sceneValue(demo, "modelname")).at(0)));
    int withLocal = 0;
    for (const Md5Mesh::Block& b : m.meshes) {
        ASSERT_FALSE(b.shader.empty());
        // The lookup tries the bare name first: it must not exist, or it would be the diffuse map.
        EXPECT_FALSE(fs::exists(demo / (b.shader + ".tga")));
        for (const char* suffix : {"_d.tga", "_s.tga", "_h.tga"})
            EXPECT_TRUE(fs::exists(demo / (b.shader + suffix))) << b.shader << suffix;
        if (fs::exists(demo / (b.shader + "_local.tga"))) ++withLocal;
        Tga height = decodeTga(readFile(demo / (b.shader + "_h.tga")));
        EXPECT_TRUE(height.whole);
        int lo = 255, hi = 0;
        for (uint8_t p : height.pixels) lo = std::min<int>(lo, p), hi = std::max<int>(hi, p);
        EXPECT_GT(hi - lo, 40) << b.shader << ": the height map should show relief";
    }
    EXPECT_GE(withLocal, 1);
}

// With the reader's face normal, e1 x e2 for e1 = b - a and e2 = a - c, a skinned triangle
// must face away from the inside of its tube; a wrong winding turns the creature inside out.
TEST(DemoCreature, BindPoseFacesPointOutOfTheBody) {
    REQUIRE_DEMO();
    Md5Mesh m = parseMd5Mesh(readFile(demo / tokens(sceneValue(demo, "modelname")).at(0)));
    const Md5Mesh::Block& body = m.meshes.at(0);
    std::vector<std::array<float, 3>> pos = bindPositions(m, body);
    // The body lies along X at bind; each ring of vertices shares one x, and the ring's
    // mean is a point inside the body.
    std::map<long, std::array<float, 4>> rings; // rounded x -> sum y, sum z, count
    auto ringKey = [](float x) { return std::lround(x * 100.0f); };
    for (const auto& p : pos) {
        auto& r = rings[ringKey(p[0])];
        r[0] += p[1], r[1] += p[2], r[2] += 1;
    }
    int outward = 0, inward = 0;
    for (const auto& t : body.tris) {
        float e1[3], e2[3], n[3], radial[3] = {0, 0, 0};
        const auto& a = pos[static_cast<size_t>(t[0])];
        const auto& b = pos[static_cast<size_t>(t[1])];
        const auto& c = pos[static_cast<size_t>(t[2])];
        for (int k = 0; k < 3; ++k) {
            e1[k] = b[static_cast<size_t>(k)] - a[static_cast<size_t>(k)];
            e2[k] = a[static_cast<size_t>(k)] - c[static_cast<size_t>(k)];
        }
        for (int corner : t) {
            const auto& p = pos[static_cast<size_t>(corner)];
            const auto& r = rings[ringKey(p[0])];
            radial[1] += p[1] - r[0] / r[2];
            radial[2] += p[2] - r[1] / r[2];
        }
        n[0] = e1[1] * e2[2] - e1[2] * e2[1];
        n[1] = e1[2] * e2[0] - e1[0] * e2[2];
        n[2] = e1[0] * e2[1] - e1[1] * e2[0];
        float along = n[1] * radial[1] + n[2] * radial[2];
        if (std::fabs(along) < 1e-6f) continue;
        (along > 0 ? outward : inward)++;
    }
    EXPECT_GT(outward, 0);
    EXPECT_LT(inward, outward / 20) << "most faces must point out of the body";
}

// Stencil shadow volumes need closed surfaces; an open or flipped patch shows as a hole or
// a wrong shadow.
TEST(DemoCreature, MeshesAreClosedAndWoundAlike) {
    REQUIRE_DEMO();
    Md5Mesh m = parseMd5Mesh(readFile(demo / tokens(sceneValue(demo, "modelname")).at(0)));
    for (const Md5Mesh::Block& b : m.meshes) EXPECT_EQ(unpairedEdges(bindPositions(m, b), b.tris), 0u) << b.shader;
}

TEST(DemoCreature, WalkMatchesTheSkeletonAndLoops) {
    REQUIRE_DEMO();
    Md5Mesh mesh = parseMd5Mesh(readFile(demo / tokens(sceneValue(demo, "modelname")).at(0)));
    std::vector<std::string> ls = lines(readFile(demo / tokens(sceneValue(demo, "modelanim")).at(0)));
    ASSERT_FALSE(ls.empty());
    EXPECT_TRUE(contains(ls[0], "MD5Version 10"));
    int numFrames = -1, numJoints = -1, components = -1, flagComponents = 0;
    std::vector<std::string> names;
    std::vector<std::vector<float>> frames;
    size_t boundsLines = 0;
    for (size_t i = 0; i < ls.size(); ++i) {
        std::vector<std::string> t = tokens(ls[i]);
        if (t.empty()) continue;
        if (t[0] == "numFrames") numFrames = std::atoi(t[1].c_str());
        if (t[0] == "numJoints") numJoints = std::atoi(t[1].c_str());
        if (t[0] == "numAnimatedComponents") components = std::atoi(t[1].c_str());
        if (startsWith(ls[i], "hierarchy ")) {
            for (++i; !startsWith(ls[i], "}"); ++i) {
                size_t q = ls[i].find('"', ls[i].find('"') + 1);
                names.push_back(ls[i].substr(ls[i].find('"') + 1, q - ls[i].find('"') - 1));
                int flags = std::atoi(tokens(ls[i].substr(q + 1)).at(1).c_str());
                for (int bit = 1; bit <= 32; bit <<= 1) flagComponents += (flags & bit) ? 1 : 0;
            }
        }
        if (startsWith(ls[i], "bounds "))
            for (++i; !startsWith(ls[i], "}"); ++i) ++boundsLines;
        if (startsWith(ls[i], "frame ")) {
            frames.emplace_back();
            for (++i; !startsWith(ls[i], "}"); ++i) {
                std::vector<std::string> v = tokens(ls[i]);
                EXPECT_LE(v.size(), 8u) << "frame lines hold at most eight values";
                for (const std::string& s : v) frames.back().push_back(number(s));
            }
        }
    }
    EXPECT_EQ(names, mesh.jointNames);
    EXPECT_EQ(numJoints, mesh.numJoints);
    EXPECT_EQ(components, flagComponents);
    ASSERT_EQ(numFrames, static_cast<int>(frames.size()));
    EXPECT_EQ(boundsLines, frames.size());
    EXPECT_GE(numFrames, 48);
    for (const auto& f : frames) ASSERT_EQ(static_cast<int>(f.size()), components);
    EXPECT_EQ(frames.front(), frames.back()) << "the last frame is held, so it must be the first again";
    EXPECT_NE(frames.front(), frames[frames.size() / 2]);
}

TEST(DemoCamera, OrbitHasCameraFovAndRefcamChannels) {
    REQUIRE_DEMO();
    std::vector<std::string> ls = lines(readFile(demo / tokens(sceneValue(demo, "camanim")).at(0)));
    ASSERT_FALSE(ls.empty());
    EXPECT_TRUE(contains(ls[0], "MD5Version 6"));
    const std::string cameraJoint = tokens(sceneValue(demo, "camjointname")).at(0);
    int numChannels = -1, channels = 0, expectKeys = -1, keysRead = 0;
    bool inKeys = false, hasFov = false, refcamNamesCamera = false;
    std::string joint;
    std::set<std::string> attributes;
    for (size_t i = 0; i < ls.size(); ++i) {
        const std::string& l = ls[i];
        std::vector<std::string> t = tokens(l);
        if (t.empty()) continue;
        if (t[0] == "numchannels") numChannels = std::atoi(t[1].c_str());
        if (t[0] == "channel") ++channels, inKeys = false;
        if (t[0] == "joint") joint = l.substr(l.find('"') + 1, l.rfind('"') - l.find('"') - 1);
        if (t[0] == "attribute") {
            std::string a = l.substr(l.find('"') + 1, l.rfind('"') - l.find('"') - 1);
            if (joint == cameraJoint) attributes.insert(a);
            hasFov |= a == "fov";
        }
        if (t[0] == "keys") {
            expectKeys = std::atoi(t[1].c_str());
            keysRead = 0;
            inKeys = true;
            continue;
        }
        if (t[0] == "strings") {
            refcamNamesCamera = joint == "refcam" && contains(ls.at(i + 1), ("\"" + cameraJoint + "\"").c_str());
            inKeys = false;
        }
        if (t[0] == "}") {
            if (inKeys) {
                EXPECT_EQ(keysRead, expectKeys) << "channel " << channels - 1;
            }
            inKeys = false;
            continue;
        }
        if (inKeys) {
            EXPECT_LE(t.size(), 8u);
            keysRead += static_cast<int>(t.size());
        }
    }
    EXPECT_EQ(numChannels, channels);
    EXPECT_TRUE(hasFov);
    EXPECT_TRUE(refcamNamesCamera);
    for (const char* a : {"x", "y", "z", "yaw", "pitch", "roll"}) EXPECT_EQ(attributes.count(a), 1u) << a;
}

TEST(DemoProps, ObjFilesFindTheirLibrariesAndMaps) {
    REQUIRE_DEMO();
    auto entries = sceneEntries(demo);
    auto range = entries.equal_range("modelname");
    int objs = 0;
    for (auto it = range.first; it != range.second; ++it) {
        fs::path obj = demo / tokens(it->second).at(0);
        if (obj.extension() != ".obj") continue;
        ++objs;
        std::string library;
        size_t positions = 0, faces = 0;
        std::set<std::string> materials;
        for (const std::string& l : lines(readFile(obj))) {
            std::vector<std::string> t = tokens(l);
            if (t.empty()) continue;
            EXPECT_NE(t[0], "#") << "OBJ readers look for keywords anywhere, comments included";
            if (t[0] == "mtllib") library = t[1];
            if (t[0] == "v") ++positions;
            if (t[0] == "usemtl") materials.insert(t[1]);
            if (t[0] == "f") {
                ++faces;
                ASSERT_EQ(t.size(), 4u);
                for (size_t k = 1; k < 4; ++k) ASSERT_LE(std::stoul(t[k]), positions);
            }
        }
        EXPECT_GT(faces, 0u);
        ASSERT_TRUE(fs::exists(obj.parent_path() / library)) << library;
        std::string mtl = readFile(obj.parent_path() / library);
        for (const std::string& name : materials) {
            EXPECT_TRUE(contains(mtl, ("newmtl " + name + "\n").c_str())) << name;
            EXPECT_TRUE(fs::exists(obj.parent_path() / (name + "_d.tga"))) << name;
        }
    }
    EXPECT_EQ(objs, 2);
}

TEST(DemoProps, ColumnIsClosedAndWoundAlike) {
    REQUIRE_DEMO();
    std::vector<std::array<float, 3>> pos;
    std::map<std::string, std::vector<std::array<int, 3>>> tris;
    std::string material;
    for (const std::string& l : lines(readFile(demo / "models/column/column.obj"))) {
        std::vector<std::string> t = tokens(l);
        if (t.empty()) continue;
        if (t[0] == "v") pos.push_back({number(t[1]), number(t[2]), number(t[3])});
        if (t[0] == "usemtl") material = t[1];
        if (t[0] == "f") tris[material].push_back({std::stoi(t[1]) - 1, std::stoi(t[2]) - 1, std::stoi(t[3]) - 1});
    }
    ASSERT_EQ(tris.size(), 2u);
    for (const auto& [name, list] : tris) EXPECT_EQ(unpairedEdges(pos, list), 0u) << name;
}

// ---- the demo through the program's own readers ----

namespace {

// Runs the readers from inside the demo folder, as the viewer is started there.
class InDemoFolder {
  public:
    explicit InDemoFolder(const fs::path& dir) : previous_(fs::current_path()) { fs::current_path(dir); }
    ~InDemoFolder() { fs::current_path(previous_); }
    InDemoFolder(const InDemoFolder&) = delete;
    InDemoFolder& operator=(const InDemoFolder&) = delete;

  private:
    fs::path previous_;
};

} // namespace

TEST(DemoThroughReaders, SceneFileSetsEveryPart) {
    REQUIRE_DEMO();
    InDemoFolder here(demo);
    ScopedLogCapture log;
    Scene scene;
    readSceneFile(scene, "scene.txt");
    EXPECT_EQ(log.text, "");
    EXPECT_EQ(scene.basepath, "./");
    ASSERT_EQ(scene.nummodels, 3);
    ASSERT_EQ(scene.numlights, 3);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(scene.modelname[static_cast<size_t>(i)].has_value()) << "slot " << i;
        EXPECT_TRUE(fs::is_regular_file(resolvePath(*scene.modelname[static_cast<size_t>(i)]))) << i;
    }
    ASSERT_TRUE(scene.modelanim[0].has_value());
    EXPECT_TRUE(fs::is_regular_file(*scene.modelanim[0]));
    ASSERT_TRUE(scene.camanim.has_value() && scene.camjointname.has_value());
    EXPECT_TRUE(fs::is_regular_file(*scene.camanim));
    EXPECT_EQ(*scene.camjointname, "camera");
    EXPECT_EQ(scene.lights[0].cubemap, 1);
    EXPECT_LT(scene.lights[0].light_nearradius, scene.lights[0].light_farradius);
    ASSERT_TRUE(scene.lights[1].boneName.has_value());
    EXPECT_EQ(*scene.lights[1].boneName, "lure");
    EXPECT_EQ(scene.lights[1].boneModel, 0);
    EXPECT_GT(scene.lights[1].posoffset[0], 0.0f);
    for (const Light& l : scene.lights) EXPECT_EQ(l.lightpos[3], 1.0f);
    EXPECT_NE(scene.modelangle[2], 0.0f);
    EXPECT_NE(scene.campos[2], 0.0f);
    EXPECT_FLOAT_EQ(scene.globalAmbient[3], 1.0f);
    EXPECT_GT(scene.backgroundColor[2], scene.backgroundColor[0]);
    setBasepath("");
}

TEST(DemoThroughReaders, EveryMaterialFindsItsMapsAndBuildsANormalMap) {
    REQUIRE_DEMO();
    InDemoFolder here(demo);
    Md5Mesh mesh = parseMd5Mesh(readFile(tokens(sceneValue(demo, "modelname")).at(0)));
    std::vector<std::string> names;
    for (const Md5Mesh::Block& b : mesh.meshes) names.push_back(b.shader);
    // OBJ materials reach the lookup as the library's map path beside the OBJ file.
    for (const char* map : {"models/floor/floor_d.tga", "models/column/column_d.tga", "models/column/plinth_d.tga"})
        names.push_back(map);
    Model model;
    ASSERT_TRUE(model.allocateMeshes(static_cast<int>(names.size())));
    int withLocal = 0;
    for (size_t m = 0; m < names.size(); ++m) {
        SCOPED_TRACE(names[m]);
        model.lookupTextures(names[m].c_str(), static_cast<int>(m));
        EXPECT_TRUE(model.hasDiffuse[m]);
        EXPECT_TRUE(model.hasSpecular[m]);
        EXPECT_TRUE(model.hasHeight[m]);
        withLocal += model.hasLocal[m] ? 1 : 0;
        ASSERT_FALSE(model.normalImage[m].empty());
        const TgaImage& level0 = model.normalImage[m][0];
        EXPECT_EQ(level0.width, model.diffuseImage[m].width);
        // Relief shows as texels that lean away from straight up (128, 128, 255).
        size_t leaning = 0;
        for (size_t i = 0; i + 3 < level0.pixels.size(); i += 4)
            if (std::abs(level0.pixels[i] - 128) > 12 || std::abs(level0.pixels[i + 1] - 128) > 12) ++leaning;
        EXPECT_GT(leaning, level0.pixels.size() / 4 / 20);
    }
    EXPECT_EQ(withLocal, 1);
}

TEST(DemoThroughReaders, LightFilterFacesReadAsTheStartUpReadsThem) {
    REQUIRE_DEMO();
    InDemoFolder here(demo);
    for (const char* set : {"normal", "blurred"}) {
        for (const char* face : {"east", "west", "down", "up", "north", "south"}) {
            TgaImage image;
            std::string name = std::string("data\\") + set + "_" + face + ".tga";
            ASSERT_EQ(readTga(name, image), 1) << name;
            EXPECT_EQ(image.bitsPerPixel, 24) << name;
            EXPECT_EQ(image.width, 128);
            EXPECT_EQ(image.height, 128);
        }
    }
}

TEST(DemoThroughReaders, CreatureLoadsWithEveryRecordAndTexture) {
    REQUIRE_DEMO();
    InDemoFolder here(demo);
    const std::string meshFile = tokens(sceneValue(demo, "modelname")).at(0);
    Md5Mesh expected = parseMd5Mesh(readFile(meshFile));
    ScopedLogCapture log;
    Model model;
    model.readmeshfromfile(meshFile.c_str(), nullptr);
    EXPECT_FALSE(contains(log.text, "couldn't find texture")) << log.text;
    EXPECT_FALSE(contains(log.text, "dropped")) << log.text;
    EXPECT_FALSE(contains(log.text, "not found")) << log.text;
    EXPECT_FALSE(contains(log.text, "failed")) << log.text;
    ASSERT_EQ(model.numJoints, expected.numJoints);
    ASSERT_EQ(model.numMeshes, expected.numMeshes);
    EXPECT_EQ(model.findJoint("lure"), 6);
    int withLocal = 0;
    for (int m = 0; m < model.numMeshes; ++m) {
        const size_t i = static_cast<size_t>(m);
        SCOPED_TRACE(expected.meshes[i].shader);
        EXPECT_TRUE(contains(log.text, ("reading mesh details successful, meshnumber " + std::to_string(m)).c_str()));
        EXPECT_TRUE(model.meshLoaded[i]);
        EXPECT_EQ(model.numVerts[i], expected.meshes[i].numVerts);
        EXPECT_EQ(model.numTris[i], expected.meshes[i].numTris);
        EXPECT_EQ(model.numWeights[i], expected.meshes[i].numWeights);
        EXPECT_TRUE(model.hasDiffuse[i] && model.hasSpecular[i] && model.hasHeight[i]);
        withLocal += model.hasLocal[i] ? 1 : 0;
        // Seams where the texture wraps (u 0 and 1 on one position) are merged or cloned,
        // not left as open edges.
        size_t open = 0;
        for (const Edge& e : model.edges[i]) open += e.tri1 < 0 ? 1 : 0;
        EXPECT_EQ(open, 0u) << "open edges";
    }
    EXPECT_EQ(withLocal, 1);
}

// The walk file's bounds were computed from the generator's own skinning; the program's
// pose and skinning must land on them, which holds only when both read the quaternions,
// flags and component order alike.
TEST(DemoThroughReaders, WalkPosesTheSkinWithinTheFileBounds) {
    REQUIRE_DEMO();
    InDemoFolder here(demo);
    const std::string meshFile = tokens(sceneValue(demo, "modelname")).at(0);
    const std::string animFile = tokens(sceneValue(demo, "modelanim")).at(0);
    std::vector<std::array<float, 6>> bounds;
    std::vector<std::string> ls = lines(readFile(animFile));
    for (size_t i = 0; i < ls.size(); ++i) {
        if (!startsWith(ls[i], "bounds ")) continue;
        for (++i; !startsWith(ls[i], "}"); ++i) {
            std::vector<std::string> t = tokens(ls[i]);
            bounds.push_back({number(t[1]), number(t[2]), number(t[3]), number(t[6]), number(t[7]), number(t[8])});
        }
    }
    ASSERT_GT(bounds.size(), 200u);
    ScopedLogCapture log;
    Model model;
    model.readmeshfromfile(meshFile.c_str(), animFile.c_str());
    EXPECT_FALSE(contains(log.text, "couldn")) << log.text;
    ASSERT_TRUE(model.animV10);
    for (size_t frame : {size_t{0}, size_t{31}, size_t{77}, size_t{150}, size_t{222}}) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        model.animate(static_cast<double>(frame) / 24.0 + 1e-4);
        float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
        for (int m = 0; m < model.numMeshes; ++m) {
            model.skinMesh(m);
            for (int v = 0; v < model.numVerts[static_cast<size_t>(m)]; ++v) {
                const float* p = model.verts[static_cast<size_t>(m)][static_cast<size_t>(v)].pos;
                for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
            }
        }
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(lo[k], bounds[frame][static_cast<size_t>(k)], 0.05f) << "axis " << k;
            EXPECT_NEAR(hi[k], bounds[frame][static_cast<size_t>(k + 3)], 0.05f) << "axis " << k;
        }
    }
}

TEST(DemoThroughReaders, CameraOrbitLooksAtTheSceneThroughItsJoint) {
    REQUIRE_DEMO();
    InDemoFolder here(demo);
    ScopedLogCapture log;
    Model camera;
    camera.loadCameraAnimation(tokens(sceneValue(demo, "camanim")).at(0).c_str());
    EXPECT_EQ(log.text, "");
    ASSERT_TRUE(camera.animV6);
    const int joint = camera.findJoint(tokens(sceneValue(demo, "camjointname")).at(0).c_str());
    ASSERT_EQ(joint, 0);
    std::vector<std::string> campos = tokens(sceneValue(demo, "campos"));
    float placement[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, number(campos[0]), number(campos[1]), number(campos[2]),
                           1};
    camera.setPlacement(placement);
    for (double t : {0.25, 6.0, 12.0, 18.0, 30.0}) {
        SCOPED_TRACE("time " + std::to_string(t));
        camera.updateCameraAnimation(t);
        EXPECT_EQ(camera.cameraJoint, joint) << "refcam names the camera joint";
        float pose[17];
        camera.getCameraMatrix(joint, pose);
        const float eye[3] = {pose[12], pose[13], pose[14]};
        float toCentre[3] = {-eye[0], -eye[1], 8.0f - eye[2]};
        float len = std::sqrt(toCentre[0] * toCentre[0] + toCentre[1] * toCentre[1] + toCentre[2] * toCentre[2]);
        EXPECT_GT(len, 80.0f);
        EXPECT_LT(len, 160.0f);
        EXPECT_GT(eye[2], 30.0f) << "the orbit stays above the floor";
        // The camera joint looks along its X axis with Z up.
        float along = (pose[0] * toCentre[0] + pose[1] * toCentre[1] + pose[2] * toCentre[2]) / len;
        EXPECT_GT(along, 0.99f);
        EXPECT_GT(pose[10], 0.8f);
        EXPECT_GT(pose[16], 35.0f);
        EXPECT_LT(pose[16], 60.0f);
    }
}

TEST(DemoThroughReaders, LureLightRidesAboveTheHead) {
    REQUIRE_DEMO();
    InDemoFolder here(demo);
    ScopedLogCapture log;
    Scene scene;
    readSceneFile(scene, "scene.txt");
    loadSceneModels(scene);
    setBasepath("");
    ASSERT_TRUE(scene.models[0]);
    Model& creature = *scene.models[0];
    const int head = creature.findJoint("head");
    ASSERT_GE(head, 0);
    for (double t : {0.0, 2.5, 7.3}) {
        creature.animate(t);
        updateBoundLights(scene);
        float m[16];
        creature.getJointMatrix(head, m);
        const float* light = scene.lights[1].lightpos;
        float d[3] = {light[0] - m[12], light[1] - m[13], light[2] - m[14]};
        EXPECT_LT(std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]), 16.0f) << "time " << t;
        EXPECT_GT(d[2], 5.0f) << "time " << t;
    }
}

TEST(DemoThroughReaders, FloorAndColumnLoadWithTheirMaterials) {
    REQUIRE_DEMO();
    InDemoFolder here(demo);
    auto entries = sceneEntries(demo);
    auto range = entries.equal_range("modelname");
    int loaded = 0;
    for (auto it = range.first; it != range.second; ++it) {
        const std::string name = tokens(it->second).at(0);
        if (fs::path(name).extension() != ".obj") continue;
        SCOPED_TRACE(name);
        ScopedLogCapture log;
        Model model;
        model.readmeshfromfile(name.c_str(), nullptr);
        EXPECT_FALSE(contains(log.text, "couldn")) << log.text;
        EXPECT_FALSE(contains(log.text, "cannot open")) << log.text;
        ASSERT_GT(model.numMeshes, 0);
        EXPECT_EQ(model.numJoints, 0);
        for (size_t m = 0; m < static_cast<size_t>(model.numMeshes); ++m) {
            EXPECT_TRUE(model.meshLoaded[m]);
            EXPECT_GT(model.numTris[m], 0);
            EXPECT_TRUE(model.hasDiffuse[m] && model.hasSpecular[m] && model.hasHeight[m]);
        }
        ++loaded;
    }
    EXPECT_EQ(loaded, 2);
}
